#pragma once
// CopiaPropServico(CDFILIAL, CDCIA, NRVOO, CDTRECHO, DESTINOS, CDSERVICO,
// MODO, PREVIA[, IDESTADO]): copies the ranges of one leg (the source; the airline is
// its code or short code) to other legs of the same branch and airline.
//
// - DESTINOS: the target legs as "NRVOO/CDTRECHO" separated by ";", at most
//   kMaxCopyTargets, repeats ignored; the source among them is refused.
// - CDSERVICO: one service of the source, or "" for every one.
// - MODO: "substituir" removes each target's ranges of the copied services
//   and stores the source's; "acrescentar" adds the source's ranges and
//   refuses a service whose ranges would overlap the target's.
// - PREVIA: "S" answers what a copy would do and stores nothing; "N"
//   applies it: one transaction over every target, all or nothing, with the
//   save's own checks (a target range changed since it was read is a
//   conflict) and a PROPSERVICO_LOG row per change naming the user, with
//   IDORIGEM 'C'. A copy
//   with any refusal stores nothing and fails with kRuleViolated naming
//   the first.
// - IDESTADO (optional, with PREVIA "N"): the token a preview answered; when
//   the source's or a target's ranges of the services copied changed since
//   then, the apply stores nothing and fails with kConflict.
//
// The answer, preview or applied: one row per target and service, in the
// order of the targets given, with NRVOO, CDTRECHO, CDSERVICO, CDARVPROD,
// NMPRODUTO, QTINCLUIR (ranges stored on the target), QTREMOVER (target
// ranges removed), IDRECUSA ("S" refused, "N" not) and DSMOTIVO (why, in
// Portuguese) and IDESTADO (the state token, the same in every row). A
// target leg that does not exist gets one refused row with
// an empty service. Bad arguments are kInvalidParams; an unknown airline
// or source leg kUnknownReference; a source without ranges to copy
// kRuleViolated.
#include <cstddef>

#include "appserver/Database.h"
#include "rpc/Dispatcher.h"

namespace appserver {

inline constexpr std::size_t kMaxCopyTargets = 2000;

rpc::Reply CopiaPropServico(Database& db, const rpc::Request& request, const rpc::Session& session);

}  // namespace appserver
