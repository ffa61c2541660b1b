#include "appserver/Replies.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <ctime>

#include "packet/JsonWriter.h"

namespace appserver {

bool IsBlank(std::string_view s) { return s.find_first_not_of(" \t\r\n") == std::string_view::npos; }

rpc::Reply PacketReply(const std::vector<packet::FieldDef>& fields, const std::vector<packet::Row>& rows) {
  return PacketReply(packet::PacketFields(fields), rows);
}

rpc::Reply PacketReply(const packet::PacketFields& fields, const std::vector<packet::Row>& rows) {
  rpc::Reply reply{packet::EncodePacket(fields, rows), {}};
  reply.wellFormed = true;  // EncodePacket throws rather than write anything else
  return reply;
}

std::string ErrorData(const std::vector<std::pair<std::string, packet::Value>>& members) {
  std::string out = "{";
  for (const auto& [name, value] : members) {
    // A driver's text need not be UTF-8; such a member is left out rather
    // than spoil the whole answer.
    std::string member;
    packet::JsonWriter w(member);
    const bool ok = w.String(name);
    w.Raw(':');
    if (!ok || !w.Scalar(value)) continue;
    if (out.size() > 1) out.push_back(',');
    out += member;
  }
  out.push_back('}');
  return out;
}

std::string NumberText(double v) {
  char buf[32];
  // Shortest form, but never an exponent for what a person types: 100000
  // is not 1e+05.
  const auto res = std::abs(v) < 1e15 ? std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed)
                                      : std::to_chars(buf, buf + sizeof buf, v);
  std::string s(buf, res.ptr);
  for (char& c : s) {
    if (c == '.') c = ',';
  }
  return s;
}

std::string UtcTimestamp(std::chrono::system_clock::time_point when) {
  const std::time_t secs = std::chrono::system_clock::to_time_t(when);
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(when.time_since_epoch()).count() % 1000;
  std::tm tm{};
  gmtime_r(&secs, &tm);
  char buf[64];
  std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d.%03d", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                tm.tm_hour, tm.tm_min, tm.tm_sec, static_cast<int>(ms));
  return buf;
}

}  // namespace appserver
