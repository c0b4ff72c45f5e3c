#include "ui/CodeView.h"

#include <QFontDatabase>
#include <QPainter>
#include <QTextBlock>

#include "ui/CodeHighlighter.h"

namespace {

// The margin beside the text; the view paints it.
class TLineNumberArea : public QWidget {
 public:
  explicit TLineNumberArea(TCodeView* view) : QWidget(view), FView(view) { setObjectName("LineNumbers"); }
  QSize sizeHint() const override { return QSize(FView->LineNumberAreaWidth(), 0); }

 protected:
  void paintEvent(QPaintEvent* event) override { FView->PaintLineNumbers(event); }

 private:
  TCodeView* FView;
};

}  // namespace

TCodeView::TCodeView(QWidget* parent, bool isSql) : QPlainTextEdit(parent) {
  setReadOnly(true);
  // Read-only still lets the user select with keyboard and mouse, and copy.
  setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
  setLineWrapMode(QPlainTextEdit::NoWrap);
  setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  setTabStopDistance(4 * fontMetrics().horizontalAdvance(QLatin1Char(' ')));
  FHighlighter =
      new TCodeHighlighter(document(), isSql ? TCodeHighlighter::TLanguage::Sql : TCodeHighlighter::TLanguage::CSharp);
  FLineNumbers = new TLineNumberArea(this);
  connect(this, &QPlainTextEdit::blockCountChanged, this,
          [this] { setViewportMargins(LineNumberAreaWidth(), 0, 0, 0); });
  connect(this, &QPlainTextEdit::updateRequest, this, &TCodeView::UpdateMargin);
  setViewportMargins(LineNumberAreaWidth(), 0, 0, 0);
}

void TCodeView::ShowText(const QString& text) {
  setPlainText(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
}

bool TCodeView::FindNext(const QString& text) {
  if (text.isEmpty()) return false;
  if (find(text)) return true;
  // Not found below the cursor: go on from the top; found nowhere, the selection stays where it was.
  const QTextCursor before = textCursor();
  QTextCursor top = before;
  top.movePosition(QTextCursor::Start);
  setTextCursor(top);
  if (find(text)) return true;
  setTextCursor(before);
  return false;
}

int TCodeView::LineNumberAreaWidth() const {
  const int digits = QString::number(qMax(1, blockCount())).size();
  return 8 + fontMetrics().horizontalAdvance(QLatin1Char('9')) * digits;
}

void TCodeView::UpdateMargin(const QRect& rect, int dy) {
  if (dy != 0)
    FLineNumbers->scroll(0, dy);
  else
    FLineNumbers->update(0, rect.y(), FLineNumbers->width(), rect.height());
}

void TCodeView::resizeEvent(QResizeEvent* event) {
  QPlainTextEdit::resizeEvent(event);
  const QRect area = contentsRect();
  FLineNumbers->setGeometry(QRect(area.left(), area.top(), LineNumberAreaWidth(), area.height()));
}

void TCodeView::PaintLineNumbers(QPaintEvent* event) {
  QPainter painter(FLineNumbers);
  painter.fillRect(event->rect(), palette().color(QPalette::AlternateBase));
  painter.setPen(palette().color(QPalette::PlaceholderText));
  QTextBlock block = firstVisibleBlock();
  int top = qRound(blockBoundingGeometry(block).translated(contentOffset()).top());
  const int lineHeight = fontMetrics().height();
  while (block.isValid() && top <= event->rect().bottom()) {
    if (block.isVisible() && top + lineHeight >= event->rect().top())
      painter.drawText(0, top, FLineNumbers->width() - 4, lineHeight, Qt::AlignRight,
                       QString::number(block.blockNumber() + 1));
    top += qRound(blockBoundingRect(block).height());
    block = block.next();
  }
}
