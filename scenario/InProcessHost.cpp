#include "scenario/InProcessHost.h"

#include <charconv>
#include <exception>
#include <stdexcept>

#include "framework/Host.h"
#include "toolkit/controls/Application.h"
#include "toolkit/controls/DialogService.h"
#include "toolkit/controls/Input.h"
#include "toolkit/data/Abort.h"

namespace scenario {

namespace {

std::string Lower(std::string text) {
  for (char& c : text)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return text;
}

int ParseCallTimeout(const std::string& value) {
  int seconds = 0;
  const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), seconds);
  if (value.empty() || ec != std::errc() || end != value.data() + value.size() || seconds < 1 || seconds > 3600)
    throw std::invalid_argument("CallTimeout must be a whole number of seconds from 1 to 3600, not '" + value + "'");
  return seconds;
}

int ParsePort(const std::string& value) {
  int port = 0;
  const auto [end, ec] = std::from_chars(value.data(), value.data() + value.size(), port);
  if (value.empty() || ec != std::errc() || end != value.data() + value.size())
    throw std::invalid_argument("WebPort must be a whole number, not '" + value + "'");
  return port;
}

template <class F>
void Step(std::exception_ptr& first, F&& step) {
  try {
    step();
  } catch (...) {
    if (!first) first = std::current_exception();
  }
}

}  // namespace

InProcessHost::InProcessHost(std::filesystem::path modulePath) : modulePath_(std::move(modulePath)) {}

InProcessHost::~InProcessHost() {
  try {
    Shutdown();
  } catch (...) {
    // The runner calls Shutdown itself and reports its failure; this is the
    // unwinding path after another failure.
  }
}

void InProcessHost::Configure(const std::string& key, const std::string& value) {
  framework::HostSettings& host = framework::Host();
  const std::string k = Lower(key);
  if (k == "modufili") {
    if (value != "true" && value != "false") throw std::invalid_argument("ModuFili must be true or false, not '" + value + "'");
    host.moduFili = value == "true";
  } else if (k == "filiproc") {
    host.filiProc = value;
  } else if (k == "dbpict") {
    host.dbPict = value;
  } else if (k == "weburl") {
    host.webUrl = value;
  } else if (k == "webport") {
    host.webPort = ParsePort(value);
  } else if (k == "token") {
    host.token = value;
  } else if (k == "user") {
    host.user = value;
  } else if (k == "calltimeout") {
    host.callTimeout = ParseCallTimeout(value);
  } else {
    throw std::invalid_argument("unknown host setting '" + key +
                                "' (ModuFili, FiliProc, DBPict, WebURL, WebPort, Token, User, CallTimeout)");
  }
}

void InProcessHost::OpenGeneralDatabase(const std::string& url) {
  auto database = std::make_unique<framework::TdtmDBGeral>();
  database->adcGeral->Open(url);
  database_ = std::move(database);
  framework::dtmDBGeral = database_.get();
  framework::Host().databaseUrl = url;
}

void InProcessHost::CreateWindows() {
  toolkit::Application& app = toolkit::Application::Instance();
  auto main = std::make_unique<toolkit::Form>();
  main->SetName("frmPrincipal");
  main->SetCaption("ATE");
  main->SetVisible(true);
  auto* menu = new toolkit::MainMenu(main.get());
  menu->SetName("mnuPrincipal");
  screenEntry_ = new toolkit::MenuItem(main.get());
  screenEntry_->SetName("mnuATE11600");
  screenEntry_->SetCaption("Proporção de Serviço por Passageiro (ATE11600)");
  // A script may also click the entry by name: it loads the module as the
  // host's own menu does.
  screenEntry_->OnClick = [this](toolkit::MenuItem&) {
    EnsureLoaded();
    module_->Call("IniProc");
  };
  menu->Add(screenEntry_);
  main->SetMenu(menu);
  mainWindow_ = main.get();
  app.Adopt(std::move(main));
  app.SetMainForm(mainWindow_);

  auto other = std::make_unique<toolkit::Form>();
  other->SetName("frmOutraJanela");
  other->SetCaption("Outra janela");
  other->SetFormStyle(toolkit::FormStyle::fsMDIChild);
  otherWindow_ = other.get();
  app.Adopt(std::move(other));
}

toolkit::Form& InProcessHost::MainWindow() const {
  if (!mainWindow_) throw std::logic_error("the host's windows have not been created");
  return *mainWindow_;
}

toolkit::Form& InProcessHost::OtherWindow() const {
  if (!otherWindow_) throw std::logic_error("the host's windows have not been created");
  return *otherWindow_;
}

void InProcessHost::EnsureLoaded() {
  if (module_) return;
  auto module = std::make_unique<Module>(modulePath_);
  module->Call("Initialize");
  module_ = std::move(module);
}

void InProcessHost::RequireFunction(const std::string& name) const {
  if (!module_->HasFunction(name))
    throw std::runtime_error("the module " + modulePath_.filename().string() + " exports no function " + name);
}

void InProcessHost::Open() {
  EnsureLoaded();
  RequireFunction("IniProc");
  toolkit::input::Click(*screenEntry_);
}

void InProcessHost::Call(const std::string& name) {
  EnsureLoaded();
  RequireFunction(name);
  toolkit::Application& app = toolkit::Application::Instance();
  try {
    module_->Call(name);
  } catch (const toolkit::EAbort&) {
    // silent by design, as in the host's event loop
  } catch (const std::exception& e) {
    app.Dialogs().ShowError(e.what());
  }
  app.ProcessReleased();
}

void InProcessHost::Shutdown() {
  std::exception_ptr first;
  // The module's forms run module code as they die: they go before the
  // module does.
  Step(first, [] { toolkit::Application::Instance().Reset(); });
  mainWindow_ = otherWindow_ = nullptr;
  screenEntry_ = nullptr;
  if (module_) {
    Step(first, [this] { module_->Call("Finalize"); });
    Step(first, [this] { module_->Unload(); });
    module_.reset();
  }
  framework::dtmDBGeral = nullptr;
  Step(first, [this] { database_.reset(); });
  if (first) std::rethrow_exception(first);
}

}  // namespace scenario
