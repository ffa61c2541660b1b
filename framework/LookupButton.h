#pragma once
// A lookup button beside an edit: asks its handler to prepare the list,
// shows the pick list over its data source (or the empty-list text), and
// tells its handler what was picked.
#include <functional>
#include <string>
#include "toolkit/controls/Button.h"

namespace toolkit {
class DataSource;
class Edit;
}

namespace framework {

class TBtnPesquisa : public toolkit::Button {
 public:
  // proceed starts true; a handler that sets it false stops the lookup.
  using BeforePesqEvent = std::function<void(toolkit::Control& sender, bool& proceed)>;

  explicit TBtnPesquisa(toolkit::Component* owner = nullptr);

  const std::string& Title() const { return title_; }
  void SetTitle(std::string title) { title_ = std::move(title); }
  toolkit::DataSource* DataSource() const { return source_; }
  void SetDataSource(toolkit::DataSource* source) { source_ = source; }
  // The edit the looked-up value belongs to.
  toolkit::Edit* Edit() const { return edit_; }
  void SetEdit(toolkit::Edit* edit) { edit_ = edit; }
  // Shown as information when the list has no row.
  const std::string& EmptyText() const { return emptyText_; }
  void SetEmptyText(std::string text) { emptyText_ = std::move(text); }

  BeforePesqEvent OnBeforePesq;
  NotifyEvent OnAfterPesq;
  // The pick list was closed without a pick.
  NotifyEvent OnCancelPesq;

  // When enabled and showing: OnBeforePesq; then, over the data source's
  // dataset, the empty-list text when it is closed or empty, else the pick
  // list of its visible fields, opened searching for the edit's text (see
  // Pesquisar); OnAfterPesq when a row was picked,
  // OnCancelPesq when it was closed without one. The focus stays
  // where it was.
  void Click() override;

 private:
  std::string title_;
  toolkit::DataSource* source_ = nullptr;
  toolkit::Edit* edit_ = nullptr;
  std::string emptyText_;
};

}  // namespace framework
