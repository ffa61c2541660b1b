#include "ChangeLogs.h"

#include <cstdio>
#include <stdexcept>

namespace soak {

namespace {

std::string Number(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.17g", v);
  return buf;
}

// Codes are digits in the demo data; a quote or backslash would need escaping.
std::string Text(const std::string& s) {
  if (s.find_first_of("\"\\") != std::string::npos) throw std::invalid_argument("code needs escaping: " + s);
  return '"' + s + '"';
}

std::string OptionalText(const std::string& s) { return s.empty() ? "null" : Text(s); }

std::string RowJson(const LegService& k, const Range& r) {
  return "{\"CDFILIAL\":" + Text(k.filial) + ",\"CDCIA\":" + Text(k.cia) + ",\"NRVOO\":" + Text(k.voo) +
         ",\"CDTRECHO\":" + Text(k.trecho) + ",\"CDSERVICO\":" + Text(k.servico) + ",\"QTPAXDE\":" + Number(r.from) +
         ",\"QTPAXATE\":" + Number(r.to) + ",\"CDCLASSE\":" + OptionalText(k.classe) +
         ",\"CDCICLO\":" + OptionalText(k.ciclo) + ",\"QTSERVICO\":" + Number(r.qty) + "}";
}

}  // namespace

std::string LegService::Name() const { return filial + "/" + cia + "/" + voo + "/" + trecho + "/" + servico; }

std::string ChangeLogJson(const LegService& key, const std::vector<RangeChange>& changes) {
  using Op = RangeChange::Op;
  std::string log = "{\"changes\":[";
  for (std::size_t i = 0; i < changes.size(); ++i) {
    const RangeChange& c = changes[i];
    const bool needsBefore = c.op != Op::Insert, needsAfter = c.op != Op::Delete;
    if ((needsBefore && !c.before) || (needsAfter && !c.after))
      throw std::invalid_argument("change " + std::to_string(i) + " lacks a range");
    if (i) log += ',';
    log += c.op == Op::Insert ? "{\"op\":\"insert\"" : c.op == Op::Modify ? "{\"op\":\"modify\"" : "{\"op\":\"delete\"";
    if (needsBefore) log += ",\"old\":" + RowJson(key, *c.before);
    if (needsAfter) log += ",\"new\":" + RowJson(key, *c.after);
    log += '}';
  }
  return log + "]}";
}

}  // namespace soak
