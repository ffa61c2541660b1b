#include "appserver/PlanningMethods.h"

#include <algorithm>
#include <charconv>

#include "appserver/Replies.h"
#include "appserver/Statement.h"
#include "rpc/Dispatcher.h"

namespace appserver {

namespace {

constexpr Kind T = Kind::Text;
constexpr Kind N = Kind::Number;
constexpr int kMaxPax = 9999;

// Every range of the leg with its product, class and cycle names and the
// leg's seats, service by service.
const StatementDef kLegRanges{
    "SELECT S.CDSERVICO, S.CDCLASSE, S.CDCICLO, P.CDARVPROD, P.NMPRODUTO, CL.SGCLASSE, "
    "COALESCE(CC.IDCICLO, CI.IDCICLO), S.QTPAXDE, S.QTPAXATE, S.QTSERVICO, E.QTASSENTOS "
    "FROM PROPSERVICO S "
    "LEFT JOIN PRODUTO P ON P.CDCIA = S.CDCIA AND P.CDPRODUTO = S.CDSERVICO "
    "LEFT JOIN CLASSE CL ON CL.CDCLASSE = S.CDCLASSE "
    "LEFT JOIN CICLOCIA CC ON CC.CDFILIAL = S.CDFILIAL AND CC.CDCIA = S.CDCIA AND CC.CDCICLO = S.CDCICLO "
    "LEFT JOIN CICLO CI ON CI.CDCICLO = S.CDCICLO "
    "LEFT JOIN TRECHO TR ON TR.CDFILIAL = S.CDFILIAL AND TR.CDCIA = S.CDCIA AND TR.NRVOO = S.NRVOO "
    "AND TR.CDTRECHO = S.CDTRECHO "
    "LEFT JOIN EQUIPAMENTO E ON E.CDEQUIP = TR.CDEQUIP "
    "WHERE S.CDFILIAL = :filial AND S.CDCIA = COALESCE((SELECT CDCIA FROM COMPANHIA WHERE CDCIA = :cdcia), "
    "(SELECT CDCIA FROM COMPANHIA WHERE SGCIA = :sgcia)) AND S.NRVOO = :nrvoo AND S.CDTRECHO = :cdtrecho "
    "ORDER BY P.CDARVPROD, S.CDSERVICO, S.CDCLASSE, S.CDCICLO, S.QTPAXDE",
    {T, T, T, T, T},
    {T, T, T, T, T, T, T, N, N, N, N}};
enum Column { kServico, kClasse, kCiclo, kArvProd, kNmProduto, kSgClasse, kIdCiclo, kDe, kAte, kQtde, kAssentos };

packet::FieldDef Text(const char* name, int size) { return {name, packet::FieldType::String, size}; }
packet::FieldDef Number(const char* name) { return {name, packet::FieldType::Float, 0}; }

const std::vector<packet::FieldDef>& CoberturaFields() {
  static const std::vector<packet::FieldDef> f{Text("CDSERVICO", 10), Text("CDCLASSE", 4), Text("CDCICLO", 4),
                                               Text("CDARVPROD", 20), Text("NMPRODUTO", 50), Number("QTPAXDE"),
                                               Number("QTPAXATE"),    Number("QTASSENTOS")};
  return f;
}

const std::vector<packet::FieldDef>& ParaPaxFields() {
  static const std::vector<packet::FieldDef> f{
      Text("CDSERVICO", 10), Text("CDCLASSE", 4), Text("CDCICLO", 4),  Text("CDARVPROD", 20), Text("NMPRODUTO", 50),
      Text("SGCLASSE", 5),   Text("IDCICLO", 10), Number("QTPAXDE"), Number("QTPAXATE"),    Number("QTSERVICO")};
  return f;
}

double NumberOf(const packet::Row& row, Column c) {
  const auto* d = std::get_if<double>(&row[c]);
  return d ? *d : 0;
}

// The leg's ranges as packet rows in kLegRanges' columns.
std::vector<packet::Row> LegRanges(Database& db, const rpc::Request& request) {
  static const std::vector<packet::FieldDef> columns{
      Text("CDSERVICO", 10), Text("CDCLASSE", 4), Text("CDCICLO", 4), Text("CDARVPROD", 20),
      Text("NMPRODUTO", 50), Text("SGCLASSE", 5), Text("IDCICLO", 10), Number("QTPAXDE"),
      Number("QTPAXATE"),    Number("QTSERVICO"), Number("QTASSENTOS")};
  std::vector<packet::Row> rows;
  WithConnection(db, [&](Connection& c) {
    Statement& st = c.Prepared(kLegRanges);
    st.SetText(0, rpc::StringParam(request, 0));
    st.SetText(1, rpc::StringParam(request, 1));
    st.SetText(2, rpc::StringParam(request, 1));
    st.SetText(3, rpc::StringParam(request, 2));
    st.SetText(4, rpc::StringParam(request, 3));
    st.FetchAll(columns, rows);
  });
  return rows;
}

bool SameService(const packet::Row& a, const packet::Row& b) {
  return a[kServico] == b[kServico] && a[kClasse] == b[kClasse] && a[kCiclo] == b[kCiclo];
}

// Calls each(first, last) for each service's run of rows [first, last).
template <typename Each>
void ForEachService(const std::vector<packet::Row>& rows, Each&& each) {
  for (std::size_t first = 0; first < rows.size();) {
    std::size_t last = first + 1;
    while (last < rows.size() && SameService(rows[first], rows[last])) ++last;
    each(first, last);
    first = last;
  }
}

int PassengerCount(const rpc::Request& request) {
  const std::string& text = rpc::StringParam(request, 4);
  int pax = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), pax);
  if (ec != std::errc() || end != text.data() + text.size() || pax < 1 || pax > kMaxPax)
    throw rpc::RpcError(rpc::kInvalidParams, "GetQtdeParaPax: argument 5 (passenger count) must be a whole number "
                                             "from 1 to " + std::to_string(kMaxPax));
  return pax;
}

}  // namespace

rpc::Reply GetCoberturaProp(Database& db, const rpc::Request& request) {
  rpc::ExpectParamCount(request, 4, 4);
  const std::vector<packet::Row> ranges = LegRanges(db, request);
  std::vector<packet::Row> holes;
  ForEachService(ranges, [&](std::size_t first, std::size_t last) {
    const packet::Row& service = ranges[first];
    auto hole = [&](double from, double to) {
      holes.push_back({service[kServico], service[kClasse], service[kCiclo], service[kArvProd],
                       service[kNmProduto], from, to, service[kAssentos]});
    };
    // Counts past the seats never fly: a gap there is no hole.
    double end = 0;
    if (!packet::IsNull(service[kAssentos]))
      end = NumberOf(service, kAssentos);
    else
      for (std::size_t i = first; i < last; ++i) end = std::max(end, NumberOf(ranges[i], kAte));
    double covered = 0;  // every count up to this one is covered
    for (std::size_t i = first; i < last && covered < end; ++i) {
      const double from = NumberOf(ranges[i], kDe), to = NumberOf(ranges[i], kAte);
      if (from > covered + 1) hole(covered + 1, std::min(from - 1, end));
      covered = std::max(covered, to);
    }
    if (end > covered) hole(covered + 1, end);
  });
  return PacketReply(CoberturaFields(), std::move(holes));
}

rpc::Reply GetQtdeParaPax(Database& db, const rpc::Request& request) {
  rpc::ExpectParamCount(request, 5, 5);
  const int pax = PassengerCount(request);
  const std::vector<packet::Row> ranges = LegRanges(db, request);
  std::vector<packet::Row> answer;
  ForEachService(ranges, [&](std::size_t first, std::size_t last) {
    const packet::Row& service = ranges[first];
    packet::Row row{service[kServico],  service[kClasse],   service[kCiclo],   service[kArvProd], service[kNmProduto],
                    service[kSgClasse], service[kIdCiclo],  std::monostate{}, std::monostate{},  std::monostate{}};
    for (std::size_t i = first; i < last; ++i) {
      if (NumberOf(ranges[i], kDe) <= pax && pax <= NumberOf(ranges[i], kAte)) {
        row[7] = ranges[i][kDe];
        row[8] = ranges[i][kAte];
        row[9] = ranges[i][kQtde];
        break;
      }
    }
    answer.push_back(std::move(row));
  });
  return PacketReply(ParaPaxFields(), std::move(answer));
}

}  // namespace appserver
