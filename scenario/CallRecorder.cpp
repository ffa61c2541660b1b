#include "scenario/CallRecorder.h"

#include "scenario/ValueFormat.h"

namespace scenario {

std::string FormatParam(const rpc::Param& param) {
  switch (param.kind) {
    case rpc::Param::Kind::Null: return {};
    case rpc::Param::Kind::Bool: return param.boolean ? "true" : "false";
    case rpc::Param::Kind::Number: return FormatNumber(param.number);
    case rpc::Param::Kind::String:
    case rpc::Param::Kind::Object:
    case rpc::Param::Kind::Array: return param.text;
  }
  return {};
}

void CallRecorder::Called(const std::string& method, const std::vector<rpc::Param>& params) {
  if (armed_ && armed_->method == method) {
    const std::function<void()> action = std::move(armed_->action);
    armed_.reset();
    action();
  }
  ++counts_[method];
  std::vector<std::string> args;
  args.reserve(params.size());
  for (const rpc::Param& p : params) args.push_back(FormatParam(p));
  last_[method] = std::move(args);
}

int CallRecorder::Count(const std::string& method) const {
  const auto it = counts_.find(method);
  return it == counts_.end() ? 0 : it->second;
}

std::optional<std::vector<std::string>> CallRecorder::LastArguments(const std::string& method) const {
  const auto it = last_.find(method);
  if (it == last_.end()) return std::nullopt;
  return it->second;
}

void CallRecorder::BeforeNextCall(std::string method, std::function<void()> action, int line) {
  armed_ = Armed{std::move(method), std::move(action), line};
}

}  // namespace scenario
