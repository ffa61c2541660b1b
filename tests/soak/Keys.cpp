#include "Keys.h"

#include <stdexcept>

#include "appserver/db/DbSession.h"

namespace soak {

std::vector<LegService> FreeLegServices(const std::string& url, std::size_t needed) {
  const auto session = dbsession::Open(dbsession::ParseUrl(url));
  soci::rowset<soci::row> rows = (session->prepare << R"(
    SELECT T.CDFILIAL, T.CDCIA, C.SGCIA, T.NRVOO, T.CDTRECHO, P.CDPRODUTO,
           COALESCE(P.CDCLASSE, ''), COALESCE(P.CDCICLO, '')
    FROM TRECHO T
    JOIN COMPANHIA C ON C.CDCIA = T.CDCIA
    JOIN PRODUTO P ON P.CDCIA = T.CDCIA AND P.IDPRODCOMISS = '1'
    WHERE NOT EXISTS (SELECT 1 FROM PROPSERVICO S
                      WHERE S.CDFILIAL = T.CDFILIAL AND S.CDCIA = T.CDCIA AND S.NRVOO = T.NRVOO
                        AND S.CDTRECHO = T.CDTRECHO AND S.CDSERVICO = P.CDPRODUTO)
    ORDER BY T.CDFILIAL, T.CDCIA, T.NRVOO, T.CDTRECHO, P.CDPRODUTO)");
  std::vector<LegService> keys;
  for (const soci::row& r : rows) {
    keys.push_back({r.get<std::string>(0), r.get<std::string>(1), r.get<std::string>(2), r.get<std::string>(3),
                    r.get<std::string>(4), r.get<std::string>(5), r.get<std::string>(6), r.get<std::string>(7)});
  }
  if (keys.size() < needed) {
    throw std::runtime_error("the database has room for " + std::to_string(keys.size()) + " clients, " +
                             std::to_string(needed) + " asked for");
  }
  return keys;
}

}  // namespace soak
