#include "host/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <cstdio>

namespace host {

QTranslator* InstallPortuguese(QCoreApplication& app, const QString& dir) {
  QLocale::setDefault(QLocale(QLocale::Portuguese, QLocale::Brazil));
  const QString folder = dir.isEmpty() ? QLibraryInfo::path(QLibraryInfo::TranslationsPath) : dir;
  auto* translator = new QTranslator(&app);
  if (!translator->load(QStringLiteral("qtbase_pt_BR"), folder) || !QCoreApplication::installTranslator(translator)) {
    std::fprintf(stderr, "ate-host: qtbase_pt_BR.qm não pôde ser carregado de %s; os diálogos do Qt ficam em inglês\n",
                 qUtf8Printable(folder));
    delete translator;
    return nullptr;
  }
  return translator;
}

}  // namespace host
