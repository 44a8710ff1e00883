// Fuzz target: the language file as the program reads it: text lookup and a form's translation.
#include "shell/Translation.h"

#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QTabWidget>
#include <QTemporaryDir>

using namespace orlaventis;

// Qt keeps its font cache until the process ends: not a leak of the code under test.
extern "C" const char* __lsan_default_suppressions() { return "leak:libQt6Gui\nleak:libfontconfig\n"; }

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  static QApplication app(*argc, *argv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  static QTemporaryDir dir;
  static const QString path = dir.filePath(QStringLiteral("olv.lng"));
  {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
    f.write(reinterpret_cast<const char*>(data + 1), static_cast<qint64>(size - 1));
  }
  static const int kLanguages[] = {31, 33, 44};
  LanguageId = kLanguages[data[0] % 3];
  for (int number : {0, 1, 1000, data[0] * 7})
    (void)LookupText(number, QStringLiteral("Main"), path, QStringLiteral("default"));
  QWidget form;
  form.setProperty(kFormProperty, true);
  SetTag(&form, 1000);
  auto* label = new QLabel(&form);
  SetTag(label, 1001);
  auto* list = new QComboBox(&form);
  list->addItems({QStringLiteral("a"), QStringLiteral("b")});
  SetTag(list, 1002);
  auto* tabs = new QTabWidget(&form);
  tabs->addTab(new QWidget, QStringLiteral("t"));
  SetTag(tabs, 1003);
  TranslateForm(&form, QStringLiteral("Main"), path);
  return 0;
}
