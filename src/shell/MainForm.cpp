// The entry routine and the main form: shared objects, layout mode, navigation, close sequence.
#include "shell/MainForm.h"

#include "controls/Palette.h"
#include "controls/PlainText.h"
#include "controls/ThemeStyle.h"
#include "controls/Transitions.h"
#include "database/ContentContract.h"
#include "database/RecordFile.h"
#include "media/Archive.h"
#include "media/Messages.h"
#include "media/PictureDecoder.h"
#include "media/ProgramFolder.h"
#include "media/TempFolder.h"
#include "process/ProcessFacts.h"
#include "shell/AboutBox.h"
#include "shell/ExitCodes.h"
#include "shell/KioskWatcher.h"
#include "shell/LanguageChooser.h"
#include "shell/MessageBoxMessages.h"
#include "shell/Platform.h"
#include "shell/SingleInstance.h"
#include "shell/Translation.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDateTime>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QThread>
#include <QUrl>
#include <QUrlQuery>
#include <QWindowStateChangeEvent>

#include <cstdio>
#include <cstdlib>

namespace orlaventis {
namespace {

SectionRoutines& Routines() {
  static SectionRoutines routines;
  return routines;
}

QSize& ScreenOverride() {
  static QSize size;
  return size;
}

// Set by the constructor, cleared at the start of the destructor, so that the section forms
// destroyed with the main form no longer see it.
TMainForm* mainForm = nullptr;

QWidget* ExistingSection(SectionId section) {
  return Routines().existing ? Routines().existing(section) : nullptr;
}

// Lets pending events run for about `ms` milliseconds (at least once), without user input.
void RunEventsFor(int ms) {
  QElapsedTimer clock;
  clock.start();
  do {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 20);
    if (clock.elapsed() < ms) QThread::msleep(5);
  } while (clock.elapsed() < ms);
}

// Lets pending events (painting, deferred deletes, queued loads) run a few times.
void Settle() {
  for (int i = 0; i < 5; ++i) {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
  }
}

}  // namespace

TSettings StartUp(const StartRequest& request, std::shared_ptr<const Registry> registry) {
  // Fixed now, before FormCreate changes the current directory: a relative --data or
  // $ORLAVENTIS_DATA names a folder relative to where the program was started.
  SetProgramFolder(request.dataFolder.isEmpty() ? ProgramFolder() : request.dataFolder);
  if (request.depth > 0) Process().displayDepthOverride = request.depth;
  if (!request.screen.isEmpty()) SetScreenSizeOverride(request.screen);
  TSettings settings;
  settings.ProgramRegistry = std::move(registry);
  const Registry& registered = *settings.ProgramRegistry;
  const QString key = QString::fromLatin1(kProgramKey);
  settings.FillScreen = request.fillScreen ||
               registered.ReadString(key, QString::fromLatin1(kFillScreenValue)).trimmed() == QLatin1String("1");
  const QString kioskText = registered.ReadString(key, QString::fromLatin1(kKioskValue)).trimmed();
  settings.KioskMinutes = request.kioskMinutes > 0 ? request.kioskMinutes : KioskMinutesFromText(kioskText);
  if (settings.KioskMinutes == 0 && !kioskText.isEmpty())
    std::fprintf(stderr, "orlaventis: the registry value %s=%s is no number of minutes from 1 to %d; kiosk mode is off\n",
                 kKioskValue, qPrintable(kioskText), kMaxKioskMinutes);
  settings.KioskExitKeys = registered.ReadString(key, QString::fromLatin1(kKioskExitKeysValue)).trimmed();
  if (request.language != 0) {
    settings.LanguageId = request.language;
    settings.ChooseLanguage = false;
  }
  return settings;
}

namespace {

// Reports an archive that is there but gives no index (a missing one is no damage).
void ReportArchive(UserMessages& messages, const QString& path,
                   const std::optional<TArchiveIndex>& index) {
  if (!index) {
    if (QFileInfo::exists(path)) messages.Problem(AboutFile(QStringLiteral("The file is not a regular file"), path));
  } else if (index->Count() == 0) {
    messages.Problem(AboutFile(QStringLiteral("The archive index is damaged"), path));
  }
}

// The tour's messages: nobody answers a box, so each goes to stderr at once and is kept, once,
// for the list of failures at the end.
class TourMessages final : public UserMessages {
 public:
  void Error(const QString& text) override { Keep("error", text); }
  void Information(const QString& text) override { Keep("information", text); }
  void Problem(const QString& text) override { Keep("problem", text); }
  const QStringList& Failures() const { return failures_; }

 private:
  void Keep(const char* kind, const QString& text) {
    if (failures_.contains(text)) return;
    failures_ << text;
    std::fprintf(stderr, "%s: %s\n", kind, qPrintable(text));
  }
  QStringList failures_;
};

// Shows the main form over the whole screen (the pretended one when a size is given).
void ShowMainForm(TMainForm& form) {
  if (!ScreenOverride().isEmpty()) {
    form.setGeometry(QRect(QPoint(0, 0), ScreenOverride()));
    form.showNormal();  // also ends a minimised state, as showFullScreen does
  } else {
    form.showFullScreen();
  }
}

}  // namespace

void InstallSectionRoutines(SectionRoutines routines) { Routines() = std::move(routines); }

QString HelpAddress(const TSettings& settings) {
  const QString registered =
      settings.ProgramRegistry
          ->ReadString(QString::fromLatin1(kProgramKey), QString::fromLatin1(kHelpAddressValue))
          .trimmed();
  QUrl url = registered.isEmpty() ? QUrl::fromLocalFile(DataPath(content::kHelpPage))
                                  : QUrl(registered);
  QUrlQuery query(url);
  query.removeAllQueryItems(QStringLiteral("lang"));
  query.addQueryItem(QStringLiteral("lang"), QString::number(settings.LanguageId));
  url.setQuery(query);
  return url.toString();
}

QSize ScreenSize() {
  if (!ScreenOverride().isEmpty()) return ScreenOverride();
  if (const QScreen* screen = QGuiApplication::primaryScreen()) return screen->size();
  return QSize(640, 480);
}

void SetScreenSizeOverride(QSize size) { ScreenOverride() = size; }

TMainForm* MainForm() { return mainForm; }

bool OpenInBrowser(const QString& address, const TSettings& settings) {
  if (settings.KioskMinutes > 0) return false;
  QString browser;
  if (!OpenWebAddress(*settings.ProgramRegistry, address, &browser)) {
    const QString text =
        browser.isEmpty()
            ? LookupText(settings, 511, QStringLiteral("MainForm"),
                         QStringLiteral("No web browser could be started: the desktop has no default browser."))
            : LookupText(settings, 510, QStringLiteral("MainForm"),
                         QStringLiteral("The web browser could not be started:")) +
                  QLatin1Char('\n') + browser;
    settings.Messages->Error(AboutFile(text, address));
    return false;
  }
  if (TMainForm* form = MainForm()) form->FormMinimize();
  return true;
}

int KioskMinutesFromText(const QString& text) {
  bool ok = false;
  const int minutes = text.trimmed().toInt(&ok);
  return ok && minutes >= 1 && minutes <= kMaxKioskMinutes ? minutes : 0;
}

bool IsAltF4(const QKeyEvent* event) {
  return event->key() == Qt::Key_F4 && event->modifiers() == Qt::AltModifier;
}

TMainForm::TMainForm(TSettings& settings)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint),
      settings_(settings),
      anImage_(new TPMultiImage(this)) {
  setObjectName(QStringLiteral("MainForm"));
  setAutoFillBackground(true);
  QPalette black = palette();
  black.setColor(QPalette::Window, Qt::black);
  setPalette(black);
  QFont verdana(QStringLiteral("Verdana"));
  verdana.setPointSize(8);
  setFont(verdana);
  // The design values of the decoder; FormCreate adjusts them to the display.
  anImage_->setObjectName(QStringLiteral("anImage"));
  anImage_->SetMessages(settings_.Messages.get());
  anImage_->SetImageDither(true);
  anImage_->SetImageReadRes(TLoadResolution::lColorTrue);
  mainForm = this;
  qApp->installEventFilter(this);
}

TMainForm::~TMainForm() {
  if (QCoreApplication* app = QCoreApplication::instance()) app->removeEventFilter(this);
  mainForm = nullptr;
  RemoveTempFolder();
  settings_.MainFormReady = false;
}

bool TMainForm::FormCreate() {
  settings_.LanguageFilePath = DataPath(content::kLanguageFile);
  // The caption exactly as given: no application display name is set, which the platform would
  // append to every window's caption.
  setWindowTitle(QStringLiteral("Orlaventis 1.0 release 4"));
  QDir::setCurrent(ProgramFolder());

  const int depth = DisplayDepth();
  if (depth < 8) {
    anImage_->SetImageDither(true);
    anImage_->SetImageReadRes(TLoadResolution::lColor16);
  } else if (depth < 16) {
    anImage_->SetImageDither(true);
    anImage_->SetImageReadRes(TLoadResolution::lColor256);
  } else {
    anImage_->SetImageDither(false);
    anImage_->SetImageReadRes(TLoadResolution::lColorTrue);
  }
  anImage_->SetJpegOptions(1);
  anImage_->SetDisplayDepth(depth);
  if (const ColorTable* palette = DisplayPalette()) anImage_->SetDefaultPalette(*palette);

  settings_.LayoutMode = 0;
  if (settings_.ScaleToScreen) {
    const QSize screen = ScreenSize();
    const std::optional<LayoutModeValue> mode = ChooseLayoutMode(screen.width(), screen.height());
    if (!mode) return false;
    settings_.LayoutMode = *mode;
  }
  SetFillScreen(settings_.FillScreen && settings_.ScaleToScreen ? ScreenSize() : QSize());
  // Scroll bars and drop-down buttons keep their size at the design layouts (up to 1024 x 768)
  // and grow with a filled screen beyond it.
  const LayoutDesign design = DesignForLayoutMode(settings_.LayoutMode);
  InstallThemeStyle(FillingScreen() ? design.numerator * 640.0 / (design.denominator * 1024.0)
                                    : 1.0);
  resize(ScreenSize());

  // Files a crashed run left in the temporary folder go first.
  RemoveStaleTempFiles();
  photoArchiveIndex_ = TArchiveIndex::Read(DataPath(content::kPhotoArchive));
  ReportArchive(*settings_.Messages, DataPath(content::kPhotoArchive), photoArchiveIndex_);
  enamelArchiveIndex_ = TArchiveIndex::Read(DataPath(content::kEnamelArchive));
  ReportArchive(*settings_.Messages, DataPath(content::kEnamelArchive), enamelArchiveIndex_);
  recordFile_ = std::make_unique<TiDbRecFile>();
  if (!recordFile_->Open(DataPath(content::kRecordFile)) &&
      recordFile_->OpenProblem().fault != ContentFault::None)
    settings_.Messages->Problem(ProblemText(recordFile_->OpenProblem()));
  recordFile_->SelectAll();

  unsetCursor();
  settings_.MainFormReady = true;
  return true;
}

void TMainForm::GoTo(SectionId section) {
  if (Routines().show) Routines().show(section);
}

void TMainForm::GoToIntroduction() { GoTo(SectionId::Introduction); }
void TMainForm::GoToProduction() { GoTo(SectionId::Production); }
void TMainForm::GoToCatalog() { GoTo(SectionId::Catalog); }
void TMainForm::GoToEnamelAndFabrics() { GoTo(SectionId::EnamelAndFabrics); }

void TMainForm::FormActivate() {
  for (SectionId section : kSectionOrder) {
    if (QWidget* form = ExistingSection(section)) {
      form->raise();
      return;
    }
  }
}

void TMainForm::FormMinimize() {
  if (settings_.KioskMinutes == 0) showMinimized();
}

void TMainForm::FormRestore() {
  ShowMainForm(*this);
  raise();
  activateWindow();
  for (SectionId section : kSectionOrder) {
    if (QWidget* form = ExistingSection(section)) form->raise();
  }
}

void TMainForm::RestoreInstance() {
  if (isMinimized()) FormRestore();
  raise();
  activateWindow();
}

void TMainForm::showEvent(QShowEvent* event) {
  QWidget::showEvent(event);
  if (shownOnce_) return;
  shownOnce_ = true;
  if (TIntroForm* chooser = IntroForm()) delete chooser;
  GoToIntroduction();
}

void TMainForm::changeEvent(QEvent* event) {
  if (event->type() == QEvent::ActivationChange && isActiveWindow()) FormActivate();
  QWidget::changeEvent(event);
}

void TMainForm::keyPressEvent(QKeyEvent* event) {
  if (IsAltF4(event)) {
    close();
    return;
  }
  QWidget::keyPressEvent(event);
}

bool TMainForm::eventFilter(QObject* watched, QEvent* event) {
  // Drop-down lists are windows of their own, and a closed list may keep the key for itself:
  // Alt+F4 is taken before any control of the form or any open list sees it.
  if (event->type() == QEvent::KeyPress && IsAltF4(static_cast<QKeyEvent*>(event))) {
    const auto* widget = qobject_cast<QWidget*>(watched);
    const QWidget* window = widget != nullptr ? widget->window() : nullptr;
    if (window != nullptr && (window == this || window->windowType() == Qt::Popup)) {
      close();
      return true;
    }
  }
  return QWidget::eventFilter(watched, event);
}

void TMainForm::StartKiosk(int idleMs) {
  // One key combination only: a later chord would make its first one end the program alone.
  QKeySequence exitKeys =
      QKeySequence::fromString(settings_.KioskExitKeys, QKeySequence::PortableText);
  if (exitKeys.count() != 1 || exitKeys[0].key() == Qt::Key_unknown) {
    if (!settings_.KioskExitKeys.isEmpty())
      std::fprintf(stderr, "orlaventis: the registry value %s=%s is no single key combination; no keys end kiosk mode\n",
                   kKioskExitKeysValue, qPrintable(settings_.KioskExitKeys));
    exitKeys = QKeySequence();
  }
  kiosk_ = std::make_unique<TKioskWatcher>(idleMs, exitKeys, [this] { ReturnToStart(); }, [this] { EndProgram(); });
}

void TMainForm::ReturnToStart() {
  if (!settings_.MainFormReady) return;
  // Help minimised the program in front of the browser: an unattended stand shows it again.
  if (isMinimized()) FormRestore();
  // A message box, the password prompt or the zoom window waits for a visitor who has gone: each
  // is answered as Escape answers it (the message read, the password refused), which ends its
  // own wait. Bounded, in case one will not close.
  for (int round = 0; round < 8; ++round) {
    auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr) break;
    dialog->reject();
  }
  // A few rounds: closing one drop-down list may leave the one it was opened from.
  for (int round = 0; round < 4; ++round) {
    if (QWidget* popup = QApplication::activePopupWidget()) popup->close();
  }
  if (TAboutBox* box = AboutBox()) box->close();
  if (Routines().reset) {
    Routines().reset();
  } else {
    GoToIntroduction();
  }
}

void TMainForm::EndProgram() {
  endRequested_ = true;
  close();
}

void TMainForm::closeEvent(QCloseEvent* event) {
  // Kiosk mode refuses Alt+F4 and the window manager's close: only EndProgram ends the program.
  if (settings_.KioskMinutes > 0 && !endRequested_) {
    event->ignore();
    return;
  }
  FormCloseQuery();
  event->accept();
}

void TMainForm::FormCloseQuery() {
  // A close request that arrives while the sequence runs finds MainFormReady false.
  if (!settings_.MainFormReady) return;
  settings_.MainFormReady = false;
  ++closeSequenceRuns_;
  for (SectionId section : kSectionOrder) {
    if (QWidget* form = ExistingSection(section)) form->close();
  }
  recordFile_.reset();
  photoArchiveIndex_.reset();
  enamelArchiveIndex_.reset();
  hide();
  QCoreApplication::processEvents();
  OpenAboutBox(settings_);
  QCoreApplication::processEvents();
  RunEventsFor(settings_.FarewellMs);
  if (TAboutBox* box = AboutBox()) box->close();
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
      case SingleInstance::ListenResult::Listening:
        return -1;
      case SingleInstance::ListenResult::Failed:
        std::fprintf(stderr, "orlaventis: the single-instance name cannot be taken; later starts will not find this one\n");
        return -1;
      case SingleInstance::ListenResult::HeldByAnother:
        break;
    }
    if (SendToRunningInstance(serverName, InstanceRequest::Restore)) return 0;
    if (clock.elapsed() >= kBusyInstanceWaitMs) {
      std::fprintf(stderr, "orlaventis: another Orlaventis is running but does not answer; not starting a second one\n");
      return kExitInstanceBusy;
    }
    QThread::msleep(100);
  }
}

}  // namespace

int RunProgram(const StartRequest& request) {
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
  if (const int handedOver = ClaimInstance(instance, serverName); handedOver >= 0) return handedOver;
  PlainHints hints;
  qApp->installEventFilter(&hints);
  bool closeRequested = false;
  QObject::connect(&instance, &SingleInstance::RestoreRequested, [] {
    if (TMainForm* form = MainForm()) {
      form->RestoreInstance();
    } else if (TIntroForm* chooser = IntroForm()) {
      chooser->raise();
      chooser->activateWindow();
    }
  });
  QObject::connect(&instance, &SingleInstance::CloseRequested, [&closeRequested] {
    closeRequested = true;
    if (TMainForm* form = MainForm()) {
      form->EndProgram();
    } else if (TIntroForm* chooser = IntroForm()) {
      chooser->close();
    }
  });

  if (settings.ChooseLanguage) {
    ShowIntroForm(settings);
    QCoreApplication::processEvents();
  }
  if (closeRequested) return 0;

  int exitCode = 0;
  {
    TMainForm form(settings);
    if (!form.FormCreate()) return kExitScreenTooSmall;
    if (settings.KioskMinutes > 0) form.StartKiosk(settings.KioskMinutes * 60 * 1000);
    ShowMainForm(form);
    exitCode = QApplication::exec();
  }
  return exitCode;
}

int RunTour(const StartRequest& request) {
  // Absolute before FormCreate makes the program folder the current directory.
  const QDir folder(QDir(request.tourFolder).absolutePath());
  TSettings settings = StartUp(request, std::make_shared<IniRegistry>(RegistryFiles()));
  settings.KioskMinutes = 0;  // the tour closes the program itself
  const auto recording = std::make_shared<TourMessages>();
  const TourMessages& messages = *recording;
  settings.Messages = recording;
  SetUnattended(true);
  if (!folder.mkpath(QStringLiteral("."))) return kExitTourNotWritten;
  bool written = true;
  auto save = [&](const QImage& picture, const char* name) {
    written = picture.save(folder.filePath(QString::fromLatin1(name))) && written;
  };

  {
    TIntroForm chooser(settings);
    chooser.show();
    Settle();
    save(chooser.grab().toImage(), "1-chooser.png");
    chooser.hide();
  }
  if (request.language == 0) settings.LanguageId = content::kDefaultLanguage;

  TMainForm form(settings);
  // The pictures are taken as soon as each form settles: transitions finish at once.
  SetInstantTransitions(&form, true);
  if (!form.FormCreate()) return kExitScreenTooSmall;
  ShowMainForm(form);
  Settle();
  const std::array<const char*, 4> names = {"2-introduction.png", "3-production.png",
                                             "4-catalog.png", "5-enamel-fabrics.png"};
  QWidget* previous = nullptr;
  for (size_t i = 0; i < kSectionOrder.size(); ++i) {
    form.GoTo(kSectionOrder[i]);
    QWidget* current = ExistingSection(kSectionOrder[i]);
    if (previous != nullptr && previous != current) previous->close();
    previous = current;
    Settle();
    if (i == 0) {
      // The first picture shows the keyboard's focus mark: a Down key, as a user would press
      // it, puts the focus on the section's own menu button.
      QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
      QWidget* focus = QApplication::focusWidget();
      if (focus != nullptr || current != nullptr) QCoreApplication::sendEvent(focus != nullptr ? focus : current, &down);
      Settle();
    }
    save(form.grab().toImage(), names[i]);
  }

  OpenAboutBox(settings);
  Settle();
  QImage composite = form.grab().toImage();
  if (TAboutBox* box = AboutBox()) {
    QPainter painter(&composite);
    // The painter works in the grab's device-independent pixels (twice fewer at ratio 2).
    const QSizeF room = composite.deviceIndependentSize();
    const QPoint at(int(room.width() - box->width()) / 2, int(room.height() - box->height()) / 2);
    painter.drawImage(at, box->grab().toImage());
    box->close();
  }
  save(composite, "6-about.png");
  if (Routines().search) {
    Routines().search(QStringLiteral("coupe"));
    Settle();
    save(form.grab().toImage(), "7-search.png");
  }

  // Leave without the farewell: the tour has shown the About box already.
  settings.MainFormReady = false;
  form.close();
  Settle();
  if (!written) return kExitTourNotWritten;
  if (messages.Failures().isEmpty()) return kExitOk;
  std::fprintf(stderr, "orlaventis: the tour met %d problem(s):\n", int(messages.Failures().size()));
  for (QString failure : messages.Failures())
    std::fprintf(stderr, "  %s\n", qPrintable(failure.replace(QLatin1Char('\n'), QLatin1String(": "))));
  return kExitDamagedContent;
}

}  // namespace orlaventis
