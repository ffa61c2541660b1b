#pragma once
// ImportaPropServico(CDFILIAL, CDCIA, CSV, MODO, PREVIA[, IDESTADO]): stores
// the ranges of a CSV file of one airline (its code or short code) at one
// branch, as the export writes it and a spreadsheet leaves it.
//
// - CSV: the file's text, read by ReadCsv (CsvReader.h) with the header of
//   ImportHeader(); one range a line, checked as ImportLines.h says. A text
//   the reader refuses is kInvalidParams with the reader's message, for the
//   user as it is, and {"line":N} as data when it names a line.
// - MODO: "acrescentar" inserts the file's ranges and changes those stored
//   with the same service and bounds (a line overlapping another stored
//   range of its service is refused); "substituir" also removes, on every
//   leg the file names, the stored ranges the file does not hold.
// - PREVIA: "S" answers what the import would do and stores nothing; "N"
//   applies it: one transaction with the save's own checks (StoreChanges:
//   removals first, a change carrying the stored values as seen, a
//   PROPSERVICO_LOG row per change naming the user, IDORIGEM 'I'). A file
//   with any refused line stores nothing and fails with kRuleViolated,
//   "Importação não aplicada: linha N: motivo" for the first, {"line":N}.
// - IDESTADO (optional, with PREVIA "N"): the token a preview answered;
//   when the stored ranges of the legs the file names changed since, the
//   apply stores nothing and fails with kConflict.
//
// The answer, preview or applied: one row per leg the file names (with a
// sound line), in order of flight and leg, with NRLINHA null, NRVOO,
// CDTRECHO, QTINCLUIR, QTALTERAR (same service and bounds, another class,
// cycle or quantity), QTREMOVER and DSMOTIVO empty; ranges left as they
// are count nowhere. Then one row per refused line in the file's order:
// NRLINHA (its line), NRVOO and CDTRECHO as read, the counts 0 and DSMOTIVO
// (why, in Portuguese). At most kMaxListedLines refused lines are listed;
// past them one more row, NRLINHA the next refused line and NRVOO and
// CDTRECHO empty, says how many were left out. Every row carries IDESTADO,
// the state token. Bad arguments are kInvalidParams; an unknown airline
// kUnknownReference.
#include <cstddef>

#include "appserver/Database.h"
#include "rpc/Dispatcher.h"

namespace appserver {

inline constexpr std::size_t kMaxListedLines = 10000;

rpc::Reply ImportaPropServico(Database& db, const rpc::Request& request, const rpc::Session& session);

}  // namespace appserver
