#pragma once
// PROPSERVICO rows bound to a statement's parameters, in the table's column
// order: the key (CDFILIAL, CDCIA, NRVOO, CDTRECHO, CDSERVICO, QTPAXDE,
// QTPAXATE), then CDCLASSE, CDCICLO and QTSERVICO.

#include <cstddef>

#include "appserver/ChangeRecords.h"
#include "appserver/Statement.h"

namespace appserver {

// The key in positions at..at+6; the row's bounds must be there.
void BindKey(Statement& st, std::size_t at, const PropRow& r);
// Every column in positions at..at+9, or ten nulls for no row.
void BindRow(Statement& st, std::size_t at, const PropRow* r);

}  // namespace appserver
