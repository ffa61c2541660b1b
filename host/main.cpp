// ate-host: reads its configuration, opens the general database and shows
// the main window; the screen module is loaded from the menu.
#include <QApplication>
#include <QCommandLineParser>
#include <QMessageBox>
#include <exception>
#include <stdexcept>
#include <string_view>

#include "desktop/FormView.h"
#include "desktop/QtDialogs.h"
#include "framework/GeneralDatabase.h"
#include "host/GeneralDatabaseStart.h"
#include "host/HostConfig.h"
#include "host/LoginName.h"
#include "host/MainWindow.h"
#include "host/Translations.h"
#include "toolkit/controls/Application.h"

namespace {

struct Options {
  QString config;
  QString module;
  bool openScreen = false;
};

// Processes the command line: --help prints the usage and ends the program.
Options ParseOptions(const QCoreApplication& app) {
  QCommandLineParser parser;
  parser.setApplicationDescription("Carrega e abre a tela Proporção de Serviço por Passageiro (ATE11600)");
  parser.addHelpOption();
  parser.addOption(
      {"config", "Arquivo de configuração (criado com os valores padrão quando falta).", "arquivo", "etc/ate-host.ini"});
  parser.addOption({"module", "O módulo da tela.", "arquivo", app.applicationDirPath() + "/../lib/libPkg_ate11600.so"});
  parser.addOption({"open", "Abre a tela ao iniciar."});
  parser.process(app);
  return {parser.value("config"), parser.value("module"), parser.isSet("open")};
}

// The usage needs no display: asked for, it is printed before any window
// system is opened.
bool AsksForHelp(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i];
    if (arg == "-h" || arg == "--help" || arg == "--help-all" || arg == "-?") return true;
  }
  return false;
}

int Run(QApplication& app, const Options& options) {
  const host::HostConfig config = host::LoadConfig(options.config.toStdString());
  framework::Host() = config.settings;
  // The server logs every change under the name sent with the handshake.
  framework::Host().user = host::LoginName();
  framework::TdtmDBGeral general;
  framework::dtmDBGeral = &general;
  host::OpenGeneralDatabase(*general.adcGeral, config.settings.databaseUrl);

  const QString server = QString::fromStdString(config.settings.webUrl) + ":" + QString::number(config.settings.webPort);
  auto* window = new host::MainWindow(options.module.toStdString(), server, config.settings.databaseUrl);
  // Boxes and modal forms centre over the main window.
  desktop::QtDialogs dialogs(window, [](toolkit::Form& form, QWidget* parent) -> QWidget* {
    return new desktop::FormView(form, parent);
  });
  toolkit::Application::Instance().SetDialogs(&dialogs);
  window->show();
  if (options.openScreen) window->OpenScreen();
  const int rc = app.exec();
  window->Shutdown();
  delete window;
  toolkit::Application::Instance().Reset();
  framework::dtmDBGeral = nullptr;
  return rc;
}

}  // namespace

int main(int argc, char** argv) {
  if (AsksForHelp(argc, argv)) {
    QCoreApplication app(argc, argv);
    app.setApplicationName("ate-host");
    host::InstallPortuguese(app);
    ParseOptions(app);  // prints the usage and exits
    return 0;
  }
  QApplication app(argc, argv);
  app.setApplicationName("ate-host");
  host::InstallPortuguese(app);
  const Options options = ParseOptions(app);
  try {
    return Run(app, options);
  } catch (const std::exception& e) {
    QMessageBox::critical(nullptr, "ate-host", QString::fromUtf8(e.what()));
    return 1;
  }
}
