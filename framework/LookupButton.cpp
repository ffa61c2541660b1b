#include "framework/LookupButton.h"

#include "framework/Helpers.h"
#include "toolkit/controls/Application.h"
#include "toolkit/controls/DialogService.h"
#include "toolkit/controls/Edit.h"
#include "toolkit/data/DataSource.h"

namespace framework {

TBtnPesquisa::TBtnPesquisa(toolkit::Component* owner) : Button(owner) {}

void TBtnPesquisa::Click() {
  if (!EnabledInTree() || !Showing()) return;
  bool proceed = true;
  if (OnBeforePesq) {
    BeforePesqEvent before = OnBeforePesq;
    before(*this, proceed);
  }
  if (!proceed || !source_) return;
  toolkit::DataSet* data = source_->DataSet();
  if (!data || !data->Active() || data->IsEmpty()) {
    toolkit::Application::Instance().Dialogs().ShowInformation(emptyText_);
    return;
  }
  // What is typed in the edit is what the person is looking for.
  const std::string typed = edit_ ? edit_->Text() : std::string();
  if (!Pesquisar(*source_, title_, false, false, typed)) {
    toolkit::Fire(OnCancelPesq, *this);
    return;
  }
  toolkit::Fire(OnAfterPesq, *this);
}

}  // namespace framework
