#pragma once
// The planning tools as the main screen's "Ferramentas" items open them.
// Each first takes the header's flight context (ToolContext: refused with
// the header's messages and a silent EAbort), then shows its form modally
// and returns when the user closes it.

#include <string>

class TfrmPropPass;

namespace screen_tools {

// Every hole of every service of the leg; a hole picked there is shown on
// the main screen (GoToService). A failed call is shown and aborts.
void ShowCoverage(TfrmPropPass& main);
// What each service of the leg gets for a passenger count typed there.
void ShowQuantityForPassengers(TfrmPropPass& main);
// The leg's ranges copied to other legs of the airline; the main screen
// reads its lists again when the copy reached its flight.
void ShowCopy(TfrmPropPass& main);
// The airline's ranges at the branch (or the header's leg's) to a CSV file.
void ShowExport(TfrmPropPass& main);
// Such a file back into the airline's ranges, previewed, then applied.
void ShowImport(TfrmPropPass& main);
// The stored changes of the header's leg (of service first, "" for all),
// and a restore of a service to how it was before one of them; the main
// screen reads the leg's ranges again after a restore.
void ShowHistory(TfrmPropPass& main, const std::string& service);
// The report screen of the coverage of the header's airline at its branch.
void ShowCoverageReport(TfrmPropPass& main);

}  // namespace screen_tools
