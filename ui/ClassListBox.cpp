#include "ui/ClassListBox.h"

#include <QMouseEvent>

TClassListBox::TClassListBox(QWidget* parent) : QListWidget(parent) {
  setSelectionMode(QAbstractItemView::SingleSelection);
  connect(this, &QListWidget::itemSelectionChanged, this, &TClassListBox::SelectionChanged);
}

QItemSelectionModel::SelectionFlags TClassListBox::selectionCommand(const QModelIndex& index,
                                                                    const QEvent* event) const {
  // No item under the pointer: keep what is selected. On an item: select it alone,
  // whatever modifier is held, so Ctrl cannot toggle it off.
  if (!index.isValid()) return QItemSelectionModel::NoUpdate;
  if (event != nullptr && event->type() == QEvent::MouseButtonRelease) return QItemSelectionModel::NoUpdate;
  return QItemSelectionModel::ClearAndSelect;
}

void TClassListBox::mousePressEvent(QMouseEvent* event) {
  FPressed = true;
  // Only the left button clicks, as everywhere else in the window.
  FPressedOnItem = event->button() == Qt::LeftButton && itemAt(event->position().toPoint()) != nullptr;
  QListWidget::mousePressEvent(event);
}

void TClassListBox::mouseReleaseEvent(QMouseEvent* event) {
  QListWidget::mouseReleaseEvent(event);
  const bool click = FPressed && FPressedOnItem;
  FPressed = false;
  FPressedOnItem = false;
  // One report per click, whether or not the click changed the selection.
  if (click && currentItem() != nullptr && currentItem()->isSelected()) emit Click();
}

void TClassListBox::keyPressEvent(QKeyEvent* event) {
  // A release can go astray (a double click opens a dialog before it comes);
  // the keyboard is in use now, not the mouse.
  FPressed = false;
  QListWidget::keyPressEvent(event);
}

void TClassListBox::focusOutEvent(QFocusEvent* event) {
  FPressed = false;
  QListWidget::focusOutEvent(event);
}

void TClassListBox::SelectionChanged() {
  // The mouse reports on release; the keyboard moves the selection without one.
  if (!FPressed && currentItem() != nullptr && currentItem()->isSelected()) emit Click();
}
