#pragma once
// The seven read methods. Each takes its arguments in the order the screen
// sends them (all text, but for the two bounds of GetFindProp and
// GetTestaPropSe), filters by the branch, and answers a data packet with
// every field of the dataset that receives it (see Fields.h). Each throws
// RpcError kInvalidParams for a wrong number or type of arguments and
// kStorageFailure when the database fails.

#include "appserver/Database.h"
#include "rpc/Message.h"

namespace appserver {

// airline short code, all-airlines flag, branch[, flight, all-flights flag,
// leg, all-legs flag]: one row per leg of the matching flights, joined with
// its airline and equipment, ordered by SGCIA, NRVOO, CDTRECHO. A flag "T"
// lifts the filter on its value, and so does a missing trailing argument.
rpc::Reply GetCompanhia(Database& db, const rpc::Request& request);

// The airline argument of these two is CDCIA or, when no airline has that
// code, SGCIA.
//
// branch, airline, flight, leg: one row per service, class
// and cycle with stored ranges, with the product, class and cycle names,
// ordered by CDARVPROD.
rpc::Reply GetPropServico(Database& db, const rpc::Request& request);

// branch, airline, service, class, cycle, flight, leg: the
// ranges of the service, of that class and cycle when given (not blank),
// ordered by QTPAXDE. A blank service answers no row.
rpc::Reply GetQtdePropServico(Database& db, const rpc::Request& request);

// service, branch, airline, flight, leg: one row per stored range of the
// service; any row means the service is already on the leg.
rpc::Reply GetValidaServ(Database& db, const rpc::Request& request);

// branch, airline, service, flight, leg: one row, MAXPAX the highest upper
// bound stored for the service, or null when it has no range.
rpc::Reply GetMaiorPax(Database& db, const rpc::Request& request);

// branch, airline, service, lower bound, upper bound, flight, leg: one row,
// CONT the number of stored ranges with exactly those bounds.
rpc::Reply GetFindProp(Database& db, const rpc::Request& request);

// As GetFindProp: PAX "1", "2" or "3" when the range collides with a stored
// one (see CollisionCode), no row when it collides with none.
rpc::Reply GetTestaPropSe(Database& db, const rpc::Request& request);

}  // namespace appserver
