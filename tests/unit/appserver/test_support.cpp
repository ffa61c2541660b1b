#include "test_support.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <pwd.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#include "appserver/Methods.h"
#include "appserver/db/DbSchema.h"
#include "appserver/db/SqlScript.h"
#include "fixture_sql.h"

namespace appserver_test {

namespace fs = std::filesystem;

TempDir::TempDir() {
  std::string pattern = (fs::temp_directory_path() / "ate-test-XXXXXX").string();
  if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ignored;  // a leftover folder must not fail the test run
  fs::remove_all(path_, ignored);
}

namespace {

std::string PgBinDir() {
  for (const char* dir : {"/usr/lib/postgresql/15/bin", "/usr/lib/postgresql/16/bin", "/usr/lib/postgresql/14/bin"}) {
    if (fs::exists(fs::path(dir) / "initdb")) return dir;
  }
  return {};
}

int FreePort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof addr;
  ::bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr);
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&addr), &len);
  ::close(fd);
  return ntohs(addr.sin_port);
}

// Runs argv as `runAs` (when set), output to log; returns the child's pid.
// The child gets SIGINT when this thread ends, so that a crashed test leaves
// no server behind.
int Spawn(const std::vector<std::string>& argv, const passwd* runAs, const fs::path& cwd, const fs::path& log) {
  const pid_t pid = ::fork();
  if (pid != 0) return pid;
  const int out = ::open(log.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
  ::dup2(out, 1);
  ::dup2(out, 2);
  if (runAs && (::setgid(runAs->pw_gid) != 0 || ::setgroups(0, nullptr) != 0 || ::setuid(runAs->pw_uid) != 0)) {
    ::_exit(126);
  }
  ::prctl(PR_SET_PDEATHSIG, SIGINT);
  if (::chdir(cwd.c_str()) != 0) ::_exit(126);
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  ::execv(args[0], args.data());
  ::_exit(127);
}

std::string ReadFile(const fs::path& p) {
  std::ifstream in(p);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

}  // namespace

PgInstance* PgInstance::Get(std::string* why) {
  static std::string failure;
  static std::unique_ptr<PgInstance> instance = [] {
    std::unique_ptr<PgInstance> pg(new PgInstance);
    if (!pg->Start(&failure)) pg.reset();
    return pg;
  }();
  if (!instance && why) *why = failure;
  return instance.get();
}

bool PgInstance::Start(std::string* why) {
  const std::string bin = PgBinDir();
  if (bin.empty()) return *why = "PostgreSQL's initdb is not installed (/usr/lib/postgresql/*/bin)", false;
  // PostgreSQL refuses to run as root; then it runs as its own user.
  const passwd* runAs = nullptr;
  if (::geteuid() == 0) {
    runAs = ::getpwnam("postgres");
    if (!runAs) runAs = ::getpwnam("nobody");
    if (!runAs) return *why = "running as root and there is no 'postgres' or 'nobody' user to run PostgreSQL as", false;
  }
  dir_ = std::make_unique<TempDir>();
  if (runAs && ::chown(dir_->Path().c_str(), runAs->pw_uid, runAs->pw_gid) != 0) {
    return *why = "cannot hand the temporary folder to the PostgreSQL user", false;
  }
  const fs::path data = dir_->Path() / "data", log = dir_->Path() / "log.txt";
  int status = 0;
  ::waitpid(
      Spawn({bin + "/initdb", "-D", data.string(), "-U", "ate", "-A", "trust", "-E", "UTF8", "--locale=C", "--no-sync"},
            runAs, dir_->Path(), log),
      &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return *why = "initdb failed: " + ReadFile(log), false;
  port_ = FreePort();
  pid_ = Spawn({bin + "/postgres", "-D", data.string(), "-k", dir_->Path().string(), "-h", "127.0.0.1", "-p",
                std::to_string(port_), "-c", "fsync=off", "-c", "full_page_writes=off"},
               runAs, dir_->Path(), log);
  // Ready when it takes a connection; given up when the server exits first.
  for (int attempt = 0; attempt < 600; ++attempt) {
    if (::waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      return *why = "postgres exited at start-up: " + ReadFile(log), false;
    }
    try {
      dbsession::Open({dbsession::Dialect::Postgresql, ConnectString("postgres")});
      return true;
    } catch (const soci::soci_error&) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
  }
  return *why = "postgres did not accept connections: " + ReadFile(log), false;
}

PgInstance::~PgInstance() {
  if (pid_ > 0) {
    ::kill(pid_, SIGINT);  // fast shutdown
    ::waitpid(pid_, nullptr, 0);
  }
}

std::string PgInstance::ConnectString(const std::string& dbname) const {
  return "host=127.0.0.1 port=" + std::to_string(port_) + " user=ate dbname=" + dbname;
}

std::string BackendName(Backend b) { return b == Backend::Sqlite ? "sqlite" : "postgresql"; }

std::unique_ptr<TestDatabase> TestDatabase::Create(Backend backend, Content content, std::string* why) {
  std::unique_ptr<TestDatabase> t(new TestDatabase);
  if (backend == Backend::Sqlite) {
    t->dir_ = std::make_unique<TempDir>();
    t->location_ = {dbsession::Dialect::Sqlite, (t->dir_->Path() / "test.db").string()};
  } else {
    PgInstance* pg = PgInstance::Get(why);
    if (!pg) return nullptr;
    static std::atomic<int> counter{0};
    t->pgName_ = "t" + std::to_string(::getpid()) + "_" + std::to_string(counter++);
    auto admin = dbsession::Open({dbsession::Dialect::Postgresql, pg->ConnectString("postgres")});
    *admin << "CREATE DATABASE " + t->pgName_;
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
    if (PgInstance* pg = PgInstance::Get(nullptr)) {
      auto admin = dbsession::Open({dbsession::Dialect::Postgresql, pg->ConnectString("postgres")});
      *admin << "DROP DATABASE IF EXISTS " + pgName_ + " WITH (FORCE)";
    }
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
  const json response = json::parse(dispatcher_.Handle(request.dump(), session_).response);
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
