#pragma once

#include <QPlainTextEdit>

class TCodeHighlighter;

// A read-only, monospace view of one generated file with its line numbers in a margin
// on the left and the text coloured by a TCodeHighlighter.
class TCodeView : public QPlainTextEdit {
  Q_OBJECT

 public:
  TCodeView(QWidget* parent, bool isSql);

  // Shows the text (CR LF line ends are shown as plain line breaks).
  void ShowText(const QString& text);
  // Selects the next match of the text after the cursor, wrapping round to the top once;
  // false when the text is nowhere.
  bool FindNext(const QString& text);

  TCodeHighlighter* Highlighter() const { return FHighlighter; }
  QWidget* LineNumberArea() const { return FLineNumbers; }
  int LineNumberAreaWidth() const;
  // Paints the margin; called by the margin widget.
  void PaintLineNumbers(QPaintEvent* event);

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  void UpdateMargin(const QRect& rect, int dy);

  QWidget* FLineNumbers;
  TCodeHighlighter* FHighlighter;
};
