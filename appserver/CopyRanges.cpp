#include "appserver/CopyRanges.h"

#include <algorithm>
#include <map>
#include <set>

#include "appserver/PlanningArgs.h"
#include "appserver/RangeRules.h"
#include "appserver/Replies.h"
#include "appserver/SaveChanges.h"
#include "appserver/StateToken.h"
#include "appserver/Statement.h"

namespace appserver {

namespace {

constexpr Kind T = Kind::Text;
constexpr Kind N = Kind::Number;

const StatementDef kLegExists{
    "SELECT CDTRECHO FROM TRECHO WHERE CDFILIAL = :filial AND CDCIA = :cdcia AND NRVOO = :nrvoo AND CDTRECHO = :tr",
    {T, T, T, T},
    {T}};
// A leg's ranges, service by service, with the product each is of when the
// airline has it as a service.
const StatementDef kRanges{
    "SELECT S.CDSERVICO, S.QTPAXDE, S.QTPAXATE, S.CDCLASSE, S.CDCICLO, S.QTSERVICO, P.CDARVPROD, P.NMPRODUTO "
    "FROM PROPSERVICO S LEFT JOIN PRODUTO P ON P.CDCIA = S.CDCIA AND P.CDPRODUTO = S.CDSERVICO "
    "AND P.IDPRODCOMISS = '1' "
    "WHERE S.CDFILIAL = :filial AND S.CDCIA = :cdcia AND S.NRVOO = :nrvoo AND S.CDTRECHO = :cdtrecho "
    "ORDER BY S.CDSERVICO, S.QTPAXDE",
    {T, T, T, T},
    {T, N, N, T, T, N, T, T}};

struct Leg {
  std::string flight, leg;
  bool operator<(const Leg& o) const { return std::tie(flight, leg) < std::tie(o.flight, o.leg); }
  bool operator==(const Leg& o) const = default;
};

struct Range {
  PropRow row;
  std::string tree, name;  // the product's CDARVPROD and NMPRODUTO; empty: not a service of the airline
};

struct Target {
  Leg leg;
  bool exists = false;
  std::map<std::string, std::vector<Range>> ranges;  // by CDSERVICO
};

struct Copy {
  std::string branch, airline;
  Leg source;
  std::vector<Leg> targets;
  std::string service;  // empty: every service
  bool replace = false, preview = true;
  std::string seen;  // the state token of the preview the apply follows, if any
};

constexpr std::string_view kMethod = "CopiaPropServico";

std::vector<Leg> ReadTargets(const std::string& text) {
  std::vector<Leg> targets;
  std::set<Leg> seen;
  std::size_t start = 0;
  while (start <= text.size()) {
    const std::size_t end = std::min(text.find(';', start), text.size());
    const std::string item = text.substr(start, end - start);
    start = end + 1;
    if (IsBlank(item)) continue;
    const std::size_t slash = item.find('/');
    Leg leg{item.substr(0, slash), slash == std::string::npos ? "" : item.substr(slash + 1)};
    if (leg.flight.empty() || leg.leg.empty() || leg.flight.size() > 5 || leg.leg.size() > 4 ||
        leg.leg.find('/') != std::string::npos)
      BadArgument(kMethod, 4, "(targets) must list legs as \"NRVOO/CDTRECHO\" separated by \";\", not \"" +
                         std::string(ClipText(item, 20)) + "\"");
    if (seen.insert(leg).second) targets.push_back(std::move(leg));
    if (targets.size() > kMaxCopyTargets)
      BadArgument(kMethod, 4, "(targets) lists more than " + std::to_string(kMaxCopyTargets) + " legs");
  }
  if (targets.empty()) BadArgument(kMethod, 4, "(targets) names no leg");
  return targets;
}

Copy ReadCopy(const rpc::Request& request) {
  rpc::ExpectParamCount(request, 8, 9);
  Copy copy;
  copy.branch = rpc::StringParam(request, 0);
  copy.airline = rpc::StringParam(request, 1);
  copy.source = {rpc::StringParam(request, 2), rpc::StringParam(request, 3)};
  copy.targets = ReadTargets(rpc::StringParam(request, 4));
  copy.service = rpc::StringParam(request, 5);
  copy.replace = ReplaceMode(request, 6, kMethod);
  copy.preview = PreviewFlag(request, 7, kMethod);
  if (request.params.size() == 9) copy.seen = rpc::StringParam(request, 8);
  if (std::find(copy.targets.begin(), copy.targets.end(), copy.source) != copy.targets.end())
    throw rpc::RpcError(rpc::kInvalidParams, "O trecho de origem (vôo " + copy.source.flight + ", trecho " +
                                                 copy.source.leg + ") não pode ser destino da própria cópia.");
  return copy;
}

bool LegExists(Connection& c, const Copy& copy, const Leg& leg) {
  Statement& st = c.Prepared(kLegExists);
  st.SetText(0, copy.branch);
  st.SetText(1, copy.airline);
  st.SetText(2, leg.flight);
  st.SetText(3, leg.leg);
  return st.ExecuteOne();
}

std::map<std::string, std::vector<Range>> RangesOf(Connection& c, const Copy& copy, const Leg& leg) {
  Statement& st = c.Prepared(kRanges);
  st.SetText(0, copy.branch);
  st.SetText(1, copy.airline);
  st.SetText(2, leg.flight);
  st.SetText(3, leg.leg);
  std::map<std::string, std::vector<Range>> ranges;
  for (bool more = st.Execute(); more; more = st.Next()) {
    auto text = [&](std::size_t i) { return st.IsNull(i) ? std::optional<std::string>() : st.Text(i); };
    Range r;
    r.row = {copy.branch, copy.airline, leg.flight, leg.leg, st.Text(0), st.Number(1), st.Number(2),
             text(3),     text(4),      st.IsNull(5) ? std::optional<double>() : st.Number(5)};
    r.tree = text(6).value_or("");
    r.name = text(7).value_or("");
    ranges[r.row.servico].push_back(std::move(r));
  }
  st.Release();
  return ranges;
}

// What one service's ranges do on one target.
struct Outcome {
  std::vector<PropRow> inserts;
  const std::vector<Range>* removed = nullptr;
  std::string refusal;
};

std::string RangeText(const PropRow& r) { return NumberText(*r.de) + " a " + NumberText(*r.ate); }

Outcome Plan(const Copy& copy, const Leg& target, const std::vector<Range>& source,
             const std::vector<Range>* existing) {
  Outcome out;
  const Range& first = source.front();
  if (first.tree.empty()) {
    out.refusal = "Serviço " + first.row.servico + " não cadastrado como serviço da companhia.";
    return out;
  }
  for (const Range& r : source) {
    PropRow row = r.row;
    row.voo = target.flight;
    row.trecho = target.leg;
    out.inserts.push_back(std::move(row));
  }
  if (!existing) return out;
  if (copy.replace) {
    out.removed = existing;
    return out;
  }
  for (const PropRow& row : out.inserts)
    for (const Range& kept : *existing)
      if (*row.de <= *kept.row.ate && *kept.row.de <= *row.ate) {
        out.refusal = "A faixa de " + RangeText(row) + " passageiros sobrepõe a faixa de " + RangeText(kept.row) +
                      " já cadastrada no destino.";
        return out;
      }
  return out;
}

const std::vector<packet::FieldDef>& AnswerFields() {
  static const std::vector<packet::FieldDef> f{
      {"NRVOO", packet::FieldType::String, 5},      {"CDTRECHO", packet::FieldType::String, 4},
      {"CDSERVICO", packet::FieldType::String, 10}, {"CDARVPROD", packet::FieldType::String, 20},
      {"NMPRODUTO", packet::FieldType::String, 50}, {"QTINCLUIR", packet::FieldType::Float, 0},
      {"QTREMOVER", packet::FieldType::Float, 0},   {"IDRECUSA", packet::FieldType::String, 1},
      {"DSMOTIVO", packet::FieldType::String, 200}, {"IDESTADO", packet::FieldType::String, 16}};
  return f;
}

struct Result {
  std::vector<packet::Row> rows;
  std::vector<PropChange> changes;
  std::string firstRefusal;
};

void Refuse(Result& result, const Leg& leg, const std::string& service, const Range* product, std::string why) {
  if (result.firstRefusal.empty())
    result.firstRefusal = why + " (vôo " + leg.flight + ", trecho " + leg.leg + ")";
  result.rows.push_back({leg.flight, leg.leg, service, product ? product->tree : std::string(),
                         product ? product->name : std::string(), 0.0, 0.0, std::string("S"), std::move(why),
                         std::string()});
}

Result Build(const Copy& copy, const std::map<std::string, std::vector<Range>>& source,
             const std::vector<Target>& targets) {
  Result result;
  std::vector<PropChange> inserts;
  for (const Target& t : targets) {
    if (!t.exists) {
      Refuse(result, t.leg, "", nullptr,
             "Vôo " + t.leg.flight + ", trecho " + t.leg.leg + " não cadastrado para a filial e a companhia.");
      continue;
    }
    for (const auto& [service, ranges] : source) {
      const auto kept = t.ranges.find(service);
      const Outcome out = Plan(copy, t.leg, ranges, kept == t.ranges.end() ? nullptr : &kept->second);
      if (!out.refusal.empty()) {
        Refuse(result, t.leg, service, &ranges.front(), out.refusal);
        continue;
      }
      const double removed = out.removed ? static_cast<double>(out.removed->size()) : 0.0;
      result.rows.push_back({t.leg.flight, t.leg.leg, service, ranges.front().tree, ranges.front().name,
                             static_cast<double>(out.inserts.size()), removed, std::string("N"), std::string(),
                             std::string()});
      if (out.removed)
        for (const Range& r : *out.removed) result.changes.push_back({packet::ChangeOp::Delete, r.row, {}});
      for (const PropRow& row : out.inserts) inserts.push_back({packet::ChangeOp::Insert, {}, row});
    }
  }
  // Every removal first: a new range may take the bounds of one removed.
  result.changes.insert(result.changes.end(), inserts.begin(), inserts.end());
  return result;
}

// Every value the copy depends on: the source's ranges and the targets'
// ranges of the services copied.
std::string StateOf(const std::map<std::string, std::vector<Range>>& source, const std::vector<Target>& targets) {
  StateToken token;
  for (const auto& [service, ranges] : source)
    for (const Range& r : ranges) token.Add(r.row);
  for (const Target& t : targets) {
    token.Add(t.leg.flight + "/" + t.leg.leg + (t.exists ? "" : "!"));
    for (const auto& [service, ranges] : t.ranges)
      if (source.count(service))
        for (const Range& r : ranges) token.Add(r.row);
  }
  return token.Text();
}

}  // namespace

rpc::Reply CopiaPropServico(Database& db, const rpc::Request& request, const rpc::Session& session) {
  Copy copy = ReadCopy(request);
  std::map<std::string, std::vector<Range>> source;
  std::vector<Target> targets;
  WithConnection(db, [&](Connection& c) {
    copy.airline = FindAirline(c, copy.airline).code;
    if (!LegExists(c, copy, copy.source))
      throw rpc::RpcError(rpc::kUnknownReference, "Vôo " + copy.source.flight + ", trecho " + copy.source.leg +
                                                      " de origem não cadastrado para a filial e a companhia.");
    source = RangesOf(c, copy, copy.source);
    if (!copy.service.empty()) std::erase_if(source, [&](const auto& s) { return s.first != copy.service; });
    targets.clear();
    for (const Leg& leg : copy.targets) {
      Target& t = targets.emplace_back(Target{leg, LegExists(c, copy, leg), {}});
      if (t.exists) t.ranges = RangesOf(c, copy, leg);
    }
  });
  if (source.empty())
    throw rpc::RpcError(rpc::kRuleViolated, copy.service.empty()
                                                ? "O trecho de origem não tem proporções para copiar."
                                                : "O trecho de origem não tem proporções do serviço " +
                                                      copy.service + " para copiar.");
  Result result = Build(copy, source, targets);
  const std::string state = StateOf(source, targets);
  for (packet::Row& row : result.rows) row.back() = state;
  if (!copy.preview && !copy.seen.empty() && copy.seen != state)
    throw rpc::RpcError(rpc::kConflict, "As proporções da origem ou de um destino foram alteradas por outro usuário "
                                        "depois da prévia. Refaça a prévia e aplique de novo.");
  if (!copy.preview) {
    if (!result.firstRefusal.empty())
      throw rpc::RpcError(rpc::kRuleViolated, "Cópia não aplicada: " + result.firstRefusal + ".");
    StoreChanges(db, request, result.changes, session.user, LogOrigin::Copy);
  }
  return PacketReply(AnswerFields(), std::move(result.rows));
}

}  // namespace appserver
