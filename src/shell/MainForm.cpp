// The main form: the shared objects, layout mode, navigation and the close sequence.
#include "shell/MainForm.h"

#include "controls/Accessible.h"
#include "controls/Palette.h"
#include "controls/ThemeStyle.h"
#include "database/ContentContract.h"
#include "database/RecordFile.h"
#include "media/Messages.h"
#include "media/PictureDecoder.h"
#include "media/TempFolder.h"
#include "process/ProcessFacts.h"
#include "shell/AboutBox.h"
#include "shell/KioskWatcher.h"
#include "shell/Platform.h"
#include "shell/Translation.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QKeyEvent>
#include <QScreen>
#include <QThread>
#include <QUrl>
#include <QUrlQuery>

#include <cstdio>

namespace orlaventis {
namespace {

// Lets pending events run for about `ms` milliseconds (at least once), without user input.
void RunEventsFor(int ms) {
  QElapsedTimer clock;
  clock.start();
  do {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 20);
    if (clock.elapsed() < ms) QThread::msleep(5);
  } while (clock.elapsed() < ms);
}

// Reports an archive that is there but gives no index (a missing one is no damage).
void ReportArchive(UserMessages& messages, const QString& path,
                   const std::optional<TArchiveIndex>& index) {
  if (!index) {
    if (QFileInfo::exists(path))
      messages.Problem(AboutFile(QStringLiteral("The file is not a regular file"), path));
  } else if (index->Count() == 0) {
    messages.Problem(AboutFile(QStringLiteral("The archive index is damaged"), path));
  }
}

}  // namespace

QString HelpAddress(const TSettings& settings) {
  const QString registered =
      settings.ProgramRegistry
          ->ReadString(QString::fromLatin1(kProgramKey), QString::fromLatin1(kHelpAddressValue))
          .trimmed();
  QUrl url = registered.isEmpty() ? QUrl::fromLocalFile(settings.DataPath(content::kHelpPage))
                                  : QUrl(registered);
  QUrlQuery query(url);
  query.removeAllQueryItems(QStringLiteral("lang"));
  query.addQueryItem(QStringLiteral("lang"), QString::number(settings.LanguageId));
  url.setQuery(query);
  return url.toString();
}

QSize ScreenSize() {
  if (const QSize pretended = Process().screenSizeOverride; !pretended.isEmpty()) return pretended;
  if (const QScreen* screen = QGuiApplication::primaryScreen()) return screen->size();
  return QSize(640, 480);
}

bool TMainForm::OpenInBrowser(const QString& address) {
  const TSettings& settings = settings_;
  if (settings.KioskMinutes > 0) return false;
  QString browser;
  if (!OpenWebAddress(*settings.ProgramRegistry, address, &browser)) {
    const QString text =
        browser.isEmpty()
            ? LookupText(
                  settings, 511, QStringLiteral("MainForm"),
                  QStringLiteral(
                      "No web browser could be started: the desktop has no default browser."))
            : LookupText(settings, 510, QStringLiteral("MainForm"),
                         QStringLiteral("The web browser could not be started:")) +
                  QLatin1Char('\n') + browser;
    settings.Messages->Error(AboutFile(text, address));
    return false;
  }
  FormMinimize();
  return true;
}

// Screen readers see the main form as the program's window (a frame) holding the sections.
QAccessibleInterface* AccessibleMainForm(const QString&, QObject* object) {
  auto* main = qobject_cast<TMainForm*>(object);
  return main != nullptr ? NewAccessibleContainer(main, QAccessible::Window) : nullptr;
}

bool IsAltF4(const QKeyEvent* event) {
  return event->key() == Qt::Key_F4 && event->modifiers() == Qt::AltModifier;
}

TMainForm::TMainForm(TSettings& settings)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint),
      settings_(settings),
      anImage_(new TPMultiImage(this)) {
  static const bool accessible = (QAccessible::installFactory(&AccessibleMainForm), true);
  (void)accessible;
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
  qApp->installEventFilter(this);
}

TMainForm::~TMainForm() {
  if (QCoreApplication* app = QCoreApplication::instance()) app->removeEventFilter(this);
  // The sections, the search and the About box go while this is still the main form they were
  // made for.
  sections_.reset();
  qDeleteAll(findChildren<QWidget*>(Qt::FindDirectChildrenOnly));
  if (tempFolder_) tempFolder_->Remove();
  settings_.MainFormReady = false;
}

bool TMainForm::FormCreate() {
  settings_.LanguageFilePath = settings_.DataPath(content::kLanguageFile);
  // The caption exactly as given: no application display name is set, which the platform would
  // append to every window's caption.
  setWindowTitle(QStringLiteral("Orlaventis 1.0 release 4"));
  QDir::setCurrent(settings_.ProgramFolder);
  // Chosen before the screen is measured: when it is too small, the destructor still clears
  // what a crashed run left.
  tempFolder_ = std::make_unique<TTempFolder>(settings_.ProgramFolder, settings_.TempFolder);

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
  settings_.FillScreenSize = settings_.FillScreen && settings_.ScaleToScreen ? ScreenSize()
                                                                             : QSize();
  // Scroll bars and drop-down buttons keep their size at the design layouts (up to 1024 x 768)
  // and grow with a filled screen beyond it.
  const LayoutDesign design = DesignForLayoutMode(settings_.Layout());
  InstallThemeStyle(settings_.Layout().Filling()
                        ? design.numerator * 640.0 / (design.denominator * 1024.0)
                        : 1.0);
  resize(ScreenSize());

  // Files a crashed run left in the temporary folder go first.
  tempFolder_->RemoveStaleFiles();
  const QString photos = settings_.DataPath(content::kPhotoArchive);
  photoArchiveIndex_ = TArchiveIndex::Read(photos);
  ReportArchive(*settings_.Messages, photos, photoArchiveIndex_);
  const QString enamel = settings_.DataPath(content::kEnamelArchive);
  enamelArchiveIndex_ = TArchiveIndex::Read(enamel);
  ReportArchive(*settings_.Messages, enamel, enamelArchiveIndex_);
  recordFile_ = std::make_unique<TiDbRecFile>();
  if (!recordFile_->Open(settings_.DataPath(content::kRecordFile)) &&
      recordFile_->OpenProblem().fault != ContentFault::None)
    settings_.Messages->Problem(ProblemText(recordFile_->OpenProblem()));
  recordFile_->SelectAll();

  unsetCursor();
  settings_.MainFormReady = true;
  return true;
}

void TMainForm::GoTo(SectionId section) {
  if (sections_) sections_->Show(section);
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
  ShowOnScreen();
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
      std::fprintf(stderr,
                   "orlaventis: the registry value %s=%s is no single key combination; no keys end "
                   "kiosk mode\n",
                   kKioskExitKeysValue, qPrintable(settings_.KioskExitKeys));
    exitKeys = QKeySequence();
  }
  kiosk_ = std::make_unique<TKioskWatcher>(
      idleMs, exitKeys, [this] { ReturnToStart(); }, [this] { EndProgram(); });
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
  if (AboutBox) AboutBox->close();
  if (sections_) {
    sections_->Reset();
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
  OpenAboutBox();
  QCoreApplication::processEvents();
  RunEventsFor(settings_.FarewellMs);
  if (AboutBox) AboutBox->close();
}

void TMainForm::SetSections(std::unique_ptr<SectionForms> sections) {
  sections_ = std::move(sections);
}

QWidget* TMainForm::ExistingSection(SectionId section) const {
  return sections_ ? sections_->Existing(section) : nullptr;
}

void TMainForm::SearchFromFront(const QString& text) {
  if (sections_) sections_->Search(text);
}

void TMainForm::OpenAboutBox() {
  if (!AboutBox) AboutBox = new TAboutBox(*this);
  AboutBox->move(geometry().center() - AboutBox->rect().center());
  AboutBox->show();
  AboutBox->raise();
  AboutBox->activateWindow();
}

void TMainForm::ShowOnScreen() {
  if (const QSize pretended = Process().screenSizeOverride; !pretended.isEmpty()) {
    setGeometry(QRect(QPoint(0, 0), pretended));
    showNormal();  // also ends a minimised state, as showFullScreen does
  } else {
    showFullScreen();
  }
}

}  // namespace orlaventis
