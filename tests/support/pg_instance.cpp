#include "pg_instance.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <grp.h>
#include <netinet/in.h>
#include <pwd.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <thread>
#include <vector>

#include "appserver/db/DbSession.h"

namespace testsupport {

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
  bin_ = PgBinDir();
  if (bin_.empty()) return *why = "PostgreSQL's initdb is not installed (/usr/lib/postgresql/*/bin)", false;
  // PostgreSQL refuses to run as root; then it runs as its own user.
  const passwd* runAs = nullptr;
  if (::geteuid() == 0) {
    runAs = ::getpwnam("postgres");
    if (!runAs) runAs = ::getpwnam("nobody");
    if (!runAs) return *why = "running as root and there is no 'postgres' or 'nobody' user to run PostgreSQL as", false;
    runAs_ = runAs->pw_name;
  }
  dir_ = std::make_unique<TempDir>();
  if (runAs && ::chown(dir_->Path().c_str(), runAs->pw_uid, runAs->pw_gid) != 0) {
    return *why = "cannot hand the temporary folder to the PostgreSQL user", false;
  }
  const fs::path data = dir_->Path() / "data", log = dir_->Path() / "log.txt";
  int status = 0;
  ::waitpid(
      Spawn({bin_ + "/initdb", "-D", data.string(), "-U", "ate", "-A", "trust", "-E", "UTF8", "--locale=C", "--no-sync"},
            runAs, dir_->Path(), log),
      &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return *why = "initdb failed: " + ReadFile(log), false;
  port_ = FreePort();
  return Launch(why);
}

bool PgInstance::Launch(std::string* why) {
  const passwd* runAs = runAs_.empty() ? nullptr : ::getpwnam(runAs_.c_str());
  const fs::path data = dir_->Path() / "data", log = dir_->Path() / "log.txt";
  pid_ = Spawn({bin_ + "/postgres", "-D", data.string(), "-k", dir_->Path().string(), "-h", "127.0.0.1", "-p",
                std::to_string(port_), "-c", "fsync=off", "-c", "full_page_writes=off"},
               runAs, dir_->Path(), log);
  // Ready when it takes a connection; given up when the server exits first.
  int status = 0;
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

void PgInstance::Restart() {
  ::kill(pid_, SIGINT);  // fast shutdown: every session is ended
  ::waitpid(pid_, nullptr, 0);
  pid_ = -1;
  std::string why;
  if (!Launch(&why)) throw std::runtime_error("PostgreSQL did not come back: " + why);
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

std::string PgInstance::CreateDatabase() {
  static std::atomic<int> counter{0};
  const std::string name = "t" + std::to_string(::getpid()) + "_" + std::to_string(counter++);
  auto admin = dbsession::Open({dbsession::Dialect::Postgresql, ConnectString("postgres")});
  *admin << "CREATE DATABASE " + name;
  return name;
}

void PgInstance::DropDatabase(const std::string& dbname) {
  auto admin = dbsession::Open({dbsession::Dialect::Postgresql, ConnectString("postgres")});
  *admin << "DROP DATABASE IF EXISTS " + dbname + " WITH (FORCE)";
}

}  // namespace testsupport
