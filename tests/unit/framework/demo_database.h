#pragma once
// A temporary SQLite general database holding the schema and the demo rows,
// made for one test suite and removed with it.
#include <unistd.h>

#include <filesystem>
#include <string>

#include "appserver/db/DbSchema.h"
#include "appserver/db/DbSession.h"

namespace framework_test {

class DemoDatabase {
 public:
  explicit DemoDatabase(const std::string& tag)
      : path_(std::filesystem::temp_directory_path() / ("ate-" + tag + "-" + std::to_string(::getpid()) + ".db")) {
    Remove();
    auto session = dbsession::Open(dbsession::ParseUrl(Url()));
    dbsession::CreateSchema(*session);
    dbsession::LoadDemo(*session);
  }
  ~DemoDatabase() { Remove(); }
  DemoDatabase(const DemoDatabase&) = delete;
  DemoDatabase& operator=(const DemoDatabase&) = delete;

  std::string Url() const { return "sqlite:" + path_.string(); }

 private:
  void Remove() const {
    for (const char* suffix : {"", "-wal", "-shm"}) std::filesystem::remove(path_.string() + suffix);
  }
  std::filesystem::path path_;
};

}  // namespace framework_test
