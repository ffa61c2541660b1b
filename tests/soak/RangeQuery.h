#pragma once
// Reading a key's ranges back through the server, as the screen does.

#include <vector>

#include "ChangeLogs.h"
#include "rpc/Message.h"

namespace soak {

// GetQtdePropServico's arguments for every range of the key (class and
// cycle blank).
std::vector<rpc::Param> RangesQuery(const LegService& key);

// The ranges of its answer, in the order given. Throws packet::PacketError
// for an answer that is no data packet, std::runtime_error for one without
// the bound and quantity fields.
std::vector<Range> RangesOf(const rpc::Reply& reply);

}  // namespace soak
