#pragma once
// What a person does, one entry per action. Front ends and the scenario
// runner drive forms only through these.
//
// Each entry is the outermost level: it swallows EAbort, shows any other
// exception as an error through the application's dialog service, then
// disposes of the forms released meanwhile. Every entry works on the form's
// current focus, as a keyboard would.

#include <string_view>

#include "toolkit/controls/Keys.h"

namespace toolkit {

class ComboBox;
class Control;
class DBNavigator;
enum class NavigateBtn;
class DBGrid;
class Edit;
class Form;
class MenuItem;

namespace input {

// A click into the control (or Tab to it): focuses it when it can take the
// focus; a control that cannot is left alone. Activates its form first.
void Focus(Control& control);
// Types each character of the UTF-8 text into the focused control of the
// form: key down (for characters that have a key), then key press.
void Type(Form& form, std::string_view text);
// Presses a key with modifiers on the focused control; Backspace, Enter and
// Esc then also arrive as characters.
void Key(Form& form, Word key, ShiftState shift = 0);
// A click on a control: buttons fire OnClick, other controls are focused
// first. Disabled or hidden ones do nothing.
void Click(Control& control);
void DblClick(Control& control);
void Click(MenuItem& item);
// Focuses the combo box, then chooses the item.
void Choose(ComboBox& combo, int index);
// Places the caret / selection of an edit (a mouse drag or click in it).
void SelectText(Edit& edit, int start, int length);
// A click on a cell of a grid: the grid takes the focus, then the row and
// the column change.
void ClickCell(DBGrid& grid, int row, int column);
// The ellipsis button of the grid's selected cell.
void EditButton(DBGrid& grid);
// The person scrolled the grid until its row lastShown is the bottom one.
void RowsShown(DBGrid& grid, int lastShown);
// A right click on the control: focuses it, then shows its context menu.
void ContextMenu(Control& control);
// A button of a record navigator.
void Navigate(DBNavigator& navigator, NavigateBtn button);
// A click on the form's window: it becomes the active one.
void ActivateForm(Form& form);
// Another window takes the activation, then the form gets it back.
void SwitchAway(Form& form, Form& other);
// The window's close box.
void CloseForm(Form& form);

}  // namespace input
}  // namespace toolkit
