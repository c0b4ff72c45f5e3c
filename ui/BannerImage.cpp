#include "ui/BannerImage.h"

#include <QKeyEvent>
#include <QPainter>
#include <QStyleOptionFocusRect>

TBannerImage::TBannerImage(QWidget* parent) : QAbstractButton(parent) {
  setCursor(Qt::PointingHandCursor);
  setFocusPolicy(Qt::StrongFocus);
}

void TBannerImage::setPixmap(const QPixmap& pixmap) {
  FPixmap = pixmap;
  update();
}

QSize TBannerImage::sizeHint() const {
  return FPixmap.isNull() ? QSize(1, 1) : FPixmap.size();
}

void TBannerImage::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  if (!FPixmap.isNull()) painter.drawPixmap(rect(), FPixmap);
  if (hasFocus()) {
    // Keyboard users see where they are, as on any other button.
    QStyleOptionFocusRect option;
    option.initFrom(this);
    option.rect = rect().adjusted(2, 2, -2, -2);
    style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
  }
}

void TBannerImage::keyPressEvent(QKeyEvent* event) {
  // Enter works as on a link; Space is the button's own key.
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    event->accept();
    click();
    return;
  }
  QAbstractButton::keyPressEvent(event);
}
