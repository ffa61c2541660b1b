#include "scenario/Context.h"

namespace scenario {

const HandlerTable& Handlers() {
  static const HandlerTable table = [] {
    HandlerTable t;
    AddSetupHandlers(t);
    AddActionHandlers(t);
    AddCheckHandlers(t);
    AddFileHandlers(t);
    return t;
  }();
  return table;
}

}  // namespace scenario
