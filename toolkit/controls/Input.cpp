#include "toolkit/controls/Input.h"

#include <exception>

#include "toolkit/controls/Application.h"
#include "toolkit/controls/Chars.h"
#include "toolkit/controls/ComboBox.h"
#include "toolkit/controls/DBGrid.h"
#include "toolkit/controls/DBNavigator.h"
#include "toolkit/controls/DialogService.h"
#include "toolkit/controls/Edit.h"
#include "toolkit/controls/Menu.h"
#include "toolkit/data/Abort.h"

namespace toolkit::input {

namespace {

// The outermost level of one action.
template <class F>
void Outermost(F&& action) {
  Application& app = Application::Instance();
  try {
    action();
  } catch (const EAbort&) {
    // silent by design
  } catch (const std::exception& e) {
    app.Dialogs().ShowError(e.what());
  }
  app.ProcessReleased();
}

void Activate(Form& form) {
  if (Application::Instance().ActiveForm() != &form) Application::Instance().Activate(form);
}

void FocusNow(Control& control) {
  Form* form = control.ParentForm();
  if (!form) return;
  Activate(*form);
  if (control.CanFocus() && !control.Focused()) control.SetFocus();
}

void PressKey(Form& form, Word key, ShiftState shift) {
  Activate(form);
  Word k = key;
  form.KeyDown(k, shift);
  if (k == 0) return;
  if (char32_t c = CharOfKey(k, shift)) form.KeyPress(c);
}

void TypeChar(Form& form, char32_t c) {
  if (Word key = KeyOfChar(c)) {
    ShiftState shift = (c >= U'A' && c <= U'Z') ? ShiftState{ssShift} : ShiftState{0};
    form.KeyDown(key, shift);
    if (key == 0) return;
  }
  form.KeyPress(c);
}

}  // namespace

void Focus(Control& control) {
  Outermost([&] { FocusNow(control); });
}

void Type(Form& form, std::string_view text) {
  Outermost([&] {
    Activate(form);
    for (char32_t c : DecodeUtf8(text)) TypeChar(form, c);
  });
}

void Key(Form& form, Word key, ShiftState shift) {
  Outermost([&] { PressKey(form, key, shift); });
}

void Click(Control& control) {
  Outermost([&] {
    if (!control.Showing() || !control.EnabledInTree()) return;
    if (Form* form = control.ParentForm()) Activate(*form);
    if (control.Focusable()) {
      FocusNow(control);
      if (!control.Focused()) return;  // an exit handler kept the focus elsewhere
    }
    control.Click();
  });
}

void DblClick(Control& control) {
  Outermost([&] {
    if (!control.Showing() || !control.EnabledInTree()) return;
    if (control.Focusable()) {
      FocusNow(control);
      if (!control.Focused()) return;
    }
    control.DblClick();
  });
}

void Click(MenuItem& item) {
  Outermost([&] { item.Click(); });
}

void Choose(ComboBox& combo, int index) {
  Outermost([&] {
    FocusNow(combo);
    if (!combo.Focused()) return;
    combo.Choose(index);
  });
}

void SelectText(Edit& edit, int start, int length) {
  Outermost([&] {
    FocusNow(edit);
    if (edit.Focused()) edit.SetSelection(start, length);
  });
}

void ClickCell(DBGrid& grid, int row, int column) {
  Outermost([&] {
    FocusNow(grid);
    if (grid.Focused()) grid.ClickCell(row, column);
  });
}

void EditButton(DBGrid& grid) {
  Outermost([&] {
    FocusNow(grid);
    if (grid.Focused()) grid.EditButtonClick();
  });
}

void RowsShown(DBGrid& grid, int lastShown) {
  Outermost([&] {
    if (grid.Showing()) grid.RowsShown(lastShown);
  });
}

void ContextMenu(Control& control) {
  Outermost([&] {
    if (!control.ContextMenu() || !control.Showing() || !control.EnabledInTree()) return;
    if (control.Focusable()) {
      FocusNow(control);
      if (!control.Focused()) return;
    }
    control.ContextMenu()->Popup(control);
  });
}

void Navigate(DBNavigator& navigator, NavigateBtn button) {
  Outermost([&] {
    if (!navigator.Showing() || !navigator.EnabledInTree()) return;
    if (navigator.ButtonEnabled(button)) navigator.BtnClick(button);
  });
}

void ActivateForm(Form& form) {
  Outermost([&] { Activate(form); });
}

void SwitchAway(Form& form, Form& other) {
  Outermost([&] {
    Application::Instance().Activate(other);
    Application::Instance().Activate(form);
  });
}

void CloseForm(Form& form) {
  Outermost([&] { form.Close(); });
}

}  // namespace toolkit::input
