#include "framework/Helpers.h"

#include "packet/Value.h"

#include "toolkit/controls/Application.h"
#include "toolkit/controls/Container.h"
#include "toolkit/controls/DBGrid.h"
#include "toolkit/controls/DialogService.h"
#include "toolkit/data/Abort.h"
#include "toolkit/data/DataSource.h"

namespace framework {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Trim(std::string_view text) {
  while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
  return text;
}

}  // namespace

void MensErro(std::string_view text, bool abort) {
  toolkit::Application::Instance().Dialogs().ShowError(text);
  if (abort) toolkit::Abort();
}

bool EmptyString(std::string_view text) { return Trim(text).empty(); }

std::string Ajusta(std::string_view text, int width) {
  std::string_view code = Trim(text);
  std::string fitted;
  if (static_cast<int>(code.size()) < width) fitted.assign(width - code.size(), '0');
  fitted += code;
  return fitted;
}

int IndiceCol(const toolkit::DBGrid& grid, std::string_view fieldName) {
  for (int i = 0; i < grid.ColumnCount(); ++i)
    if (packet::SameFieldName(grid.Columns(i).FieldName(), fieldName)) return i;
  return -1;
}

void SetChildEnabled(toolkit::Container& container, bool enabled) {
  // A copy: enabling may move the focus, and handlers may add controls.
  const std::vector<toolkit::Control*> children = container.Children();
  for (toolkit::Control* child : children)
    if (child->Tag() != kTagFixed) child->SetEnabled(enabled);
}

void LockWindowUpdate(toolkit::Form* form) {
  toolkit::Application& app = toolkit::Application::Instance();
  if (form && !app.RepaintSuspended()) app.SuspendRepaint();
  if (!form && app.RepaintSuspended()) app.ResumeRepaint();
}

void ActiveShowAvi(toolkit::Form* /*form*/, int kind, std::string_view text) {
  toolkit::Application::Instance().Dialogs().ShowWait(kind, text);
}

void DeactiveShowAvi(toolkit::Form* /*form*/) { toolkit::Application::Instance().Dialogs().HideWait(); }

bool Pesquisar(toolkit::DataSource& source, std::string_view title, bool allFields, bool openDataSet,
               std::string_view initialSearch) {
  toolkit::DataSet* data = source.DataSet();
  if (!data) return false;
  if (!data->Active()) {
    if (!openDataSet) return false;
    data->Open();
  }
  if (data->IsEmpty()) return false;
  std::vector<toolkit::Field*> fields;
  for (int i = 0; i < data->FieldCount(); ++i)
    if (allFields || data->Fields(i).Visible()) fields.push_back(&data->Fields(i));
  return toolkit::Application::Instance().Dialogs().PickRow(title, *data, fields, Trim(initialSearch));
}

}  // namespace framework
