#include "host/HostConfig.h"

#include <QFileInfo>
#include <QDir>
#include <QSettings>
#include <stdexcept>

namespace host {

namespace {

// An hour: longer is no longer a time-out anybody waits for.
constexpr int kMaxCallTimeout = 3600;

framework::HostSettings Defaults() {
  framework::HostSettings s;
  s.webUrl = "127.0.0.1";
  s.webPort = 30316;
  s.moduFili = false;
  s.filiProc = "0001";
  s.dbPict = "99.99.999";
  s.databaseUrl = "sqlite:var/ate.db";
  return s;
}

void WriteDefaults(const QString& file) {
  const framework::HostSettings d = Defaults();
  QDir().mkpath(QFileInfo(file).absolutePath());
  QSettings ini(file, QSettings::IniFormat);
  ini.setValue("Server/WebURL", QString::fromStdString(d.webUrl));
  ini.setValue("Server/WebPort", d.webPort);
  ini.setValue("Server/Token", QString());
  ini.setValue("Server/TLS", d.tls);
  ini.setValue("Server/CAFile", QString());
  ini.setValue("Server/CallTimeout", d.callTimeout);
  ini.setValue("Branch/ModuFili", d.moduFili);
  ini.setValue("Branch/FiliProc", QString::fromStdString(d.filiProc));
  ini.setValue("Product/DBPict", QString::fromStdString(d.dbPict));
  ini.setValue("Database/URL", QString::fromStdString(d.databaseUrl));
  ini.sync();
  if (ini.status() != QSettings::NoError) throw std::runtime_error("Não foi possível criar " + file.toStdString());
}

std::string Text(const QSettings& ini, const char* key, const std::string& fallback) {
  return ini.value(key, QString::fromStdString(fallback)).toString().toStdString();
}

}  // namespace

HostConfig LoadConfig(const std::string& path) {
  const QString file = QString::fromStdString(path);
  if (!QFileInfo::exists(file)) WriteDefaults(file);
  QSettings ini(file, QSettings::IniFormat);
  if (ini.status() != QSettings::NoError) throw std::runtime_error("Não foi possível ler " + path);
  const framework::HostSettings d = Defaults();
  HostConfig config;
  config.path = path;
  framework::HostSettings& s = config.settings;
  s.webUrl = Text(ini, "Server/WebURL", d.webUrl);
  bool ok = false;
  const int port = ini.value("Server/WebPort", d.webPort).toInt(&ok);
  if (!ok || port < 1 || port > 65535) throw std::runtime_error(path + ": [Server] WebPort deve estar entre 1 e 65535");
  s.webPort = static_cast<std::uint16_t>(port);
  s.token = Text(ini, "Server/Token", "");
  s.tls = ini.value("Server/TLS", d.tls).toBool();
  s.caFile = Text(ini, "Server/CAFile", "");
  const int callTimeout = ini.value("Server/CallTimeout", d.callTimeout).toInt(&ok);
  if (!ok || callTimeout < 1 || callTimeout > kMaxCallTimeout)
    throw std::runtime_error(path + ": [Server] CallTimeout deve estar entre 1 e " + std::to_string(kMaxCallTimeout) +
                             " segundos");
  s.callTimeout = callTimeout;
  s.moduFili = ini.value("Branch/ModuFili", d.moduFili).toBool();
  s.filiProc = Text(ini, "Branch/FiliProc", d.filiProc);
  s.dbPict = Text(ini, "Product/DBPict", d.dbPict);
  s.databaseUrl = Text(ini, "Database/URL", d.databaseUrl);
  return config;
}

}  // namespace host
