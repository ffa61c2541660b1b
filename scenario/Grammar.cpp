#include "scenario/Grammar.h"

namespace scenario {

namespace {

const ArgRule kName{ArgKind::Name};
const ArgRule kText{ArgKind::Text};
const ArgRule kInt{ArgKind::Int};
const ArgRule kCount{ArgKind::Count};

std::vector<VerbRule> Build() {
  return {
      // set-up and answers
      {"host", {}, ArgRule{ArgKind::KeyValue}, 1, "host KEY=VALUE..."},
      {"seed", {{ArgKind::SeedSource}}, {}, 0, "seed demo | seed \"file.sql\""},
      {"sql", {kText}, {}, 0, "sql \"statement\""},
      {"answer", {{ArgKind::Choice, {"yes", "no"}}}, kText, 0, "answer yes|no | answer yes|no \"question\""},
      {"pick", {{ArgKind::PickRow}}, {}, 0, "pick N | pick none"},
      {"file", {kText}, {}, 0, "file \"name\" | file \"\""},
      {"popup", {kText}, {}, 0, "popup \"item\" | popup \"\""},
      {"write", {kText}, kText, 0, "write \"name\" \"line\"..."},
      // actions
      {"open", {}, {}, 0, "open"},
      {"focus", {kName}, {}, 0, "focus NAME"},
      {"type", {kName, kText}, {}, 0, "type NAME \"text\""},
      {"set", {kName, kText}, {}, 0, "set NAME \"text\""},
      {"key", {kName, {ArgKind::Keys}}, {}, 0, "key NAME KEYS"},
      {"click", {kName}, {}, 0, "click NAME"},
      {"select", {kName, kCount}, {}, 0, "select NAME INDEX"},
      {"col", {kName, kName}, {}, 0, "col GRID FIELD"},
      {"row", {kName, kCount}, {}, 0, "row GRID N"},
      {"dblclick", {kName}, {}, 0, "dblclick NAME"},
      {"editbutton", {kName}, {}, 0, "editbutton GRID"},
      {"minimize", {}, {}, 0, "minimize"},
      {"switch", {}, {}, 0, "switch"},
      {"call", {kName}, {}, 0, "call NAME"},
      {"close", {}, {}, 0, "close"},
      {"server stop", {}, {}, 0, "server stop"},
      {"server start", {}, {}, 0, "server start"},
      {"server stall", {}, kName, 0, "server stall | server stall METHOD"},
      {"server resume", {}, {}, 0, "server resume"},
      // checks
      {"expect message", {{ArgKind::TextOrStar}}, {}, 0, "expect message \"text\" | expect message *"},
      {"expect no message", {}, {}, 0, "expect no message"},
      {"expect focus", {kName}, {}, 0, "expect focus NAME"},
      {"expect text", {kName, kText}, {}, 0, "expect text NAME \"text\""},
      {"expect enabled", {kName, {ArgKind::Bool}}, {}, 0, "expect enabled NAME true|false"},
      {"expect tag", {kName, kInt}, {}, 0, "expect tag NAME N"},
      {"expect items", {kName}, kText, 0, "expect items NAME \"a\" \"b\"..."},
      {"expect itemindex", {kName, kInt}, {}, 0, "expect itemindex NAME N"},
      {"expect state", {kName, {ArgKind::Choice, {"inactive", "browse", "edit", "insert"}}}, {}, 0,
       "expect state DATASET inactive|browse|edit|insert"},
      {"expect field", {{ArgKind::DataSetField}, kText}, {}, 0, "expect field DATASET.FIELD \"text\""},
      {"expect rows", {kName, kCount}, {}, 0, "expect rows DATASET N"},
      {"expect column",
       {kName, kName, {ArgKind::Choice, {"readonly", "editable"}}, {ArgKind::Choice, {"none", "ellipsis"}}},
       {}, 0, "expect column GRID FIELD readonly|editable none|ellipsis"},
      {"expect selected", {kName, kName}, {}, 0, "expect selected GRID FIELD"},
      {"expect marked", {kName, kName, {ArgKind::Bool}}, {}, 0, "expect marked GRID FIELD true|false"},
      {"expect bar", {kName, kText}, {}, 0, "expect bar GRID|BAR \"1-20:2 21-50:4 51-60:-\""},
      {"expect calls", {kName, kCount}, {}, 0, "expect calls METHOD N"},
      {"expect call", {kName}, kText, 0, "expect call METHOD \"arg\"..."},
      {"expect db", {kText, kText}, {}, 0, "expect db \"SELECT ...\" \"a|b;c|d\""},
      {"expect cache", {kName, kCount}, {}, 0, "expect cache TABLE N"},
      {"expect windowstate", {{ArgKind::Choice, {"normal", "minimized", "maximized"}}}, {}, 0,
       "expect windowstate normal|minimized|maximized"},
      {"expect param", {kName, kText}, {}, 0, "expect param NAME \"value\""},
      {"expect pdf", {kText}, {}, 0, "expect pdf \"text\""},
      {"expect file", {kText}, kText, 1, "expect file \"name\" \"line\"..."},
      {"reset calls", {}, {}, 0, "reset calls"},
  };
}

}  // namespace

const std::vector<VerbRule>& Grammar() {
  static const std::vector<VerbRule> grammar = Build();
  return grammar;
}

const VerbRule* FindVerb(std::string_view verb) {
  for (const VerbRule& rule : Grammar())
    if (rule.verb == verb) return &rule;
  return nullptr;
}

}  // namespace scenario
