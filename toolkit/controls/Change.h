#pragma once
// What a renderer hears: every visible change of a control or form.

namespace toolkit {

class Control;
class MenuItem;

enum class Change {
  Text,         // text of an edit, caption of a label, button or form
  Enabled,
  Visible,
  Color,
  Font,
  Bounds,       // position, size or alignment
  Hint,
  ReadOnly,
  Items,        // the item list of a combo box
  ItemIndex,    // the selected item of a combo box
  Selection,    // caret or selected text of an edit
  Focus,        // the form's active control changed (sent for the form)
  GridLayout,   // columns added, removed, retitled, resized, made read-only...
  GridData,     // rows or their contents changed: repaint all
  GridRow,      // the current row moved
  GridColumn,   // the selected column changed
  GridCell,     // the text of the current cell changed (typing, a field write)
  Drawing,      // what a drawn control pictures changed (the segments of a range bar)
  WindowState,  // of a form
  Repaint,      // Refresh of a form
  Removed,      // the control is being destroyed
};

// Observers are called synchronously after the change, on the UI thread.
// They must not change the controls they are told about.
class ControlObserver {
 public:
  virtual ~ControlObserver() = default;
  virtual void ControlChanged(Control& control, Change what) = 0;
  virtual void MenuChanged(MenuItem& /*item*/) {}
};

}  // namespace toolkit
