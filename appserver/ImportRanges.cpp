#include "appserver/ImportRanges.h"

#include <algorithm>
#include <iterator>
#include <map>
#include <utility>

#include "appserver/CsvReader.h"
#include "appserver/ImportLines.h"
#include "appserver/PlanningArgs.h"
#include "appserver/Replies.h"
#include "appserver/SaveChanges.h"
#include "appserver/StateToken.h"
#include "appserver/Statement.h"

namespace appserver {

namespace {

constexpr Kind T = Kind::Text;
constexpr Kind N = Kind::Number;

const StatementDef kLegs{
    "SELECT NRVOO, CDTRECHO FROM TRECHO WHERE CDFILIAL = :filial AND CDCIA = :cdcia", {T, T}, {T, T}};
const StatementDef kServices{
    "SELECT CDARVPROD, CDPRODUTO, CDCLASSE, CDCICLO FROM PRODUTO WHERE CDCIA = :cdcia AND IDPRODCOMISS = '1' "
    "AND CDARVPROD IS NOT NULL ORDER BY CDPRODUTO",
    {T},
    {T, T, T, T}};
const StatementDef kClasses{
    "SELECT SGCLASSE, CDCLASSE FROM CLASSE WHERE SGCLASSE IS NOT NULL ORDER BY CDCLASSE", {}, {T, T}};
// The airline's own names of cycles at the branch come before the general
// ones, as the screen shows them.
const StatementDef kCycles{
    "SELECT IDCICLO, CDCICLO, 0 FROM CICLOCIA WHERE CDFILIAL = :filial AND CDCIA = :cdcia AND IDCICLO IS NOT NULL "
    "UNION ALL SELECT IDCICLO, CDCICLO, 1 FROM CICLO WHERE IDCICLO IS NOT NULL ORDER BY 3, 2",
    {T, T},
    {T, T, N}};
const StatementDef kLegRanges{
    "SELECT CDSERVICO, QTPAXDE, QTPAXATE, CDCLASSE, CDCICLO, QTSERVICO FROM PROPSERVICO "
    "WHERE CDFILIAL = :filial AND CDCIA = :cdcia AND NRVOO = :nrvoo AND CDTRECHO = :cdtrecho "
    "ORDER BY CDSERVICO, QTPAXDE",
    {T, T, T, T},
    {T, N, N, T, T, N}};

struct Import {
  std::string branch, airline;
  std::vector<CsvRow> rows;
  bool replace = false, preview = true;
  std::string seen;  // the state token of the preview the apply follows, if any
};

constexpr std::string_view kMethod = "ImportaPropServico";

Import ReadImport(const rpc::Request& request) {
  rpc::ExpectParamCount(request, 5, 6);
  Import in;
  in.branch = rpc::StringParam(request, 0);
  in.airline = rpc::StringParam(request, 1);
  in.replace = ReplaceMode(request, 3, kMethod);
  in.preview = PreviewFlag(request, 4, kMethod);
  if (request.params.size() == 6) in.seen = rpc::StringParam(request, 5);
  try {
    in.rows = ReadCsv(rpc::StringParam(request, 2), ImportHeader());
  } catch (const CsvError& e) {
    throw rpc::RpcError(rpc::kInvalidParams, e.what(),
                        e.Line() ? ErrorData({{"line", static_cast<double>(e.Line())}}) : std::string());
  }
  return in;
}

std::optional<std::string> Code(const Statement& st, std::size_t c) {
  return st.IsNull(c) || IsBlank(st.Text(c)) ? std::nullopt : std::optional(st.Text(c));
}

std::string Upper(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

// The airline's codes, legs, services, classes and cycles.
ImportReferences ReadReferences(Connection& c, const Import& in) {
  ImportReferences refs;
  refs.branch = in.branch;
  const Airline airline = FindAirline(c, in.airline);
  refs.airline = airline.code;
  refs.airlineShort = airline.shortCode;
  Statement& legs = c.Prepared(kLegs);
  legs.SetText(0, refs.branch);
  legs.SetText(1, refs.airline);
  for (bool more = legs.Execute(); more; more = legs.Next()) refs.legs.insert({legs.Text(0), legs.Text(1)});
  legs.Release();
  Statement& services = c.Prepared(kServices);
  services.SetText(0, refs.airline);
  for (bool more = services.Execute(); more; more = services.Next())
    refs.services.try_emplace(services.Text(0),
                              ImportReferences::Service{services.Text(1), Code(services, 2), Code(services, 3)});
  services.Release();
  Statement& classes = c.Prepared(kClasses);
  for (bool more = classes.Execute(); more; more = classes.Next())
    refs.classes.try_emplace(Upper(classes.Text(0)), classes.Text(1));
  classes.Release();
  Statement& cycles = c.Prepared(kCycles);
  cycles.SetText(0, refs.branch);
  cycles.SetText(1, refs.airline);
  for (bool more = cycles.Execute(); more; more = cycles.Next())
    refs.cycles.try_emplace(Upper(cycles.Text(0)), cycles.Text(1));
  cycles.Release();
  return refs;
}

// One leg the file names: its stored ranges and what the import does to it.
struct Counts {
  double inserts = 0, changes = 0, removals = 0;
};

struct LegPlan {
  std::vector<PropRow> stored;
  std::vector<const ImportLine*> lines;
  Counts counts;
};

std::vector<PropRow> StoredRanges(Connection& c, const ImportReferences& refs, const LegCode& leg) {
  Statement& st = c.Prepared(kLegRanges);
  st.SetText(0, refs.branch);
  st.SetText(1, refs.airline);
  st.SetText(2, leg.flight);
  st.SetText(3, leg.leg);
  std::vector<PropRow> ranges;
  for (bool more = st.Execute(); more; more = st.Next())
    ranges.push_back({refs.branch, refs.airline, leg.flight, leg.leg, st.Text(0), st.Number(1), st.Number(2),
                      st.IsNull(3) ? std::nullopt : std::optional(st.Text(3)),
                      st.IsNull(4) ? std::nullopt : std::optional(st.Text(4)),
                      st.IsNull(5) ? std::nullopt : std::optional(st.Number(5))});
  st.Release();
  return ranges;
}

// Blank and null codes are one value, as the save holds them.
bool SameCode(const std::optional<std::string>& a, const std::optional<std::string>& b) {
  const bool blankA = !a || IsBlank(*a), blankB = !b || IsBlank(*b);
  return blankA || blankB ? blankA == blankB : *a == *b;
}

bool SameValues(const PropRow& a, const PropRow& b) {
  return SameCode(a.classe, b.classe) && SameCode(a.ciclo, b.ciclo) && a.qtservico == b.qtservico;
}

struct Plan {
  std::vector<PropChange> removals, changes, inserts;
  std::vector<RefusedLine> refused;  // lines that clash with stored ranges
};

// The stored range with the service and bounds of row, and failing that
// the one of its service that overlaps it, if any; stored ranges never
// overlap each other, so the last one starting within row's bounds is it.
struct Match {
  std::optional<std::size_t> same, clash;
};

class StoredIndex {
 public:
  explicit StoredIndex(const std::vector<PropRow>& stored) {
    for (std::size_t i = 0; i < stored.size(); ++i) byService_[stored[i].servico].emplace(*stored[i].de, i);
  }

  Match Find(const std::vector<PropRow>& stored, const PropRow& row) const {
    const auto service = byService_.find(row.servico);
    if (service == byService_.end()) return {};
    auto it = service->second.upper_bound(*row.ate);
    if (it == service->second.begin()) return {};
    const PropRow& near = stored[(--it)->second];
    if (*near.de == *row.de && *near.ate == *row.ate) return {it->second, {}};
    if (*near.ate >= *row.de) return {{}, it->second};
    return {};
  }

 private:
  std::map<std::string, std::map<double, std::size_t>> byService_;
};

// What the lines of one leg do to its stored ranges.
void PlanLeg(LegPlan& leg, bool replace, Plan& plan) {
  const StoredIndex index(leg.stored);
  std::vector<bool> kept(leg.stored.size(), false);
  for (const ImportLine* line : leg.lines) {
    const PropRow& row = line->row;
    const Match match = index.Find(leg.stored, row);
    if (match.same) {
      const PropRow& stored = leg.stored[*match.same];
      kept[*match.same] = true;
      if (SameValues(stored, row)) continue;
      plan.changes.push_back({packet::ChangeOp::Modify, stored, row});
      ++leg.counts.changes;
      continue;
    }
    if (match.clash && !replace) {
      const PropRow& stored = leg.stored[*match.clash];
      plan.refused.push_back({line->line, row.voo, row.trecho,
                              "A faixa " + RangeOfService(row, line->tree) + " sobrepõe a de " +
                                  NumberText(*stored.de) + " a " + NumberText(*stored.ate) +
                                  " já cadastrada no trecho."});
      continue;
    }
    plan.inserts.push_back({packet::ChangeOp::Insert, {}, row});
    ++leg.counts.inserts;
  }
  if (!replace) return;
  for (std::size_t i = 0; i < leg.stored.size(); ++i)
    if (!kept[i]) {
      plan.removals.push_back({packet::ChangeOp::Delete, leg.stored[i], {}});
      ++leg.counts.removals;
    }
}

// Every stored range of the legs the file names.
std::string StateOf(const std::map<LegCode, LegPlan>& legs) {
  StateToken token;
  for (const auto& [code, leg] : legs) {
    token.Add(code.flight + "/" + code.leg);
    for (const PropRow& r : leg.stored) token.Add(r);
  }
  return token.Text();
}

const std::vector<packet::FieldDef>& AnswerFields() {
  static const std::vector<packet::FieldDef> f{
      {"NRLINHA", packet::FieldType::Float, 0},     {"NRVOO", packet::FieldType::String, 5},
      {"CDTRECHO", packet::FieldType::String, 4},   {"QTINCLUIR", packet::FieldType::Float, 0},
      {"QTALTERAR", packet::FieldType::Float, 0},   {"QTREMOVER", packet::FieldType::Float, 0},
      {"DSMOTIVO", packet::FieldType::String, 200}, {"IDESTADO", packet::FieldType::String, 16}};
  return f;
}

// What the import does, kept apart from the file and the stored ranges it
// was worked out from, which are gone by the time the changes are stored.
struct Outcome {
  std::map<LegCode, Counts> legs;
  std::vector<RefusedLine> refused;  // in the file's order
  std::vector<PropChange> changes;   // removals, changes, inserts
  std::string state;
};

Outcome Prepare(Database& db, Import in) {
  const ImportReferences refs = WithConnection(db, [&](Connection& c) { return ReadReferences(c, in); });
  CheckedLines checked = CheckImportLines(std::exchange(in.rows, {}), refs);
  std::map<LegCode, LegPlan> legs;
  for (const ImportLine& line : checked.good) legs[{line.row.voo, line.row.trecho}].lines.push_back(&line);
  WithConnection(db, [&](Connection& c) {
    for (auto& [code, leg] : legs) leg.stored = StoredRanges(c, refs, code);
  });
  Plan plan;
  for (auto& [code, leg] : legs) PlanLeg(leg, in.replace, plan);
  Outcome out;
  out.state = StateOf(legs);
  for (const auto& [code, leg] : legs) out.legs.emplace(code, leg.counts);
  out.refused = std::move(checked.bad);
  out.refused.insert(out.refused.end(), plan.refused.begin(), plan.refused.end());
  std::stable_sort(out.refused.begin(), out.refused.end(),
                   [](const auto& a, const auto& b) { return a.line < b.line; });
  // Removals first: a new range may take bounds a removed one held.
  out.changes = std::move(plan.removals);
  for (std::vector<PropChange>* more : {&plan.changes, &plan.inserts})
    out.changes.insert(out.changes.end(), std::make_move_iterator(more->begin()), std::make_move_iterator(more->end()));
  return out;
}

std::vector<packet::Row> AnswerRows(const Outcome& out) {
  const std::vector<RefusedLine>& refused = out.refused;
  const std::string& state = out.state;
  std::vector<packet::Row> rows;
  for (const auto& [code, n] : out.legs)
    rows.push_back({packet::Value(), code.flight, code.leg, n.inserts, n.changes, n.removals, std::string(), state});
  const std::size_t listed = std::min(refused.size(), kMaxListedLines);
  for (std::size_t i = 0; i < listed; ++i) {
    const RefusedLine& r = refused[i];
    rows.push_back({static_cast<double>(r.line), std::string(ClipText(r.flight, 5)), std::string(ClipText(r.leg, 4)),
                    0.0, 0.0, 0.0, std::string(ClipText(r.why, 200)), state});
  }
  if (listed < refused.size())
    rows.push_back(
        {static_cast<double>(refused[listed].line), std::string(), std::string(), 0.0, 0.0, 0.0,
         "Mais " + std::to_string(refused.size() - listed) + " linhas com problemas, a partir desta, não listadas.",
         state});
  return rows;
}

}  // namespace

rpc::Reply ImportaPropServico(Database& db, const rpc::Request& request, const rpc::Session& session) {
  Import in = ReadImport(request);
  const bool preview = in.preview;
  const std::string seen = in.seen;
  Outcome out = Prepare(db, std::move(in));
  if (!preview && !seen.empty() && seen != out.state)
    throw rpc::RpcError(rpc::kConflict,
                        "As proporções de um trecho do arquivo foram alteradas por outro usuário "
                        "depois da prévia. Refaça a prévia e importe de novo.");
  if (!preview && !out.refused.empty()) {
    const RefusedLine& first = out.refused.front();
    throw rpc::RpcError(rpc::kRuleViolated,
                        "Importação não aplicada: linha " + std::to_string(first.line) + ": " + first.why,
                        ErrorData({{"line", static_cast<double>(first.line)}}));
  }
  if (!preview && !out.changes.empty()) StoreChanges(db, request, out.changes, session.user, LogOrigin::Import);
  return PacketReply(AnswerFields(), AnswerRows(out));
}

}  // namespace appserver
