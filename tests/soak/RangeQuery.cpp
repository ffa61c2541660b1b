#include "RangeQuery.h"

#include <stdexcept>

#include "packet/DataPacket.h"

namespace soak {

std::vector<rpc::Param> RangesQuery(const LegService& k) {
  using P = rpc::Param;
  return {P::String(k.filial), P::String(k.cia), P::String(k.servico), P::String(""),
          P::String(""),       P::String(k.voo), P::String(k.trecho)};
}

std::vector<Range> RangesOf(const rpc::Reply& reply) {
  const packet::DataPacket p = packet::DecodePacket(reply.resultJson);
  const int from = p.FieldIndex("QTPAXDE"), to = p.FieldIndex("QTPAXATE"), qty = p.FieldIndex("QTSERVICO");
  if (from < 0 || to < 0 || qty < 0) throw std::runtime_error("the ranges answer lacks QTPAXDE, QTPAXATE or QTSERVICO");
  const auto number = [](const packet::Value& v) {
    return std::holds_alternative<double>(v) ? std::get<double>(v) : -1.0;
  };
  std::vector<Range> ranges;
  for (const packet::Row& r : p.rows) ranges.push_back({number(r[from]), number(r[to]), number(r[qty])});
  return ranges;
}

}  // namespace soak
