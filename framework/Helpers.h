#pragma once
// Small services every screen uses: error messages that abort, blank
// checks, code fitting, grid columns, enabling a container's children,
// the wait indicator and the pick list.
#include <string>
#include <string_view>

namespace toolkit {
class Container;
class DBGrid;
class DataSource;
class Form;
}

namespace framework {

// Shows the text as an error through the dialog service; with abort, then
// stops the operation in progress with a silent EAbort.
void MensErro(std::string_view text, bool abort = true);

// True when the text is empty or holds only blanks (spaces, tabs).
bool EmptyString(std::string_view text);

// Fits a code to the width with leading zeros ("1" -> "0001"); surrounding
// blanks are dropped first. Text already as wide or wider comes back
// unchanged (apart from the blanks).
std::string Ajusta(std::string_view text, int width);

// Index of the grid's column showing that field (case-insensitive), or -1.
int IndiceCol(const toolkit::DBGrid& grid, std::string_view fieldName);

// Enables or disables every direct child of the container, except those
// whose Tag is 99.
void SetChildEnabled(toolkit::Container& container, bool enabled);
inline constexpr int kTagFixed = 99;

// Suspends the repainting of the application while a form reworks its
// screen (form), or lets it repaint once (nullptr). One lock at a time:
// locking again while locked, or unlocking while not, does nothing.
void LockWindowUpdate(toolkit::Form* form);
// Locks for its lifetime: the screen repaints again also when the work
// in between fails.
class WindowUpdateLock {
 public:
  explicit WindowUpdateLock(toolkit::Form* form) { LockWindowUpdate(form); }
  ~WindowUpdateLock() { LockWindowUpdate(nullptr); }
  WindowUpdateLock(const WindowUpdateLock&) = delete;
  WindowUpdateLock& operator=(const WindowUpdateLock&) = delete;
};

// Wait indicator over the form (kind 0 connecting, 1 saving).
void ActiveShowAvi(toolkit::Form* form, int kind, std::string_view text);
void DeactiveShowAvi(toolkit::Form* form = nullptr);

// Shows a pick list over the data source's dataset with the given title.
// allFields: every field of the dataset, not only the visible ones.
// openDataSet: a closed dataset is opened first (else a closed one gives
// false without a list). An empty dataset gives false without a list.
// initialSearch: what the list opens searching for (surrounding blanks
// dropped), positioned on its first match; empty, the whole list on the
// current row.
// Returns true when the user picked a row, which is then current.
bool Pesquisar(toolkit::DataSource& source, std::string_view title, bool allFields, bool openDataSet,
               std::string_view initialSearch = {});

}  // namespace framework
