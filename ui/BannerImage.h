#pragma once

#include <QLabel>

// The picture across the top of the main window: stretched to its size, with a
// hand cursor, and clickable like a link.
class TBannerImage : public QLabel {
  Q_OBJECT

 public:
  explicit TBannerImage(QWidget* parent = nullptr);

 signals:
  void clicked();

 protected:
  void mouseReleaseEvent(QMouseEvent* event) override;
};
