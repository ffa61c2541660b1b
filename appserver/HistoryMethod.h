#pragma once
// GetHistoricoProp: the history of a leg's ranges, read from PROPSERVICO_LOG
// a page at a time, newest first. Every change ever stored is there: the
// screen's saves, copies and imports, and those of legs since removed.
//
// Arguments, all text, in this order:
//   1 CDFILIAL, 2 CDCIA (or SGCIA when no airline has that code),
//   3 NRVOO, 4 CDTRECHO: the leg;
//   5 CDSERVICO: one service of it, or "" for every service;
//   6 from: "" or a UTC time "YYYY-MM-DD HH:MM:SS": changes logged at it or
//     later;
//   7 to: "" or such a time, after from: changes logged before it;
//   8 page size: a whole number from 1 to kMaxHistoryPage;
//   9 before: "" to start from the newest change, or a whole number: only
//     changes whose IDLOG is below it.
// A change belongs to the leg (and service) its range has after it, or had
// before it for an exclusion; a modify never moves a range to another key.
//
// The answer: a data packet of at most page size rows, IDLOG descending,
// with IDLOG, DTLOG ("YYYY-MM-DD HH:MM:SS", UTC, on every database),
// NMUSUARIO, IDOPERACAO ("I", "A", "E"), IDORIGEM ("" the screen, "C" a
// copy, "I" an import), DSOPERACAO ("inclusão", "alteração" or "exclusão"
// for the screen's changes, "cópia" for every change of a copy,
// "importação" for every change of an import), CDSERVICO, NMPRODUTO (the
// service's product name, null when the product is gone), then
// QTPAXDE_OLD, QTPAXATE_OLD, CDCLASSE_OLD, CDCICLO_OLD, QTSERVICO_OLD (the
// range before, nulls for an insert) and QTPAXDE_NEW, QTPAXATE_NEW,
// CDCLASSE_NEW, CDCICLO_NEW, QTSERVICO_NEW (after, nulls for an
// exclusion). The next page: before = the last row's IDLOG; fewer rows than
// the page size means there is none.
//
// Errors: RpcError kInvalidParams "GetHistoricoProp: argument N ..." for a
// wrong count, a non-text argument, a text longer than its column, a
// malformed time, from not before to, a page size or before that is no
// such number; kUnknownReference for an unknown airline; kStorageFailure
// when the database fails.

#include "appserver/Database.h"
#include "rpc/Message.h"

namespace appserver {

inline constexpr int kMaxHistoryPage = 500;

rpc::Reply GetHistoricoProp(Database& db, const rpc::Request& request);

}  // namespace appserver
