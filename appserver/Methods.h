#pragma once
// The application server "Ate11600.rdmPropPass": its methods on a
// dispatcher.

#include "appserver/Database.h"
#include "rpc/Dispatcher.h"

namespace appserver {

inline constexpr char kServerName[] = "Ate11600.rdmPropPass";

// Adds GetCompanhia, GetPropServico, GetQtdePropServico, SetQtdePropServico,
// GetValidaServ, GetMaiorPax, GetFindProp, GetTestaPropSe and
// GetSituacaoGravacao, each storing
// through db and logging one line per call at debug level. db must outlive
// the dispatcher's use.
void RegisterMethods(rpc::Dispatcher& dispatcher, Database& db);

}  // namespace appserver
