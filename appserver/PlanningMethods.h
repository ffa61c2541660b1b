#pragma once
// The planning tools' read methods, beside the screen's: what a leg's
// ranges leave uncovered, and what each service gives for a passenger
// count. Arguments are text, as in the other methods; the airline is CDCIA
// or, when no airline has that code, SGCIA. A service is a service, class
// and cycle with ranges stored on the leg. Both answer data packets and
// throw RpcError kInvalidParams for bad arguments, kStorageFailure when the
// database fails.

#include "appserver/Database.h"
#include "rpc/Message.h"

namespace appserver {

// branch, airline, flight, leg: one row per hole of every service, with
// CDSERVICO, CDCLASSE, CDCICLO, CDARVPROD, NMPRODUTO, QTPAXDE and QTPAXATE
// (the hole's bounds) and QTASSENTOS (the leg's seats, null when unknown),
// ordered by CDARVPROD, CDSERVICO, CDCLASSE, CDCICLO, then QTPAXDE. The ranges must cover every count from
// 1 to the seats, or to the highest upper bound stored when the seats are
// unknown. No row: every service is covered.
rpc::Reply GetCoberturaProp(Database& db, const rpc::Request& request);

// branch, airline, flight, leg, passenger count (a whole number from 1 to
// 9999, as text): one row per service with CDSERVICO, CDCLASSE, CDCICLO,
// CDARVPROD, NMPRODUTO, SGCLASSE, IDCICLO and the covering range's QTPAXDE,
// QTPAXATE and QTSERVICO, nulls where no range covers the count; in the
// order of GetCoberturaProp.
rpc::Reply GetQtdeParaPax(Database& db, const rpc::Request& request);

}  // namespace appserver
