#include "appserver/ReadMethods.h"

#include <array>
#include <functional>

#include "appserver/Fields.h"
#include "appserver/RangeRules.h"
#include "appserver/Replies.h"
#include "appserver/ServiceKey.h"
#include "packet/JsonWriter.h"
#include "rpc/Dispatcher.h"

namespace appserver {

namespace {

constexpr Kind T = Kind::Text;
constexpr Kind N = Kind::Number;

// The airline given by its code or else by its short code. One value, so
// that the key index also gives the order and no sort is needed.
const std::string kAirline =
    "CDCIA = COALESCE((SELECT CDCIA FROM COMPANHIA WHERE CDCIA = :cdcia), "
    "(SELECT CDCIA FROM COMPANHIA WHERE SGCIA = :sgcia))";

const StatementDef kCompanhia{
    "SELECT C.CDCIA, C.SGCIA, C.NMCIA, T.NRVOO, T.BASEORI, T.BASEDES, T.CDEQUIP, T.DSTRECHO, T.CDTRECHO, "
    "T.SGPREFIXO, E.SGEQUIP "
    "FROM TRECHO T JOIN COMPANHIA C ON C.CDCIA = T.CDCIA LEFT JOIN EQUIPAMENTO E ON E.CDEQUIP = T.CDEQUIP "
    "WHERE T.CDFILIAL = :filial AND (C.SGCIA = :sgcia OR :todascias = 'T') "
    "AND (T.NRVOO = :nrvoo OR :todosvoos = 'T') AND (T.CDTRECHO = :cdtrecho OR :todostrechos = 'T') "
    "ORDER BY C.SGCIA, T.NRVOO, T.CDTRECHO",
    {T, T, T, T, T, T, T},
    {T, T, T, T, T, T, T, T, T, T, T}};

const StatementDef kPropServico{
    "SELECT P.CDARVPROD, S.CDSERVICO, P.NMPRODUTO, CL.SGCLASSE, COALESCE(CC.IDCICLO, CI.IDCICLO), S.CDCIA, "
    "C.NMCIA, S.CDCLASSE, S.CDCICLO, S.CDFILIAL, S.CDTRECHO, S.NRVOO "
    "FROM (SELECT DISTINCT CDFILIAL, CDCIA, NRVOO, CDTRECHO, CDSERVICO, CDCLASSE, CDCICLO FROM PROPSERVICO "
    "      WHERE CDFILIAL = :filial AND " +
        kAirline +
        " AND NRVOO = :nrvoo AND CDTRECHO = :cdtrecho) S "
        "JOIN COMPANHIA C ON C.CDCIA = S.CDCIA "
        "LEFT JOIN PRODUTO P ON P.CDCIA = S.CDCIA AND P.CDPRODUTO = S.CDSERVICO "
        "LEFT JOIN CLASSE CL ON CL.CDCLASSE = S.CDCLASSE "
        "LEFT JOIN CICLOCIA CC ON CC.CDFILIAL = S.CDFILIAL AND CC.CDCIA = S.CDCIA AND CC.CDCICLO = S.CDCICLO "
        "LEFT JOIN CICLO CI ON CI.CDCICLO = S.CDCICLO "
        "ORDER BY P.CDARVPROD, S.CDSERVICO, S.CDCLASSE, S.CDCICLO",
    {T, T, T, T, T},
    {T, T, T, T, T, T, T, T, T, T, T, T}};

const StatementDef kQtdePropServico{
    "SELECT CDSERVICO, CDCIA, QTPAXDE, QTSERVICO, QTPAXATE, CDCICLO, CDFILIAL, CDCLASSE, NRVOO, CDTRECHO "
    "FROM PROPSERVICO WHERE CDFILIAL = :filial AND " +
        kAirline +
        " AND CDSERVICO = :servico "
        "AND (CDCLASSE = :classe OR :todasclasses = 'T') AND (CDCICLO = :ciclo OR :todosciclos = 'T') "
        "AND NRVOO = :nrvoo AND CDTRECHO = :cdtrecho ORDER BY QTPAXDE, QTPAXATE",
    {T, T, T, T, T, T, T, T, T, T},
    {T, T, N, N, N, T, T, T, T, T}};

const StatementDef kValidaServ{
    "SELECT CDSERVICO FROM PROPSERVICO WHERE " + kServiceKey + " ORDER BY QTPAXDE, QTPAXATE", {T, T, T, T, T}, {T}};

const StatementDef kMaiorPax{"SELECT MAX(QTPAXATE) FROM PROPSERVICO WHERE " + kServiceKey, {T, T, T, T, T}, {N}};

const StatementDef kFindProp{"SELECT CAST(COUNT(*) AS DOUBLE PRECISION) FROM PROPSERVICO WHERE " + kServiceKey +
                                 " AND QTPAXDE = :qtpaxde AND QTPAXATE = :qtpaxate",
                             {T, T, T, T, T, N, N},
                             {N}};

const StatementDef kServiceRanges{
    "SELECT QTPAXDE, QTPAXATE FROM PROPSERVICO WHERE " + kServiceKey, {T, T, T, T, T}, {N, N}};

// Arguments of the methods that name one service of one leg.
struct ServiceKey {
  std::string filial, cia, voo, trecho, servico;
};

void BindServiceKey(Statement& st, const ServiceKey& k) {
  st.SetText(0, k.filial);
  st.SetText(1, k.cia);
  st.SetText(2, k.voo);
  st.SetText(3, k.trecho);
  st.SetText(4, k.servico);
}

// branch, airline, service, ..., flight, leg in positions 0, 1, 2, voo, voo+1.
ServiceKey ReadServiceKey(const rpc::Request& r, std::size_t voo) {
  return {rpc::StringParam(r, 0), rpc::StringParam(r, 1), rpc::StringParam(r, voo), rpc::StringParam(r, voo + 1),
          rpc::StringParam(r, 2)};
}

// "T" when the filter on the value at valueIndex is lifted: by its flag
// (at valueIndex + 1), or because the value was not given at all.
const char* Lifted(const rpc::Request& r, std::size_t valueIndex) {
  if (valueIndex >= r.params.size()) return "T";
  const std::size_t flag = valueIndex + 1;
  return flag < r.params.size() && rpc::StringParam(r, flag) == "T" ? "T" : "";
}

const std::string& OptionalText(const rpc::Request& r, std::size_t index) {
  static const std::string none;
  return index < r.params.size() ? rpc::StringParam(r, index) : none;
}

rpc::Reply Fetch(Database& db, const StatementDef& def, const fields::Fields& fields,
                 const std::function<void(Statement&)>& bind) {
  std::vector<packet::Row> rows;
  WithConnection(db, [&](Connection& c) {
    Statement& st = c.Prepared(def);
    bind(st);
    st.FetchAll(fields.List(), rows);
  });
  return PacketReply(fields, std::move(rows));
}

}  // namespace

rpc::Reply GetCompanhia(Database& db, const rpc::Request& request) {
  rpc::ExpectParamCount(request, 3, 7);
  const std::string& sgcia = rpc::StringParam(request, 0);
  const char* allCias = Lifted(request, 0);
  const std::string& filial = rpc::StringParam(request, 2);
  const std::string& voo = OptionalText(request, 3);
  const char* allVoos = Lifted(request, 3);
  const std::string& trecho = OptionalText(request, 5);
  const char* allTrechos = Lifted(request, 5);
  rpc::Reply reply = Fetch(db, kCompanhia, fields::Companhia(), [&](Statement& st) {
    st.SetText(0, filial);
    st.SetText(1, sgcia);
    st.SetText(2, allCias);
    st.SetText(3, voo);
    st.SetText(4, allVoos);
    st.SetText(5, trecho);
    st.SetText(6, allTrechos);
  });
  // The flight and leg flags are passed by reference; they come back as
  // they went (decoded text is valid UTF-8, so writing cannot fail).
  if (request.params.size() >= 5) {
    std::string byref = "[";
    packet::JsonWriter w(byref);
    (void)w.String(rpc::StringParam(request, 4));
    if (request.params.size() == 7) {
      w.Raw(',');
      (void)w.String(rpc::StringParam(request, 6));
    }
    byref.push_back(']');
    reply.byrefJson = std::move(byref);
  }
  return reply;
}

rpc::Reply GetPropServico(Database& db, const rpc::Request& request) {
  rpc::ExpectParamCount(request, 4, 4);
  const std::string& filial = rpc::StringParam(request, 0);
  const std::string& cia = rpc::StringParam(request, 1);
  const std::string& voo = rpc::StringParam(request, 2);
  const std::string& trecho = rpc::StringParam(request, 3);
  return Fetch(db, kPropServico, fields::PropServico(), [&](Statement& st) {
    st.SetText(0, filial);
    st.SetText(1, cia);
    st.SetText(2, cia);
    st.SetText(3, voo);
    st.SetText(4, trecho);
  });
}

rpc::Reply GetQtdePropServico(Database& db, const rpc::Request& request) {
  rpc::ExpectParamCount(request, 7, 7);
  std::array<const std::string*, 7> args{};
  for (std::size_t i = 0; i < 7; ++i) args[i] = &rpc::StringParam(request, i);
  auto a = [&args](std::size_t i) -> const std::string& { return *args[i]; };
  // branch, airline, service, class, cycle, flight, leg
  if (IsBlank(a(2))) return PacketReply(fields::QtdePropServico(), {});
  return Fetch(db, kQtdePropServico, fields::QtdePropServico(), [&](Statement& st) {
    st.SetText(0, a(0));
    st.SetText(1, a(1));
    st.SetText(2, a(1));
    st.SetText(3, a(2));
    st.SetText(4, a(3));
    st.SetText(5, IsBlank(a(3)) ? "T" : "");
    st.SetText(6, a(4));
    st.SetText(7, IsBlank(a(4)) ? "T" : "");
    st.SetText(8, a(5));
    st.SetText(9, a(6));
  });
}

rpc::Reply GetValidaServ(Database& db, const rpc::Request& request) {
  rpc::ExpectParamCount(request, 5, 5);
  // service first, then branch, airline, flight, leg
  const ServiceKey key{rpc::StringParam(request, 1), rpc::StringParam(request, 2), rpc::StringParam(request, 3),
                       rpc::StringParam(request, 4), rpc::StringParam(request, 0)};
  return Fetch(db, kValidaServ, fields::ValidaServ(), [&](Statement& st) { BindServiceKey(st, key); });
}

rpc::Reply GetMaiorPax(Database& db, const rpc::Request& request) {
  rpc::ExpectParamCount(request, 5, 5);
  const ServiceKey key = ReadServiceKey(request, 3);
  return Fetch(db, kMaiorPax, fields::MaiorPax(), [&](Statement& st) { BindServiceKey(st, key); });
}

rpc::Reply GetFindProp(Database& db, const rpc::Request& request) {
  rpc::ExpectParamCount(request, 7, 7);
  const ServiceKey key = ReadServiceKey(request, 5);
  const double from = rpc::NumberParam(request, 3);
  const double to = rpc::NumberParam(request, 4);
  return Fetch(db, kFindProp, fields::FindProp(), [&](Statement& st) {
    BindServiceKey(st, key);
    st.SetNumber(5, from);
    st.SetNumber(6, to);
  });
}

rpc::Reply GetTestaPropSe(Database& db, const rpc::Request& request) {
  rpc::ExpectParamCount(request, 7, 7);
  const ServiceKey key = ReadServiceKey(request, 5);
  const PaxRange candidate{rpc::NumberParam(request, 3), rpc::NumberParam(request, 4)};
  const int code = WithConnection(db, [&](Connection& c) {
    Statement& st = c.Prepared(kServiceRanges);
    BindServiceKey(st, key);
    std::vector<PaxRange> stored;
    for (bool more = st.Execute(); more; more = st.Next()) stored.push_back({st.Number(0), st.Number(1)});
    st.Release();
    return CollisionCode(stored, candidate);
  });
  std::vector<packet::Row> rows;
  if (code != 0) rows.push_back({std::string(1, static_cast<char>('0' + code))});
  return PacketReply(fields::TestaPropSe(), std::move(rows));
}

}  // namespace appserver
