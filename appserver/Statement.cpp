#include "appserver/Statement.h"

#include <soci/sqlite3/soci-sqlite3.h>

#include <stdexcept>

namespace appserver {

namespace sq = sqlite_api;

namespace {

std::vector<Kind> KindsOf(const std::vector<packet::FieldDef>& fields) {
  std::vector<Kind> kinds;
  for (const auto& f : fields) kinds.push_back(f.type == packet::FieldType::Float ? Kind::Number : Kind::Text);
  return kinds;
}

}  // namespace

Statement::Statement(soci::session& session, const std::string& sql, std::vector<Kind> params,
                     std::vector<Kind> columns)
    : params_(params.size()), columns_(columns.size()) {
  for (std::size_t i = 0; i < params.size(); ++i) params_[i].kind = params[i];
  for (std::size_t c = 0; c < columns.size(); ++c) columns_[c].kind = columns[c];
  if (session.get_backend_name() == "sqlite3") {
    db_ = static_cast<soci::sqlite3_session_backend*>(session.get_backend())->conn_;
    PrepareNative(sql);
  } else {
    PrepareSoci(session, sql);
  }
}

Statement::~Statement() { sq::sqlite3_finalize(native_); }

void Statement::PrepareNative(const std::string& sql) {
  if (sq::sqlite3_prepare_v3(db_, sql.c_str(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT, &native_,
                             nullptr) != SQLITE_OK) {
    throw soci::soci_error(std::string("cannot prepare statement: ") + sq::sqlite3_errmsg(db_) + " (" + sql + ")");
  }
  if (static_cast<std::size_t>(sq::sqlite3_bind_parameter_count(native_)) != params_.size() ||
      static_cast<std::size_t>(sq::sqlite3_column_count(native_)) != columns_.size()) {
    throw std::logic_error("Statement: parameters or columns do not match the text: " + sql);
  }
}

void Statement::PrepareSoci(soci::session& session, const std::string& sql) {
  soci_ = std::make_unique<soci::statement>(session);
  soci_->alloc();
  soci_->prepare(sql);
  for (Cell& p : params_) {
    if (p.kind == Kind::Text)
      soci_->exchange(soci::use(p.text, p.ind));
    else
      soci_->exchange(soci::use(p.number, p.ind));
  }
  for (Cell& col : columns_) {
    if (col.kind == Kind::Text)
      soci_->exchange(soci::into(col.text, col.ind));
    else
      soci_->exchange(soci::into(col.number, col.ind));
  }
  soci_->define_and_bind();
}

Statement::Cell& Statement::Param(std::size_t i, Kind kind) {
  if (i >= params_.size() || params_[i].kind != kind) {
    throw std::logic_error("Statement: no parameter " + std::to_string(i) + " of that kind");
  }
  return params_[i];
}

const Statement::Cell& Statement::Column(std::size_t c) const {
  if (c >= columns_.size()) throw std::logic_error("Statement: no column " + std::to_string(c));
  return columns_[c];
}

void Statement::SetText(std::size_t i, std::string_view value) {
  Cell& p = Param(i, Kind::Text);
  p.text.assign(value);
  p.ind = soci::i_ok;
}

void Statement::SetNumber(std::size_t i, double value) {
  Cell& p = Param(i, Kind::Number);
  p.number = value;
  p.ind = soci::i_ok;
}

void Statement::SetNull(std::size_t i) {
  if (i >= params_.size()) throw std::logic_error("Statement: no parameter " + std::to_string(i));
  params_[i].ind = soci::i_null;
}

void Statement::BindNative() {
  sq::sqlite3_reset(native_);
  for (std::size_t i = 0; i < params_.size(); ++i) {
    const Cell& p = params_[i];
    const int at = static_cast<int>(i) + 1;
    // The texts stay put until the next run, which binds them again.
    const int rc = p.ind == soci::i_null    ? sq::sqlite3_bind_null(native_, at)
                   : p.kind == Kind::Number ? sq::sqlite3_bind_double(native_, at, p.number)
                                            : sq::sqlite3_bind_text(native_, at, p.text.data(),
                                                                    static_cast<int>(p.text.size()), SQLITE_STATIC);
    if (rc != SQLITE_OK) throw soci::soci_error(std::string("cannot bind: ") + sq::sqlite3_errmsg(db_));
  }
}

bool Statement::StepNative() {
  const int rc = sq::sqlite3_step(native_);
  if (rc == SQLITE_DONE) return false;
  if (rc != SQLITE_ROW) {
    const std::string message = sq::sqlite3_errmsg(db_);
    sq::sqlite3_reset(native_);
    // With SQLite's code, so that a lock time-out (SQLITE_BUSY) is told apart.
    throw soci::sqlite3_soci_error("sqlite3: " + message, rc);
  }
  for (std::size_t c = 0; c < columns_.size(); ++c) {
    Cell& col = columns_[c];
    const int at = static_cast<int>(c);
    if (sq::sqlite3_column_type(native_, at) == SQLITE_NULL) {
      col.ind = soci::i_null;
      continue;
    }
    col.ind = soci::i_ok;
    if (col.kind == Kind::Number) {
      col.number = sq::sqlite3_column_double(native_, at);
    } else {
      const auto* text = reinterpret_cast<const char*>(sq::sqlite3_column_text(native_, at));
      col.text.assign(text, static_cast<std::size_t>(sq::sqlite3_column_bytes(native_, at)));
    }
  }
  return true;
}

bool Statement::Execute() {
  if (!native_) return soci_->execute(true);
  BindNative();
  return StepNative();
}

bool Statement::Next() { return native_ ? StepNative() : soci_->fetch(); }

void Statement::Release() {
  if (native_) sq::sqlite3_reset(native_);
}

bool Statement::ExecuteOne() {
  const bool got = Execute();
  Release();
  return got;
}

long long Statement::AffectedRows() { return native_ ? sq::sqlite3_changes(db_) : soci_->get_affected_rows(); }

bool Statement::IsNull(std::size_t c) const { return Column(c).ind == soci::i_null; }

const std::string& Statement::Text(std::size_t c) const { return Column(c).text; }

double Statement::Number(std::size_t c) const { return Column(c).number; }

void Statement::FetchAll(const std::vector<packet::FieldDef>& fields, std::vector<packet::Row>& rows) {
  const std::vector<Kind> kinds = KindsOf(fields);
  for (std::size_t c = 0; c < columns_.size() || c < kinds.size(); ++c) {
    if (c >= columns_.size() || c >= kinds.size() || columns_[c].kind != kinds[c]) {
      throw std::logic_error("Statement: the fields do not match the result columns");
    }
  }
  for (bool more = Execute(); more; more = Next()) {
    packet::Row row;
    row.reserve(columns_.size());
    for (std::size_t c = 0; c < columns_.size(); ++c) {
      const Cell& col = columns_[c];
      if (col.ind == soci::i_null)
        row.emplace_back(std::monostate{});
      else if (col.kind == Kind::Number)
        row.emplace_back(col.number);
      else
        row.emplace_back(std::string(ClipText(col.text, static_cast<std::size_t>(fields[c].size))));
    }
    rows.push_back(std::move(row));
  }
  Release();
}

std::string_view ClipText(std::string_view text, std::size_t size) {
  std::size_t count = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    // Only lead bytes start a character; continuation bytes are 10xxxxxx.
    if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80 && count++ == size) return text.substr(0, i);
  }
  return text;
}

}  // namespace appserver
