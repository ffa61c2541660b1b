#pragma once
// Counts the remote calls of the process per method and keeps the
// arguments of each method's last call, written as scripts write them
// (strings as they are, numbers as in ValueFormat.h, null as empty, change
// logs as their JSON text).

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "framework/NetConnection.h"

namespace scenario {

class CallRecorder : public framework::CallObserver {
 public:
  void Called(const std::string& method, const std::vector<rpc::Param>& params) override;

  // Calls of the method since the last Reset.
  int Count(const std::string& method) const;
  // The arguments of the method's last call (Reset keeps them: it only
  // starts the counts again).
  std::optional<std::vector<std::string>> LastArguments(const std::string& method) const;
  void Reset() { counts_.clear(); }

  // Runs action once, just before the next call of method goes out. One at
  // a time; line is the script line that asked for it.
  void BeforeNextCall(std::string method, std::function<void()> action, int line);
  // The line that asked for an action still waiting for its call, 0 when
  // none; and that call's method.
  int ArmedLine() const { return armed_ ? armed_->line : 0; }
  std::string ArmedMethod() const { return armed_ ? armed_->method : std::string(); }

 private:
  struct Armed {
    std::string method;
    std::function<void()> action;
    int line = 0;
  };
  std::map<std::string, int> counts_;
  std::map<std::string, std::vector<std::string>> last_;
  std::optional<Armed> armed_;
};

std::string FormatParam(const rpc::Param& param);

}  // namespace scenario
