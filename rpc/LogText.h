#pragma once
// Text from a client (a user name, a method, a server name, a database
// error quoting a bound value) made safe for one log line: nothing in it
// can end the line or drive a terminal.

#include <cstddef>
#include <string>
#include <string_view>

namespace rpc {

// s with control characters, DEL, backslash and bytes that are not UTF-8
// written as escapes (\n, \t, \\, \x1b), cut after `max` bytes of s with
// "..." (0: no cut). Valid UTF-8 beyond ASCII stays as it is.
std::string LogText(std::string_view s, std::size_t max = 0);
// LogText(s, max) between single quotes.
std::string LogQuoted(std::string_view s, std::size_t max = 60);

}  // namespace rpc
