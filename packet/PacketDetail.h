#pragma once
// Helpers shared by the packet library's sources for checks and messages.
// Private to the library.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "packet/JsonReader.h"

namespace packet::detail {

// "a string", "an object", "the end of the text"... for "got ..." messages.
const char* DescribeToken(JsonReader::Token token);

// The name in single quotes, cut to a few dozen bytes (at a character
// boundary) so that hostile input cannot blow up an error message.
std::string Quoted(std::string_view name);

// Position of the first name that repeats an earlier one (case-insensitive,
// as field names compare), or -1 when all differ.
std::ptrdiff_t FindDuplicateName(const std::vector<std::string_view>& names);

// Why JsonWriter::Scalar refused the value, as ": ..." for a message.
const char* ScalarProblem(const Value& value);

// Whether a and b hold the same names (case-insensitive), in any order;
// each list is known to hold no duplicates.
bool SameNameSet(const std::vector<std::string_view>& a, const std::vector<std::string_view>& b);

}  // namespace packet::detail
