#pragma once
// Finding room for the soak clients in the demo data.

#include <string>
#include <vector>

#include "ChangeLogs.h"

namespace soak {

// Every leg with every service of its airline that holds no range yet, in
// a fixed order, read from the database at url. Throws std::runtime_error
// when fewer than `needed` are free.
std::vector<LegService> FreeLegServices(const std::string& url, std::size_t needed);

}  // namespace soak
