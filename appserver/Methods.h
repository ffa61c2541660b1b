#pragma once
// The application server "Ate11600.rdmPropPass": its methods on a
// dispatcher.

#include "appserver/Database.h"
#include "rpc/Dispatcher.h"

namespace appserver {

inline constexpr char kServerName[] = "Ate11600.rdmPropPass";

// Adds the screen's methods (GetCompanhia, GetPropServico,
// GetQtdePropServico, SetQtdePropServico, GetValidaServ, GetMaiorPax,
// GetFindProp, GetTestaPropSe, GetSituacaoGravacao), the planning tools'
// (GetCoberturaProp, GetQtdeParaPax, CopiaPropServico, ImportaPropServico)
// and GetHistoricoProp, each storing through db and logging one line per
// call at debug level. db must outlive the dispatcher's use.
void RegisterMethods(rpc::Dispatcher& dispatcher, Database& db);

}  // namespace appserver
