// Shared control routines: text boxes of any kind (line edits, multi-line panes, the line edit
// of an editable combo box) seen through one set of operations, and the enabled look.
#pragma once

class QWidget;

namespace textops {

// True for widgets that count as text boxes.
bool isTextBox(const QWidget *w);
// The text target a focused widget stands for: a text box itself; the line edit of the combo
// boxes named cmbController or cmbProvider; otherwise none.
QWidget *textTargetFor(QWidget *focused);

bool hasSelection(const QWidget *textBox);
bool isReadOnly(const QWidget *textBox);
void cut(QWidget *textBox);
void copy(QWidget *textBox);
void paste(QWidget *textBox);
void clear(QWidget *textBox);
// Caret to the start and the whole text selected.
void selectAll(QWidget *textBox);

// Locks a text box (read-only) and paints it in the button-face colour, or unlocks it on the
// window colour. Display boxes of the panels are locked from the start.
void setLocked(QWidget *textBox, bool locked);

// Enabled look: a text box that is disabled is also locked (read-only) and painted in the
// button-face colour; enabled, it is editable on the window colour. Buttons and combo boxes
// only change their enabled state; other widgets are left alone.
void setEnabledLook(QWidget *control, bool enabled);

// Raises a window to the top of its siblings without moving or resizing it.
void bringToFront(QWidget *window);

} // namespace textops
