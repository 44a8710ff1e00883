// The main form: the shared objects, layout mode, navigation and the close sequence.
#pragma once

#include "media/ArchiveIndex.h"
#include "shell/Layout.h"
#include "shell/Settings.h"

#include <QPointer>
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
class TTempFolder;

// The four content sections, in the order the main form visits them.
enum class SectionId { Introduction, Production, Catalog, EnamelAndFabrics };
inline constexpr std::array<SectionId, 4> kSectionOrder = {
    SectionId::Introduction, SectionId::Production, SectionId::Catalog,
    SectionId::EnamelAndFabrics};

class TAboutBox;
class TMainForm;

// The content sections as the main form drives them. The sections library implements them (the
// shell never links it) and hands them to the main form, which owns them (SetSections).
class SectionForms {
 public:
  virtual ~SectionForms() = default;
  // The section's show routine: creates the form on the first visit, else shows it again.
  virtual void Show(SectionId section) = 0;
  // The section's form when it exists and is built, else null.
  virtual QWidget* Existing(SectionId section) const = 0;
  // Returns every section to its first state and shows the Introduction alone (kiosk mode).
  virtual void Reset() = 0;
  // Opens the search over the section in front with the text typed (the tour's last picture).
  virtual void Search(const QString& text) = 0;
};

// Gives a new main form its sections (the program and the tour call it right after building the
// form; the sections library provides it).
using SectionInstaller = std::function<void(TMainForm& main)>;

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
// The help page with the settings' language as its "lang" parameter (replacing one the address
// may already carry): the registered help address when one is set, else the content's own
// "help/index.html" as a file address.
QString HelpAddress(const TSettings& settings);

// The screen size the program lays itself out for: the process's override when one is set (the
// --screen option, tests), else the primary screen's size (640 x 480 without a screen).
QSize ScreenSize();

// The black, borderless, full-screen form underneath the sections. It owns the objects every
// section shares for the whole run, the sections themselves and the About box.
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
  // The temporary folder archive pictures are unpacked into; null before FormCreate.
  TTempFolder* TempFolder() { return tempFolder_.get(); }
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

  // Opens `address` in the web browser and minimises this form in front of it; true when a
  // browser started. When none starts, a message names the browser and the address and the
  // program stays where it is. In kiosk mode it does nothing and returns false: a visitor is
  // never handed another program or the desktop.
  bool OpenInBrowser(const QString& address);
  // Shows the form over the whole screen (the pretended one when the process has a size).
  void ShowOnScreen();
  // The section's form when it exists and is built, else null.
  QWidget* ExistingSection(SectionId section) const;
  // Opens the search over the section in front with `text` typed (the headless tour).
  void SearchFromFront(const QString& text);

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

  // Takes the sections this form shows and owns them from now on (a second call replaces them).
  void SetSections(std::unique_ptr<SectionForms> sections);
  // The sections this form shows; null before SetSections.
  SectionForms* Sections() const { return sections_.get(); }
  // Shows the About box, not modally: creates it on first use (transient for this form), else
  // shows it again and brings it to the front.
  void OpenAboutBox();
  // The About box once made (a window of this form: closing hides it for reuse; it goes with
  // the form, or sooner when a test deletes it).
  QPointer<TAboutBox> AboutBox;

 protected:
  void showEvent(QShowEvent* event) override;                  // FormShow
  void closeEvent(QCloseEvent* event) override;                // FormCloseQuery
  void keyPressEvent(QKeyEvent* event) override;               // FormKeyDown
  bool eventFilter(QObject* watched, QEvent* event) override;  // Alt+F4 in every control
  void changeEvent(QEvent* event) override;                    // activation, minimise, restore

 private:
  void FormCloseQuery();

  TSettings& settings_;
  TPMultiImage* anImage_;                    // child QObject
  std::unique_ptr<TTempFolder> tempFolder_;  // FormCreate chooses it; the destructor removes it
  std::unique_ptr<TiDbRecFile> recordFile_;
  std::optional<TArchiveIndex> photoArchiveIndex_;
  std::optional<TArchiveIndex> enamelArchiveIndex_;
  bool shownOnce_ = false;
  bool endRequested_ = false;
  std::unique_ptr<TKioskWatcher> kiosk_;  // while kiosk mode runs
  int closeSequenceRuns_ = 0;
  std::unique_ptr<SectionForms> sections_;
};

// True when the key press is Alt+F4 with Alt as the only modifier.
bool IsAltF4(const QKeyEvent* event);

}  // namespace orlaventis
