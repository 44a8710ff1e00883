// Fuzz target: the registry INI file and the uninstall and browser commands split from it (their
// program is started, so it must never be empty and the address always comes last).
#include "FuzzInput.h"
#include "shell/Platform.h"

#include <QUrl>

#include <cstdlib>
#include <memory>

using namespace orlaventis;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QString path = WriteFuzzInput(QStringLiteral("registry.ini"), data, size);
  const QString text =
      QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  (void)SplitUninstallString(text);
  (void)SplitBrowserCommand(text);
  const IniRegistry registry(QStringList{path});
  Process().urlOpener = [](const QUrl&) { return true; };
  static const QString address = QStringLiteral("https://example.invalid/help");
  static bool browsing = false;  // the browser gets the address as its last argument
  Process().launcher = [](const ProcessStart& start) {
    if (start.program.isEmpty() ||
        (browsing && (start.arguments.isEmpty() || start.arguments.last() != address)))
      std::abort();
    return true;
  };
  browsing = false, (void)RunUninstaller(registry);
  browsing = true, (void)OpenWebAddress(registry, address);
  return 0;
}
