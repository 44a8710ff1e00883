// The About box: the credits picture with the publisher's and the maker's hot spots.
#pragma once

#include "shell/MainForm.h"
#include "shell/Settings.h"

#include <QWidget>

#include <array>

class QFrame;
class QLabel;

namespace orlaventis {

class TBaseBtn;
class TProportionalImage;

// 329 x 329 (larger by FillScale on a filled screen), borderless, always on top, centred;
// translated on every show; Enter or Escape without modifiers, or a click elsewhere
// (deactivation), hides it for reuse. The hot spots open the registered PublisherAddress and
// MakerAddress (the settings' ProgramRegistry, kProgramKey), read when the box is made; one
// whose address is unset, and both in kiosk mode, are hidden.
class TAboutBox final : public QWidget {
  Q_OBJECT

 public:
  // Below 24 bits per pixel (DisplayDepth) the picture comes from the resource "About", or
  // "About256" at exactly 8.
  // A window of `main` (transient for it); reads the language and the kiosk setting from its
  // settings, and opens the hot spots' addresses through it.
  explicit TAboutBox(TMainForm& main);
  ~TAboutBox() override;

  QFrame* BkPanel;
  TProportionalImage* AboutBoxImage;
  TBaseBtn* OstrandSBtn;
  TBaseBtn* TarnwickSBtn;
  // The credits' lines, translated with the box (tags 18303 to 18305).
  std::array<QLabel*, 3> Credits{};

  void OstrandSBtnClick();
  void TarnwickSBtnClick();

 protected:
  void showEvent(QShowEvent* event) override;       // FormShow
  void keyReleaseEvent(QKeyEvent* event) override;  // FormKeyUp
  void changeEvent(QEvent* event) override;         // FormDeactivate
  // Closed while it had the keyboard, it hands it back to the main form: without a window
  // manager nothing else would, and no window would take keys.
  void closeEvent(QCloseEvent* event) override;

 private:
  void OpenAndLeave(const QString& address);  // nothing when the address is empty

  TMainForm& main_;
  const TSettings& settings_;
  QString publisherAddress_;
  QString makerAddress_;
};

}  // namespace orlaventis
