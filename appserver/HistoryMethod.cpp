#include "appserver/HistoryMethod.h"

#include <charconv>
#include <limits>
#include <memory>
#include <optional>
#include <string_view>

#include "appserver/PlanningArgs.h"
#include "appserver/Replies.h"
#include "appserver/Statement.h"
#include "rpc/Dispatcher.h"

namespace appserver {

namespace {

constexpr Kind T = Kind::Text;
constexpr Kind N = Kind::Number;
constexpr std::string_view kMethod = "GetHistoricoProp";

struct Query {
  std::string branch, airline, flight, leg, service, from, to, before;
  double pageSize = 0;
};

// The filters a call may leave out; each combination is a statement of its
// own, so that every one the database sees can be matched to the indexes.
enum Filter : unsigned { kService = 1, kBefore = 2, kFrom = 4, kTo = 8, kFilterCombinations = 16 };

// The key expressions exactly as the indexes of db/migrations/003 write them.
std::string Key(const char* column) { return std::string("COALESCE(L.") + column + "_NEW, L." + column + "_OLD)"; }

std::string QuerySql(unsigned filters, dbsession::Dialect dialect) {
  const bool pg = dialect == dbsession::Dialect::Postgresql;
  std::string sql =
      "SELECT L.IDLOG, " +
      std::string(pg ? "TO_CHAR(L.DTLOG, 'YYYY-MM-DD HH24:MI:SS')" : "STRFTIME('%Y-%m-%d %H:%M:%S', L.DTLOG)") +
      ", L.NMUSUARIO, L.IDOPERACAO, L.IDORIGEM, " + Key("CDSERVICO") +
      ", P.NMPRODUTO, L.QTPAXDE_OLD, L.QTPAXATE_OLD, L.CDCLASSE_OLD, L.CDCICLO_OLD, L.QTSERVICO_OLD, "
      "L.QTPAXDE_NEW, L.QTPAXATE_NEW, L.CDCLASSE_NEW, L.CDCICLO_NEW, L.QTSERVICO_NEW "
      "FROM PROPSERVICO_LOG L LEFT JOIN PRODUTO P ON P.CDCIA = " +
      Key("CDCIA") + " AND P.CDPRODUTO = " + Key("CDSERVICO") + " WHERE " + Key("CDFILIAL") + " = :filial AND " +
      Key("CDCIA") + " = :cdcia AND " + Key("NRVOO") + " = :nrvoo AND " + Key("CDTRECHO") + " = :cdtrecho";
  if (filters & kService) sql += " AND " + Key("CDSERVICO") + " = :servico";
  // BIGINT: on PostgreSQL IDLOG is an INTEGER, which a larger number given
  // here would overflow.
  if (filters & kBefore) sql += " AND L.IDLOG < CAST(:antes AS BIGINT)";
  if (filters & kFrom) sql += " AND L.DTLOG >= :de";
  if (filters & kTo) sql += " AND L.DTLOG < :ate";
  return sql + " ORDER BY L.IDLOG DESC LIMIT :linhas";
}

std::vector<Kind> QueryParams(unsigned filters) {
  std::vector<Kind> params{T, T, T, T};
  for (unsigned f : {kService, kBefore, kFrom, kTo})
    if (filters & f) params.push_back(T);
  params.push_back(N);
  return params;
}

const StatementDef& QueryFor(unsigned filters) {
  static const std::vector<std::unique_ptr<StatementDef>> all = [] {
    std::vector<std::unique_ptr<StatementDef>> defs;
    for (unsigned f = 0; f < kFilterCombinations; ++f) {
      defs.push_back(
          std::make_unique<StatementDef>(QuerySql(f, dbsession::Dialect::Sqlite), QueryParams(f),
                                         std::vector<Kind>{N, T, T, T, T, T, T, N, N, T, T, N, N, N, T, T, N},
                                         QuerySql(f, dbsession::Dialect::Postgresql)));
    }
    return defs;
  }();
  return *all[filters];
}

packet::FieldDef Text(const char* name, int size) { return {name, packet::FieldType::String, size}; }
packet::FieldDef Number(const char* name) { return {name, packet::FieldType::Float, 0}; }

// The query's columns; the answer has DSOPERACAO after IDORIGEM.
const std::vector<packet::FieldDef> kColumns{Number("IDLOG"),         Text("DTLOG", 19),      Text("NMUSUARIO", 64),
                                             Text("IDOPERACAO", 1),   Text("IDORIGEM", 1),    Text("CDSERVICO", 10),
                                             Text("NMPRODUTO", 50),   Number("QTPAXDE_OLD"),  Number("QTPAXATE_OLD"),
                                             Text("CDCLASSE_OLD", 4), Text("CDCICLO_OLD", 4), Number("QTSERVICO_OLD"),
                                             Number("QTPAXDE_NEW"),   Number("QTPAXATE_NEW"), Text("CDCLASSE_NEW", 4),
                                             Text("CDCICLO_NEW", 4),  Number("QTSERVICO_NEW")};
constexpr std::size_t kOperation = 3, kOrigin = 4;

const std::vector<packet::FieldDef>& AnswerFields() {
  static const std::vector<packet::FieldDef> fields = [] {
    std::vector<packet::FieldDef> f = kColumns;
    f.insert(f.begin() + kOrigin + 1, Text("DSOPERACAO", 20));
    return f;
  }();
  return fields;
}

std::string OperationName(const packet::Value& op, const packet::Value& origin) {
  const auto* o = std::get_if<std::string>(&origin);
  if (o && *o == "C") return "cópia";
  if (o && *o == "I") return "importação";
  const auto* code = std::get_if<std::string>(&op);
  if (code && *code == "I") return "inclusão";
  if (code && *code == "A") return "alteração";
  if (code && *code == "E") return "exclusão";
  return {};
}

// A text argument of at most `size` characters.
std::string TextArg(const rpc::Request& request, std::size_t index, const char* what, std::size_t size) {
  const std::string& text = rpc::StringParam(request, index);
  if (ClipText(text, size).size() != text.size())
    BadArgument(kMethod, index, std::string("(") + what + ") must be at most " + std::to_string(size) + " characters");
  return text;
}

// Digits only, within [min, max].
std::optional<long long> WholeNumber(std::string_view text, long long min, long long max) {
  long long n = 0;
  if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos) return std::nullopt;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), n);
  if (ec != std::errc() || end != text.data() + text.size() || n < min || n > max) return std::nullopt;
  return n;
}

bool LeapYear(long long y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

// "YYYY-MM-DD HH:MM:SS", a real date and time.
bool IsUtcTime(std::string_view t) {
  if (t.size() != 19 || t[4] != '-' || t[7] != '-' || t[10] != ' ' || t[13] != ':' || t[16] != ':') return false;
  const auto part = [&](std::size_t at, std::size_t len, long long min, long long max) {
    return WholeNumber(t.substr(at, len), min, max);
  };
  const auto year = part(0, 4, 1, 9999), month = part(5, 2, 1, 12);
  if (!year || !month) return false;
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const int days = kDays[*month - 1] + (*month == 2 && LeapYear(*year) ? 1 : 0);
  return part(8, 2, 1, days) && part(11, 2, 0, 23) && part(14, 2, 0, 59) && part(17, 2, 0, 59);
}

std::string TimeArg(const rpc::Request& request, std::size_t index, const char* what) {
  const std::string& text = rpc::StringParam(request, index);
  if (!text.empty() && !IsUtcTime(text))
    BadArgument(kMethod, index, std::string("(") + what + ") must be empty or a UTC time as YYYY-MM-DD HH:MM:SS");
  return text;
}

Query ReadQuery(const rpc::Request& request) {
  rpc::ExpectParamCount(request, 9, 9);
  Query q;
  q.branch = TextArg(request, 0, "branch", 4);
  q.airline = TextArg(request, 1, "airline", 5);
  q.flight = TextArg(request, 2, "flight", 5);
  q.leg = TextArg(request, 3, "leg", 4);
  q.service = TextArg(request, 4, "service", 10);
  q.from = TimeArg(request, 5, "from");
  q.to = TimeArg(request, 6, "to");
  // Both in one form, so that the texts compare as the times do.
  if (!q.from.empty() && !q.to.empty() && q.from >= q.to)
    BadArgument(kMethod, 6, "(to) must be after argument 6 (from)");
  const auto page = WholeNumber(rpc::StringParam(request, 7), 1, kMaxHistoryPage);
  if (!page) BadArgument(kMethod, 7, "(page size) must be a whole number from 1 to " + std::to_string(kMaxHistoryPage));
  q.pageSize = static_cast<double>(*page);
  const std::string& before = rpc::StringParam(request, 8);
  if (!before.empty()) {
    const auto id = WholeNumber(before, 1, std::numeric_limits<long long>::max());
    if (!id) BadArgument(kMethod, 8, "(before) must be empty or a whole number from 1");
    q.before = std::to_string(*id);
  }
  return q;
}

// Binds the query's arguments in the order QuerySql writes them.
void Bind(Statement& st, const Query& q, unsigned filters) {
  std::size_t i = 0;
  for (const std::string* key : {&q.branch, &q.airline, &q.flight, &q.leg}) st.SetText(i++, *key);
  if (filters & kService) st.SetText(i++, q.service);
  if (filters & kBefore) st.SetText(i++, q.before);
  if (filters & kFrom) st.SetText(i++, q.from);
  if (filters & kTo) st.SetText(i++, q.to);
  st.SetNumber(i, q.pageSize);
}

}  // namespace

rpc::Reply GetHistoricoProp(Database& db, const rpc::Request& request) {
  Query q = ReadQuery(request);
  unsigned filters = 0;
  if (!q.service.empty()) filters |= kService;
  if (!q.before.empty()) filters |= kBefore;
  if (!q.from.empty()) filters |= kFrom;
  if (!q.to.empty()) filters |= kTo;
  std::vector<packet::Row> rows;
  WithConnection(db, [&](Connection& c) {
    q.airline = FindAirline(c, q.airline).code;
    Statement& st = c.Prepared(QueryFor(filters));
    Bind(st, q, filters);
    rows.clear();
    st.FetchAll(kColumns, rows);
  });
  for (packet::Row& row : rows) {
    if (packet::IsNull(row[kOrigin])) row[kOrigin] = std::string();
    row.insert(row.begin() + kOrigin + 1, OperationName(row[kOperation], row[kOrigin]));
  }
  return PacketReply(AnswerFields(), std::move(rows));
}

}  // namespace appserver
