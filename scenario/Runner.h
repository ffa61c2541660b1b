#pragma once
// Runs one scenario script: an in-process host (settings, general
// database, dialogs), the screen module loaded as the host loads it, and a
// real application server child over a fresh database.
#include <filesystem>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "framework/NetConnection.h"
#include "scenario/Dialogs.h"
#include "scenario/Script.h"
#include "scenario/ServerChild.h"

namespace soci { class session; }
namespace toolkit {
class Component;
class Form;
}

namespace scenario {

struct Paths {
  std::string module;  // libPkg_ate11600.so
  std::string server;  // ate-appserver
  std::string pdfDir;
};

// A check or action that did not go as the script says.
class Failure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class Runner : public framework::CallObserver {
 public:
  Runner(Paths paths, std::filesystem::path script);
  ~Runner() override;

  // Runs the script; returns "" when it passed, else "LINE: what differed".
  std::string Run();

  void Called(const std::string& method, const std::vector<rpc::Param>& params) override;

 private:
  void Execute(const Command& c);
  bool SetUp(const Command& c);
  void Action(const Command& c);
  bool Check(const Command& c);
  void CheckExpect(const Command& c);
  void CheckMore(const Command& c);
  void RunModal(toolkit::Form& form);
  void StartHost();
  void OpenScreen();
  void CallExport(const std::string& name);
  void Finish();
  void Seed(const Command& c);
  void TypeInto(const Command& c, bool replace);
  std::string QueryText(const std::string& sql);

  toolkit::Component& Find(const std::string& name);
  toolkit::Form& Screen();
  toolkit::Form& Target();
  const std::string& Arg(const Command& c, std::size_t i);

  Paths paths_;
  std::filesystem::path script_;
  std::filesystem::path dir_;
  std::string dbUrl_;
  std::unique_ptr<soci::session> db_;
  std::unique_ptr<ServerChild> server_;
  Dialogs dialogs_;
  void* module_ = nullptr;
  bool initialized_ = false;
  bool hostStarted_ = false;
  toolkit::Form* other_ = nullptr;
  std::vector<toolkit::Form*> modals_;
  std::vector<Command> commands_;
  std::size_t next_ = 0;
  std::map<std::string, int> calls_;
  std::map<std::string, std::vector<std::string>> lastCall_;
};

}  // namespace scenario
