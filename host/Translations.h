#pragma once
// The host speaks Brazilian Portuguese, Qt's own dialogs included (print,
// file and preview dialogs, standard buttons), through the translations
// Qt installs beside itself.

#include <QString>

class QCoreApplication;
class QTranslator;

namespace host {

// Makes Brazilian Portuguese the default locale and installs Qt's "qtbase"
// translation for it from dir (Qt's translations folder when empty) into
// app, which owns the translator returned. When the translation cannot be
// loaded Qt's texts stay English: one line on stderr says so and nullptr
// comes back.
QTranslator* InstallPortuguese(QCoreApplication& app, const QString& dir = {});

}  // namespace host
