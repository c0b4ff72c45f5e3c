#pragma once

class QLabel;
class QWidget;

// Names the controls of the windows for screen readers and the keyboard.
namespace AccessibleNames {

// The label names the control: it becomes the label's buddy (a click on the label
// or its shortcut reaches the control, and the reader relates the two) and the
// control's accessible name is the label's text without its padding blanks.
void LinkLabel(QLabel* label, QWidget* control);

// Makes drop-down lists announce their accessible name as their name; the
// toolkit's own description of a drop-down list uses its current text instead on
// some desktops. Call once the application object exists; later calls do nothing.
void Install();

}  // namespace AccessibleNames
