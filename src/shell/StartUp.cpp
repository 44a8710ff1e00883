// Start-up shared by the program and the tour, and the program's entry routine.
#include "shell/StartUp.h"

#include "controls/PlainText.h"
#include "media/ProgramFolder.h"
#include "process/ProcessFacts.h"
#include "shell/ExitCodes.h"
#include "shell/LanguageChooser.h"
#include "shell/MessageBoxMessages.h"
#include "shell/Platform.h"
#include "shell/SingleInstance.h"

#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QPointer>
#include <QThread>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace orlaventis {

int KioskMinutesFromText(const QString& text) {
  bool ok = false;
  const int minutes = text.trimmed().toInt(&ok);
  return ok && minutes >= 1 && minutes <= kMaxKioskMinutes ? minutes : 0;
}

TSettings StartUp(const StartRequest& request, std::shared_ptr<const Registry> registry) {
  if (request.depth > 0) Process().displayDepthOverride = request.depth;
  if (!request.screen.isEmpty()) Process().screenSizeOverride = request.screen;
  TSettings settings;
  // Fixed now, before FormCreate changes the current directory: a relative --data or
  // $ORLAVENTIS_DATA names a folder relative to where the program was started.
  settings.ProgramFolder = ResolveProgramFolder(request.dataFolder);
  settings.ProgramRegistry = std::move(registry);
  const Registry& registered = *settings.ProgramRegistry;
  const QString key = QString::fromLatin1(kProgramKey);
  settings.FillScreen =
      request.fillScreen ||
      registered.ReadString(key, QString::fromLatin1(kFillScreenValue)).trimmed() ==
          QLatin1String("1");
  const QString kioskText = registered.ReadString(key, QString::fromLatin1(kKioskValue)).trimmed();
  settings.KioskMinutes = request.kioskMinutes > 0 ? request.kioskMinutes
                                                   : KioskMinutesFromText(kioskText);
  if (settings.KioskMinutes == 0 && !kioskText.isEmpty())
    std::fprintf(stderr,
                 "orlaventis: the registry value %s=%s is no number of minutes from 1 to %d; kiosk "
                 "mode is off\n",
                 kKioskValue, qPrintable(kioskText), kMaxKioskMinutes);
  settings.KioskExitKeys =
      registered.ReadString(key, QString::fromLatin1(kKioskExitKeysValue)).trimmed();
  if (request.language != 0) {
    settings.LanguageId = request.language;
    settings.ChooseLanguage = false;
  }
  return settings;
}

namespace {

// How long a start keeps asking a program that holds the single-instance name but does not
// answer (stopped, or busy with its own start) before it gives up.
constexpr qint64 kBusyInstanceWaitMs = 3000;

// Makes this start the one program (-1), or hands it to the program that holds the name: 0
// once that program took the restore request, kExitInstanceBusy when it keeps not answering. A
// live holder is never taken over; a start storm leaves exactly the one that got the lock.
int ClaimInstance(SingleInstance& instance, const QString& serverName) {
  QElapsedTimer clock;
  clock.start();
  for (;;) {
    switch (instance.Listen()) {
      case SingleInstance::ListenResult::Listening: return -1;
      case SingleInstance::ListenResult::Failed:
        std::fprintf(stderr,
                     "orlaventis: the single-instance name cannot be taken; later starts will not "
                     "find this one\n");
        return -1;
      case SingleInstance::ListenResult::HeldByAnother: break;
    }
    if (SendToRunningInstance(serverName, InstanceRequest::Restore)) return 0;
    if (clock.elapsed() >= kBusyInstanceWaitMs) {
      std::fprintf(stderr,
                   "orlaventis: another Orlaventis is running but does not answer; not starting a "
                   "second one\n");
      return kExitInstanceBusy;
    }
    QThread::msleep(100);
  }
}

}  // namespace

int RunProgram(const StartRequest& request, const SectionInstaller& installSections) {
  TSettings settings = StartUp(request, std::make_shared<IniRegistry>(RegistryFiles()));
  settings.Messages = std::make_shared<MessageBoxMessages>();
  const QString serverName = InstanceServerName();
  std::srand(static_cast<unsigned>(QDateTime::currentMSecsSinceEpoch()));
  if (request.uninstall) {
    SendToRunningInstance(serverName, InstanceRequest::Close);
    RunUninstaller(*settings.ProgramRegistry);
    return 0;
  }

  // Later starts find this program from now on; until the main form exists, a close request
  // ends the chooser and the program.
  SingleInstance instance(serverName);
  if (const int handedOver = ClaimInstance(instance, serverName); handedOver >= 0)
    return handedOver;
  PlainHints hints;
  qApp->installEventFilter(&hints);
  bool closeRequested = false;
  // The chooser while it asks, then the main form: whichever exists answers a later start.
  std::unique_ptr<TIntroForm> chooser;
  TMainForm* mainForm = nullptr;
  QObject::connect(&instance, &SingleInstance::RestoreRequested, [&] {
    if (mainForm != nullptr) {
      mainForm->RestoreInstance();
    } else if (chooser) {
      chooser->raise();
      chooser->activateWindow();
    }
  });
  QObject::connect(&instance, &SingleInstance::CloseRequested, [&] {
    closeRequested = true;
    if (mainForm != nullptr) {
      mainForm->EndProgram();
    } else if (chooser) {
      chooser->close();
    }
  });

  if (settings.ChooseLanguage) {
    chooser = std::make_unique<TIntroForm>(settings);
    QCoreApplication::processEvents();
    chooser->exec();
    chooser.reset();
    QCoreApplication::processEvents();
  }
  if (closeRequested) return 0;

  int exitCode = 0;
  {
    TMainForm form(settings);
    if (!form.FormCreate()) return kExitScreenTooSmall;
    installSections(form);
    mainForm = &form;
    if (settings.KioskMinutes > 0) form.StartKiosk(settings.KioskMinutes * 60 * 1000);
    form.ShowOnScreen();
    exitCode = QApplication::exec();
    mainForm = nullptr;
  }
  return exitCode;
}

}  // namespace orlaventis
