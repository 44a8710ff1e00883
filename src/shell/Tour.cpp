// The headless tour: every form rendered offscreen into pictures.
#include "shell/Tour.h"

#include "controls/Transitions.h"
#include "database/ContentContract.h"
#include "media/Messages.h"
#include "process/ProcessFacts.h"
#include "shell/AboutBox.h"
#include "shell/ExitCodes.h"
#include "shell/LanguageChooser.h"
#include "shell/MainForm.h"
#include "shell/Platform.h"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QPainter>

#include <array>
#include <cstdio>
#include <memory>

namespace orlaventis {
namespace {

// Lets pending events (painting, deferred deletes, queued loads) run a few times.
void Settle() {
  for (int i = 0; i < 5; ++i) {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
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

}  // namespace

int RunTour(const StartRequest& request, const SectionInstaller& installSections) {
  // Absolute before FormCreate makes the program folder the current directory.
  const QDir folder(QDir(request.tourFolder).absolutePath());
  TSettings settings = StartUp(request, std::make_shared<IniRegistry>(RegistryFiles()));
  settings.KioskMinutes = 0;  // the tour closes the program itself
  const auto recording = std::make_shared<TourMessages>();
  const TourMessages& messages = *recording;
  settings.Messages = recording;
  Process().unattended = true;
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
  installSections(form);
  form.ShowOnScreen();
  Settle();
  const std::array<const char*, 4> names = {"2-introduction.png", "3-production.png",
                                            "4-catalog.png", "5-enamel-fabrics.png"};
  QWidget* previous = nullptr;
  for (size_t i = 0; i < kSectionOrder.size(); ++i) {
    form.GoTo(kSectionOrder[i]);
    QWidget* current = form.ExistingSection(kSectionOrder[i]);
    if (previous != nullptr && previous != current) previous->close();
    previous = current;
    Settle();
    if (i == 0) {
      // The first picture shows the keyboard's focus mark: a Down key, as a user would press
      // it, puts the focus on the section's own menu button.
      QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
      QWidget* focus = QApplication::focusWidget();
      if (focus != nullptr || current != nullptr)
        QCoreApplication::sendEvent(focus != nullptr ? focus : current, &down);
      Settle();
    }
    save(form.grab().toImage(), names[i]);
  }

  form.OpenAboutBox();
  Settle();
  QImage composite = form.grab().toImage();
  if (TAboutBox* box = form.AboutBox) {
    QPainter painter(&composite);
    // The painter works in the grab's device-independent pixels (twice fewer at ratio 2).
    const QSizeF room = composite.deviceIndependentSize();
    const QPoint at(int(room.width() - box->width()) / 2, int(room.height() - box->height()) / 2);
    painter.drawImage(at, box->grab().toImage());
    box->close();
  }
  save(composite, "6-about.png");
  form.SearchFromFront(QStringLiteral("coupe"));
  Settle();
  save(form.grab().toImage(), "7-search.png");

  // Leave without the farewell: the tour has shown the About box already.
  settings.MainFormReady = false;
  form.close();
  Settle();
  if (!written) return kExitTourNotWritten;
  if (messages.Failures().isEmpty()) return kExitOk;
  std::fprintf(stderr, "orlaventis: the tour met %d problem(s):\n",
               int(messages.Failures().size()));
  for (QString failure : messages.Failures())
    std::fprintf(stderr, "  %s\n",
                 qPrintable(failure.replace(QLatin1Char('\n'), QLatin1String(": "))));
  return kExitDamagedContent;
}

}  // namespace orlaventis
