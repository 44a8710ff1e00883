// Fuzz target: the registry INI file and the uninstall and browser commands split from it (their
// program is started, so it must never be empty and the address always comes last).
#include "shell/Platform.h"

#include <QFile>
#include <QTemporaryDir>
#include <QUrl>

#include <cstdlib>
#include <memory>

using namespace orlaventis;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static QTemporaryDir dir;
  static const QString path = dir.filePath(QStringLiteral("registry.ini"));
  {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate)) return 0;
    f.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
  }
  const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  (void)SplitUninstallString(text);
  (void)SplitBrowserCommand(text);

  SetProgramRegistry(std::make_unique<IniRegistry>(QStringList{path}));
  static const QString address = QStringLiteral("https://example.invalid/help");
  SetProcessLauncher([](const ProcessStart& start) {
    if (start.program.isEmpty()) std::abort();
    return true;
  });
  SetUrlOpener([](const QUrl&) { return true; });
  (void)RunUninstaller();
  SetProcessLauncher([](const ProcessStart& start) {
    if (start.program.isEmpty() || start.arguments.isEmpty() || start.arguments.last() != address) std::abort();
    return true;
  });
  (void)OpenWebAddress(address);
  return 0;
}
