// The entry routine and the main form: shared objects, layout mode, navigation, close sequence.
#pragma once

#include "media/ArchiveIndex.h"
#include "shell/Layout.h"
#include "shell/Settings.h"

#include <QSize>
#include <QString>
#include <QStringList>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <optional>

namespace orlaventis {

class TKioskWatcher;
class TiDbRecFile;
class TPMultiImage;

// The four content sections, in the order the main form visits them.
enum class SectionId { Introduction, Production, Catalog, EnamelAndFabrics };
inline constexpr std::array<SectionId, 4> kSectionOrder = {
    SectionId::Introduction, SectionId::Production, SectionId::Catalog, SectionId::EnamelAndFabrics};

// What the sections library provides to the main form (the shell never links the sections; the
// program installs these once before the main form is created).
struct SectionRoutines {
  // The section's show routine: creates the form on the first visit, else shows it again.
  std::function<void(SectionId)> show;
  // The section's form when it exists (created and not destroyed), else null.
  std::function<QWidget*(SectionId)> existing;
  // Returns every section to its first state and shows the Introduction alone (kiosk mode).
  std::function<void()> reset;
  // Opens the search over the section in front with the text typed (the tour's last picture).
  std::function<void(const QString&)> search;
};
void InstallSectionRoutines(SectionRoutines routines);

// Where a publisher sets the content's own web addresses: a registry key and its values (the
// help page; the publisher's and the maker's sites, which the About box's hot spots open).
inline constexpr char kProgramKey[] = "HKEY_LOCAL_MACHINE\\Software\\Orlaventis";
inline constexpr char kHelpAddressValue[] = "HelpAddress";
inline constexpr char kPublisherAddressValue[] = "PublisherAddress";
inline constexpr char kMakerAddressValue[] = "MakerAddress";
inline constexpr char kFillScreenValue[] = "FillScreen";
// The registry values of kiosk mode's minutes and exit keys (TSettings).
inline constexpr char kKioskValue[] = "Kiosk";
inline constexpr int kMaxKioskMinutes = 1440;
inline constexpr char kKioskExitKeysValue[] = "KioskExitKeys";
// Minutes of kiosk mode from a text: a whole number from 1 to kMaxKioskMinutes, else 0 (off).
int KioskMinutesFromText(const QString& text);
// The help page with the settings' language as its "lang" parameter (replacing one the address
// may already carry): the registered help address when one is set, else the content's own
// "help/index.html" as a file address.
QString HelpAddress(const TSettings& settings);
// Opens `address` in the web browser and minimises the main form in front of it; true when a
// browser started. When none starts, a message names the browser and the address and the
// program stays where it is. In kiosk mode it does nothing and returns false: a visitor is never
// handed another program or the desktop.
bool OpenInBrowser(const QString& address, const TSettings& settings);

// The screen size the program lays itself out for: the override when one is set (the --screen
// option, tests), else the primary screen's size (640 x 480 without a screen).
QSize ScreenSize();
void SetScreenSizeOverride(QSize size);  // an empty size removes the override

// The black, borderless, full-screen form underneath the sections. It owns the objects every
// section shares for the whole run. One exists at a time (MainForm).
class TMainForm final : public QWidget {
  Q_OBJECT

 public:
  // `settings` outlives the form; the form and its sections read and update it.
  explicit TMainForm(TSettings& settings);
  ~TMainForm() override;  // FormDestroy: empties and removes the temporary folder

  // Fills the shared objects and sizes the form. Returns false, doing nothing else, when the
  // screen is smaller than 640 x 480 in its limiting direction (the program ends with exit
  // code 1).
  bool FormCreate();

  // The run's settings, lent by the program.
  TSettings& Settings() { return settings_; }
  const TSettings& Settings() const { return settings_; }
  // The hidden picture decoder every section loads pictures through.
  TPMultiImage& anImage() { return *anImage_; }
  // The page texts; null after the close sequence released it.
  TiDbRecFile* RecordFile() { return recordFile_.get(); }
  // Archive indexes; nullopt when the archive is missing (or after the close sequence).
  const std::optional<TArchiveIndex>& PhotoArchiveIndex() const { return photoArchiveIndex_; }
  const std::optional<TArchiveIndex>& EnamelArchiveIndex() const { return enamelArchiveIndex_; }

  void GoToIntroduction();
  void GoToProduction();
  void GoToCatalog();
  void GoToEnamelAndFabrics();
  void GoTo(SectionId section);

  // FormActivate: brings the first section form that exists to the front.
  void FormActivate();
  // The application's minimise and restore handlers. In kiosk mode the program never minimises.
  void FormMinimize();
  void FormRestore();
  // A later start asked for the program: restore it when minimised, bring it to the front.
  void RestoreInstance();

  // Kiosk mode: starts watching the input; after `idleMs` milliseconds without any the program
  // returns to its start (ReturnToStart), and the settings' KioskExitKeys end it (EndProgram).
  // The watcher lives as long as the form; a second call replaces it.
  void StartKiosk(int idleMs);
  // Closes the drop-down lists and the About box, returns every section to its first state and
  // shows the Introduction. Does nothing once the close sequence started.
  void ReturnToStart();
  // Closes the program, in kiosk mode too (where other close requests are refused).
  void EndProgram();

  // How often the close sequence ran (0 or 1; tests).
  int CloseSequenceRuns() const { return closeSequenceRuns_; }

 protected:
  void showEvent(QShowEvent* event) override;      // FormShow
  void closeEvent(QCloseEvent* event) override;    // FormCloseQuery
  void keyPressEvent(QKeyEvent* event) override;   // FormKeyDown
  bool eventFilter(QObject* watched, QEvent* event) override;  // Alt+F4 in every control
  void changeEvent(QEvent* event) override;        // activation, minimise, restore

 private:
  void FormCloseQuery();

  TSettings& settings_;
  TPMultiImage* anImage_;  // child QObject
  std::unique_ptr<TiDbRecFile> recordFile_;
  std::optional<TArchiveIndex> photoArchiveIndex_;
  std::optional<TArchiveIndex> enamelArchiveIndex_;
  bool shownOnce_ = false;
  bool endRequested_ = false;
  std::unique_ptr<TKioskWatcher> kiosk_;  // while kiosk mode runs
  int closeSequenceRuns_ = 0;
};

// The one main form while it exists (null before and after).
TMainForm* MainForm();

// True when the key press is Alt+F4 with Alt as the only modifier.
bool IsAltF4(const QKeyEvent* event);

// Everything the command line can ask for.
struct StartRequest {
  bool uninstall = false;  // the first argument is "uninstall", in any letter case
  QString dataFolder;      // --data
  int depth = 0;           // --depth; 0: the display's
  QSize screen;            // --screen; empty: the display's
  int language = 0;        // --language 31, 33 or 44; 0: ask with the chooser
  QString tourFolder;      // --tour
  bool fillScreen = false; // --fill-screen, or the registry's FillScreen value set to 1
  int kioskMinutes = 0;    // --kiosk; 0: the registry's Kiosk value (off without one)
};

// Start-up shared by the program and the tour: the display palettes, the program folder and
// the screen overrides, then the settings the command line and `registry` ask for (the settings
// keep `registry` as their ProgramRegistry).
TSettings StartUp(const StartRequest& request, std::shared_ptr<const Registry> registry);

// The entry routine: one program per user, uninstall, chooser, main form, message loop. Needs a
// QApplication. Returns the exit code (ExitCodes.h): kExitOk, kExitScreenTooSmall, or
// kExitInstanceBusy when another program holds the name but does not answer.
int RunProgram(const StartRequest& request);

// Renders the chooser, the four sections, the About box and the search (the results for "coupe"
// over the last section) offscreen into 1-chooser.png ... 7-search.png in `folder`; the first
// section shows the keyboard focus mark on its own menu button. No box or prompt waits for an answer: messages go to stderr and the
// password prompt counts as cancelled. Returns the exit code (ExitCodes.h): kExitOk,
// kExitScreenTooSmall, kExitTourNotWritten when a picture cannot be written, kExitDamagedContent
// when any message was given; then the messages are listed again on stderr, one a line.
int RunTour(const StartRequest& request);

}  // namespace orlaventis
