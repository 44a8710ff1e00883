// Fuzz target: the language file as the program reads it: text lookup and a form's translation.
#include "FuzzInput.h"
#include "shell/Translation.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QTabWidget>

using namespace orlaventis;

// Qt keeps its font cache until the process ends: not a leak of the code under test.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libQt6Gui\nleak:libfontconfig\n";
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  static QApplication app(*argc, *argv);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  const QString path = WriteFuzzInput(QStringLiteral("olv.lng"), data + 1, size - 1);
  static const int kLanguages[] = {31, 33, 44};
  TSettings settings;
  settings.LanguageFilePath = path;
  settings.LanguageId = kLanguages[data[0] % 3];
  for (int number : {0, 1, 1000, data[0] * 7})
    (void)LookupText(settings, number, QStringLiteral("Main"), QStringLiteral("default"));
  QWidget form;
  form.setProperty(kFormProperty, true);
  auto* list = new QComboBox(&form);
  list->addItems({QStringLiteral("a"), QStringLiteral("b")});
  auto* tabs = new QTabWidget(&form);
  tabs->addTab(new QWidget, QStringLiteral("t"));
  SetTag(&form, 1000), SetTag(new QLabel(&form), 1001), SetTag(list, 1002), SetTag(tabs, 1003);
  TranslateForm(&form, QStringLiteral("Main"), settings);
  return 0;
}
