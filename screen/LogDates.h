#pragma once
// The log's times are UTC, as the server writes them; people read and type
// local dates and times.
#include <optional>
#include <string>

namespace screen_tools {

// "YYYY-MM-DD HH:MM:SS" (UTC) as "DD/MM/YYYY HH:MM:SS" in local time; text
// that is not such a time is answered as it came.
std::string LocalTimeText(const std::string& utc);

// A date typed as "DD/MM/YYYY": the UTC time ("YYYY-MM-DD HH:MM:SS") of
// the local midnight that starts it, or, with nextDay, of the midnight
// that ends it. nullopt for text that is no date of the calendar.
std::optional<std::string> UtcStartOf(const std::string& typedDate, bool nextDay = false);

}  // namespace screen_tools
