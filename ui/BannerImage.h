#pragma once

#include <QAbstractButton>
#include <QPixmap>

// The picture across the top of the main window: stretched to its size, with a
// hand cursor, and clickable like a link. It is a button, so the keyboard reaches
// it (Tab, then Space or Enter) and a screen reader announces it by its
// accessible name, which says what a click does.
class TBannerImage : public QAbstractButton {
  Q_OBJECT

 public:
  explicit TBannerImage(QWidget* parent = nullptr);

  void setPixmap(const QPixmap& pixmap);
  const QPixmap& pixmap() const { return FPixmap; }
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  QPixmap FPixmap;
};
