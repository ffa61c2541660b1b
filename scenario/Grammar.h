#pragma once
// The grammar of each verb: the kinds of its arguments.

#include <optional>
#include <string_view>
#include <vector>

namespace scenario {

enum class ArgKind {
  Name,          // a bare word: a control, dataset, method or table name
  Text,          // a quoted string
  TextOrStar,    // a quoted string or a bare *
  Int,           // a bare integer, may be negative
  Count,         // a bare integer from 0
  Bool,          // true or false
  KeyValue,      // KEY=VALUE
  Keys,          // a key name with modifiers
  PickRow,       // a row number or none
  SeedSource,    // demo or a quoted file name
  DataSetField,  // DATASET.FIELD
  Choice,        // one of the listed bare words
};

struct ArgRule {
  ArgKind kind;
  std::vector<std::string_view> choices = {};
};

struct VerbRule {
  std::string_view verb;
  std::vector<ArgRule> args;
  std::optional<ArgRule> rest = std::nullopt;  // repeated arguments after args
  int minRest = 0;
  std::string_view usage;
  std::string_view unsupported = {};  // non-empty: the verb is refused with this text
};

const std::vector<VerbRule>& Grammar();
// nullptr when no verb has that name.
const VerbRule* FindVerb(std::string_view verb);

}  // namespace scenario
