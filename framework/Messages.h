#pragma once
// Keyed message lists: a screen holds its texts in one or more lists and
// asks them by key.
#include <map>
#include <string>
#include <string_view>
#include "toolkit/controls/Component.h"

namespace framework {

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn : unsigned { mbYes = 1, mbNo = 2, mbOK = 4, mbCancel = 8 };
using TMsgDlgButtons = unsigned;

class TMessages : public toolkit::Component {
 public:
  explicit TMessages(toolkit::Component* owner = nullptr) : Component(owner) {}

  // Adds or replaces the text of a key.
  void Add(std::string key, std::string text);
  bool Contains(std::string_view key) const;
  int Count() const { return static_cast<int>(texts_.size()); }

  // The text of the key (case-sensitive). Throws std::invalid_argument
  // naming the key and the list when the list has no such key.
  const std::string& Msg(std::string_view key) const;

  // Shows the key's text through the dialog service. A confirmation with
  // Yes among the buttons asks Yes/No and returns toolkit::mrYes or
  // toolkit::mrNo; an error or warning is shown as an error, anything else
  // as information, and returns toolkit::mrOk. helpContext is kept for the
  // help button of desktop dialogs (0: none).
  int ShowMsg(std::string_view key, TMsgDlgType type, TMsgDlgButtons buttons, int helpContext = 0) const;

 private:
  std::map<std::string, std::string, std::less<>> texts_;
};

}  // namespace framework
