// The host in Portuguese: Qt's own dialogs through Qt's translation, and
// an English but running host when that translation is missing.
#include <gtest/gtest.h>

#include <QAction>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QLibraryInfo>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTranslator>
#include <algorithm>

#include "host/Translations.h"
#include "qt_app.h"

namespace {

// Keeps the other tests in the locale and language they started with.
class HostTranslations : public ::testing::Test {
 protected:
  void SetUp() override { desktop_test::App(); }
  void TearDown() override {
    if (translator) QCoreApplication::removeTranslator(translator);
    delete translator;
    QLocale::setDefault(locale);
  }
  QTranslator* translator = nullptr;
  QLocale locale;
};

QStringList Texts(const QList<QAction*>& actions) {
  QStringList texts;
  for (const QAction* a : actions) texts << a->text();
  return texts;
}

TEST_F(HostTranslations, QtsOwnDialogsSpeakPortuguese) {
  if (!QFileInfo::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + "/qtbase_pt_BR.qm"))
    GTEST_SKIP() << "Qt's Portuguese translation is not installed (qt6-translations-l10n)";
  translator = host::InstallPortuguese(*QCoreApplication::instance());
  ASSERT_NE(translator, nullptr);
  EXPECT_EQ(QLocale().name(), "pt_BR");

  QDialogButtonBox buttons(QDialogButtonBox::Save | QDialogButtonBox::Cancel);
  EXPECT_EQ(buttons.button(QDialogButtonBox::Cancel)->text(), "Cancelar");
  EXPECT_EQ(buttons.button(QDialogButtonBox::Save)->text(), "Salvar");

  QFileDialog files;
  files.setOption(QFileDialog::DontUseNativeDialog);
  QStringList labels;
  for (const QLabel* label : files.findChildren<QLabel*>()) labels << label->text();
  EXPECT_TRUE(labels.contains("Procurar em:")) << labels.join(" | ").toStdString();

  QPrinter printer;
  QPrintPreviewDialog preview(&printer);
  const QStringList actions = Texts(preview.findChildren<QAction*>());
  EXPECT_TRUE(actions.contains("Imprimir")) << actions.join(" | ").toStdString();
  EXPECT_TRUE(actions.contains("Próxima página")) << actions.join(" | ").toStdString();
}

TEST_F(HostTranslations, WithoutTheTranslationTheHostGoesOnInEnglishAndSaysSoOnce) {
  QTemporaryDir empty;
  ASSERT_TRUE(empty.isValid());
  testing::internal::CaptureStderr();
  translator = host::InstallPortuguese(*QCoreApplication::instance(), empty.path());
  const std::string said = testing::internal::GetCapturedStderr();
  EXPECT_EQ(translator, nullptr);
  EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
  EXPECT_NE(said.find(empty.path().toStdString()), std::string::npos) << said;
  EXPECT_EQ(QLocale().name(), "pt_BR");  // the formats do not need the file
  QDialogButtonBox buttons(QDialogButtonBox::Cancel);
  EXPECT_EQ(buttons.button(QDialogButtonBox::Cancel)->text(), "Cancel");
}

}  // namespace
