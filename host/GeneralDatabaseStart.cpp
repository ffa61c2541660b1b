#include "host/GeneralDatabaseStart.h"

#include <stdexcept>

#include "appserver/db/UrlText.h"
#include "framework/GeneralDatabase.h"

namespace host {

void OpenGeneralDatabase(framework::TGeneralConnection& connection, const std::string& url) {
  try {
    connection.Open(url);
  } catch (const std::exception& e) {
    throw std::runtime_error("Não foi possível abrir o banco de dados das pesquisas (" +
                             dbsession::WithoutPassword(url) + "):\n" + dbsession::WithoutSecretsOf(url, e.what()));
  }
}

}  // namespace host
