#pragma once
// The host's start-up on the general database: opening it for the
// screen's lookups, with a failure said in Portuguese.
#include <string>

namespace framework {
class TGeneralConnection;
}

namespace host {

// Opens the connection on the URL. Throws std::runtime_error saying that
// the lookups' database could not be opened, naming the URL without its
// password and giving the driver's reason with any password of the URL
// cut out of it, so that the text may be shown and logged as it is.
void OpenGeneralDatabase(framework::TGeneralConnection& connection, const std::string& url);

}  // namespace host
