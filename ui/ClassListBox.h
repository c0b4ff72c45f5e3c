#pragma once

#include <QListWidget>

// The main window's class list. It keeps exactly one selected class: a press on
// the empty part of the list or a Ctrl+click never clears the selection (only
// deleting the class does, from code). Every click on a class reports Click, also
// on the class that is already selected, so the member grid can be rebuilt; a
// change of selection by the keyboard reports it too.
class TClassListBox : public QListWidget {
  Q_OBJECT

 public:
  explicit TClassListBox(QWidget* parent = nullptr);

 signals:
  void Click();

 protected:
  QItemSelectionModel::SelectionFlags selectionCommand(const QModelIndex& index,
                                                       const QEvent* event = nullptr) const override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

 private:
  void SelectionChanged();

  // Set while a mouse button is down; a selection change then waits for the release.
  bool FPressed = false;
  // The press landed on an item, so its release is a click.
  bool FPressedOnItem = false;
};
