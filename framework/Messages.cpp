#include "framework/Messages.h"

#include <stdexcept>

#include "toolkit/controls/Application.h"
#include "toolkit/controls/DialogService.h"

namespace framework {

void TMessages::Add(std::string key, std::string text) { texts_[std::move(key)] = std::move(text); }

bool TMessages::Contains(std::string_view key) const { return texts_.find(key) != texts_.end(); }

const std::string& TMessages::Msg(std::string_view key) const {
  auto it = texts_.find(key);
  if (it == texts_.end())
    throw std::invalid_argument("Message list " + (Name().empty() ? std::string("(unnamed)") : Name()) +
                                " has no key " + std::string(key));
  return it->second;
}

int TMessages::ShowMsg(std::string_view key, TMsgDlgType type, TMsgDlgButtons buttons, int /*helpContext*/) const {
  const std::string& text = Msg(key);
  auto& dialogs = toolkit::Application::Instance().Dialogs();
  if (type == mtConfirmation && (buttons & mbYes))
    return dialogs.Confirm(text) ? toolkit::mrYes : toolkit::mrNo;
  if (type == mtError || type == mtWarning)
    dialogs.ShowError(text);
  else
    dialogs.ShowInformation(text);
  return toolkit::mrOk;
}

}  // namespace framework
