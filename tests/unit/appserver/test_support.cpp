#include "test_support.h"

#include <gtest/gtest.h>

#include "appserver/Methods.h"
#include "appserver/db/DbSchema.h"
#include "appserver/db/SqlScript.h"
#include "fixture_sql.h"

namespace appserver_test {

std::string BackendName(Backend b) { return b == Backend::Sqlite ? "sqlite" : "postgresql"; }

std::unique_ptr<TestDatabase> TestDatabase::Create(Backend backend, Content content, std::string* why) {
  std::unique_ptr<TestDatabase> t(new TestDatabase);
  if (backend == Backend::Sqlite) {
    t->dir_ = std::make_unique<TempDir>();
    t->location_ = {dbsession::Dialect::Sqlite, (t->dir_->Path() / "test.db").string()};
  } else {
    PgInstance* pg = PgInstance::Get(why);
    if (!pg) return nullptr;
    t->pgName_ = pg->CreateDatabase();
    t->location_ = {dbsession::Dialect::Postgresql, pg->ConnectString(t->pgName_)};
  }
  t->side_ = dbsession::Open(t->location_);
  if (content != Content::SchemaOnly) dbsession::CreateSchema(*t->side_);
  if (content == Content::Fixture) dbsession::RunScript(*t->side_, kFixtureSql);
  if (content == Content::Demo) dbsession::LoadDemo(*t->side_);
  return t;
}

TestDatabase::~TestDatabase() {
  side_.reset();
  if (!pgName_.empty()) {
    if (PgInstance* pg = PgInstance::Get(nullptr)) pg->DropDatabase(pgName_);
  }
}

int TestDatabase::Count(const std::string& sql) {
  int n = -1;
  *side_ << sql, soci::into(n);
  return n;
}

Caller::Caller(const dbsession::Location& where, std::string user)
    : db_(where), dispatcher_(appserver::kServerName, "") {
  appserver::RegisterMethods(dispatcher_, db_);
  session_.connected = true;
  session_.user = std::move(user);
  session_.peer = "test";
}

Answer Caller::Call(const std::string& method, const json& params) {
  const json request = {{"jsonrpc", "2.0"}, {"id", 1}, {"method", method}, {"params", params}};
  const json response = json::parse(dispatcher_.HandleNow(request.dump(), session_).response);
  Answer a;
  a.ok = response.contains("result");
  if (a.ok) {
    a.result = response["result"];
    if (response.contains("byref")) a.byref = response["byref"];
  } else {
    a.code = response["error"]["code"];
    a.message = response["error"]["message"];
    if (response["error"].contains("data")) a.data = response["error"]["data"];
  }
  return a;
}

std::vector<json> Rows(const Answer& a, const std::vector<packet::FieldDef>& fields) {
  EXPECT_TRUE(a.ok) << a.code << " " << a.message;
  if (!a.ok) return {};
  const json& got = a.result["fields"];
  EXPECT_EQ(got.size(), fields.size());
  for (std::size_t i = 0; i < fields.size() && i < got.size(); ++i) {
    EXPECT_EQ(got[i]["name"], fields[i].name);
    EXPECT_EQ(got[i]["type"], packet::FieldTypeName(fields[i].type));
    if (fields[i].type == packet::FieldType::String) {
      EXPECT_EQ(got[i]["size"], fields[i].size) << fields[i].name;
    }
  }
  return a.result["rows"].get<std::vector<json>>();
}

json ChangeLog(std::vector<json> changes) { return {{"changes", changes}}; }

json Range(const std::string& servico, json de, json ate, json qt, const std::string& trecho, json classe, json ciclo) {
  return {{"CDSERVICO", servico}, {"CDCIA", "0101"},    {"QTPAXDE", de},      {"QTSERVICO", qt}, {"QTPAXATE", ate},
          {"CDCICLO", ciclo},     {"CDFILIAL", "0001"}, {"CDCLASSE", classe}, {"NRVOO", "1234"}, {"CDTRECHO", trecho}};
}

}  // namespace appserver_test
