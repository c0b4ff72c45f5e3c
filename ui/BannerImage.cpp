#include "ui/BannerImage.h"

#include <QMouseEvent>

TBannerImage::TBannerImage(QWidget* parent) : QLabel(parent) {
  setScaledContents(true);
  setCursor(Qt::PointingHandCursor);
}

void TBannerImage::mouseReleaseEvent(QMouseEvent* event) {
  QLabel::mouseReleaseEvent(event);
  // A click is a press and release of the left button over the picture.
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) emit clicked();
}
