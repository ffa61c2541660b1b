#include "appserver/AuditLog.h"

#include <string>

#include "appserver/PropBinding.h"

namespace appserver {

namespace {

constexpr Kind T = Kind::Text;
constexpr Kind N = Kind::Number;

const std::string kLogColumns =
    "INSERT INTO PROPSERVICO_LOG (DTLOG, NMUSUARIO, IDOPERACAO, IDORIGEM, CDFILIAL_OLD, CDCIA_OLD, NRVOO_OLD, "
    "CDTRECHO_OLD, CDSERVICO_OLD, QTPAXDE_OLD, QTPAXATE_OLD, CDCLASSE_OLD, CDCICLO_OLD, QTSERVICO_OLD, CDFILIAL_NEW, "
    "CDCIA_NEW, NRVOO_NEW, CDTRECHO_NEW, CDSERVICO_NEW, QTPAXDE_NEW, QTPAXATE_NEW, CDCLASSE_NEW, CDCICLO_NEW, "
    "QTSERVICO_NEW) VALUES ";
const std::vector<Kind> kLogKinds{T, T, T, T, T, T, T, T, T, N, N, T, T, N, T, T, T, T, T, N, N, T, T, N};
constexpr std::size_t kLogWidth = 24;
// Rows go in several at a time: one statement per row costs more in
// running the statement than in storing the row.
constexpr std::size_t kLogBatch = 16;
constexpr std::size_t kUserSize = 64;

std::string LogValues(std::size_t rows) {
  std::string sql = kLogColumns;
  for (std::size_t r = 0; r < rows; ++r) {
    if (r) sql += ", ";
    sql += '(';
    for (std::size_t k = 0; k < kLogWidth; ++k) {
      if (k) sql += ", ";
      sql += ":v" + std::to_string(r) + "_" + std::to_string(k);
    }
    sql += ')';
  }
  return sql;
}

std::vector<Kind> LogKinds(std::size_t rows) {
  std::vector<Kind> kinds;
  for (std::size_t r = 0; r < rows; ++r) kinds.insert(kinds.end(), kLogKinds.begin(), kLogKinds.end());
  return kinds;
}

const StatementDef kLog{LogValues(1), LogKinds(1)};
const StatementDef kLogMany{LogValues(kLogBatch), LogKinds(kLogBatch)};

void BindOrigin(Statement& st, std::size_t at, LogOrigin origin) {
  switch (origin) {
    case LogOrigin::Screen:
      return st.SetNull(at);
    case LogOrigin::Copy:
      return st.SetText(at, "C");
    case LogOrigin::Import:
      return st.SetText(at, "I");
  }
}

}  // namespace

void WriteAuditLog(Connection& c, const std::vector<LogEntry>& entries, std::string_view when, std::string_view user,
                   LogOrigin origin) {
  const std::string_view who = ClipText(user, kUserSize);
  std::size_t done = 0;
  while (done < entries.size()) {
    const std::size_t rows = entries.size() - done >= kLogBatch ? kLogBatch : 1;
    Statement& st = c.Prepared(rows == kLogBatch ? kLogMany : kLog);
    for (std::size_t r = 0; r < rows; ++r) {
      const LogEntry& e = entries[done + r];
      const std::size_t at = r * kLogWidth;
      st.SetText(at, when);
      st.SetText(at + 1, who);
      st.SetText(at + 2, std::string_view(&e.op, 1));
      BindOrigin(st, at + 3, origin);
      BindRow(st, at + 4, e.before ? &*e.before : nullptr);
      BindRow(st, at + 14, e.after ? &*e.after : nullptr);
    }
    st.ExecuteOne();
    done += rows;
  }
}

}  // namespace appserver
