// The print command, bound to its button already; the report screen it
// opens comes with the reports.
#include "screen/Cli_ate11600.h"

void TfrmPropPass::sbtImprimirClick(toolkit::Control&) {}
