// Texts of a test language: one message and one caption replaced.
#include "package/PackageInfo.h"

namespace {
const AteResource kTexts[] = {
    {"msgPadrao.Excl", "Confirm deletion?"},
    {"lblfilial.Caption", "Branch"},
    {nullptr, nullptr},
};
}  // namespace

extern "C" const AteResource* AteResourceTable() { return kTexts; }
