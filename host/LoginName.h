#pragma once
// Who is using this station: the name the operating system logged the
// person in as. Every change the screens store is logged under it.
#include <string>

namespace host {

// The account of the process's user; when the account database has none
// (a container without one), $LOGNAME or $USER; failing those, "uid<N>",
// so that a change is never logged as nobody's.
std::string LoginName();

}  // namespace host
