#pragma once
// The host, in the runner's process: the host settings the screens read,
// the general database, the host's own windows (the MDI main window with
// the menu entry of the screen, and another MDI window to switch to) and
// the screen module, loaded as the host loads it.
//
// The module is loaded on the first Open or Call; Initialize runs once
// right after loading. Shutdown destroys every form, calls Finalize and
// unloads the module, then closes the general database.

#include <filesystem>
#include <memory>
#include <string>

#include "framework/GeneralDatabase.h"
#include "scenario/Module.h"
#include "toolkit/controls/Form.h"
#include "toolkit/controls/Menu.h"

namespace scenario {

class InProcessHost {
 public:
  explicit InProcessHost(std::filesystem::path modulePath);
  ~InProcessHost();
  InProcessHost(const InProcessHost&) = delete;
  InProcessHost& operator=(const InProcessHost&) = delete;

  // One host setting: ModuFili (true/false), FiliProc, DBPict, WebURL,
  // WebPort, Token, User, CallTimeout (seconds, 1 to 3600; names not
  // case-sensitive). Throws std::invalid_argument for an unknown key or a
  // bad value.
  static void Configure(const std::string& key, const std::string& value);

  // Opens the general database and makes it the host's data module.
  void OpenGeneralDatabase(const std::string& url);
  // Creates the host's windows on the (freshly reset) application.
  void CreateWindows();
  toolkit::Form& MainWindow() const;
  toolkit::Form& OtherWindow() const;

  // The menu entry of the screen: loads the module when needed, then a
  // click on the entry, which calls IniProc. Throws std::runtime_error when
  // the module cannot be loaded or has no IniProc.
  void Open();
  // Calls any exported function of the module, loading it when needed; as
  // the host's event loop does, EAbort is swallowed and any other exception
  // shown as an error message.
  void Call(const std::string& name);

  // Every step runs even when an earlier one fails; throws the first
  // failure afterwards.
  void Shutdown();

 private:
  void EnsureLoaded();
  void RequireFunction(const std::string& name) const;

  std::filesystem::path modulePath_;
  std::unique_ptr<Module> module_;
  std::unique_ptr<framework::TdtmDBGeral> database_;
  toolkit::Form* mainWindow_ = nullptr;
  toolkit::Form* otherWindow_ = nullptr;
  toolkit::MenuItem* screenEntry_ = nullptr;
};

}  // namespace scenario
