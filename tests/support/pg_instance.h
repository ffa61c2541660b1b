#pragma once
// A private PostgreSQL server for a test program, and the temporary folders
// it and the tests keep their files in. Shared by the unit and the
// integration tests of the application server.

#include <filesystem>
#include <memory>
#include <string>

namespace testsupport {

// A folder under the system's temporary folder, removed with its contents.
class TempDir {
 public:
  TempDir();  // throws std::runtime_error when it cannot be made
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& Path() const { return path_; }

 private:
  std::filesystem::path path_;
};

// A PostgreSQL server of this test program's own, in a temporary folder on
// a free loopback port, trust authentication for the user "ate", started on
// first use and stopped at exit.
class PgInstance {
 public:
  // The running instance, or nullptr with the reason in *why (initdb
  // missing, no user to run it as when we are root, start-up failed).
  static PgInstance* Get(std::string* why);
  ~PgInstance();

  int Port() const { return port_; }
  // A libpq connection string for that database of the instance.
  std::string ConnectString(const std::string& dbname) const;
  // Creates a database of a name not used before in this program and gives
  // that name. Throws soci::soci_error when the server refuses.
  std::string CreateDatabase();
  // Drops it, closing whatever connections are still on it.
  void DropDatabase(const std::string& dbname);
  // Stops the server (ending every session) and starts it again on the same
  // port and data. Throws std::runtime_error when it does not come back.
  void Restart();

 private:
  PgInstance() = default;
  bool Start(std::string* why);
  bool Launch(std::string* why);  // the postgres process, until it takes connections

  std::unique_ptr<TempDir> dir_;
  std::string bin_, runAs_;  // runAs_ empty: as ourselves
  int pid_ = -1;
  int port_ = 0;
};

}  // namespace testsupport
