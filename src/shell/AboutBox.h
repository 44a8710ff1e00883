// The About box: the credits picture with the publisher's and the maker's hot spots.
#pragma once

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
  // Reads the language and the kiosk setting from `settings`, which outlives the box.
  explicit TAboutBox(const TSettings& settings, QWidget* parent = nullptr);
  ~TAboutBox() override;  // FormDestroy: clears the exists flag

  QFrame* BkPanel;
  TProportionalImage* AboutBoxImage;
  TBaseBtn* OstrandSBtn;
  TBaseBtn* TarnwickSBtn;
  // The credits' lines, translated with the box (tags 18303 to 18305).
  std::array<QLabel*, 3> Credits{};

  void OstrandSBtnClick();
  void TarnwickSBtnClick();

 protected:
  void showEvent(QShowEvent* event) override;    // FormShow
  void keyReleaseEvent(QKeyEvent* event) override;  // FormKeyUp
  void changeEvent(QEvent* event) override;      // FormDeactivate

 private:
  void OpenAndLeave(const QString& address);  // nothing when the address is empty

  const TSettings& settings_;
  QString publisherAddress_;
  QString makerAddress_;
};

// The About box while it exists (null otherwise).
TAboutBox* AboutBox();

// Shows the About box, not modally: creates it on first use (transient for the main form when
// one exists, with `settings`), else shows it again and brings it to the front.
void OpenAboutBox(const TSettings& settings);

}  // namespace orlaventis
