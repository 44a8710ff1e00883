// The About box: the credits picture with the publisher's and the maker's hot spots.
#include "shell/AboutBox.h"

#include "controls/Accessible.h"
#include "controls/BaseButton.h"
#include "controls/Cursors.h"
#include "controls/Drawing.h"
#include "controls/Palette.h"
#include "controls/PlainText.h"
#include "controls/ProportionalImage.h"
#include "controls/Resources.h"
#include "database/ContentContract.h"
#include "media/PictureDecoder.h"
#include "shell/Layout.h"
#include "shell/MainForm.h"
#include "shell/Platform.h"
#include "shell/Translation.h"

#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QScreen>

namespace orlaventis {
namespace {

constexpr int kClientSide = 329;

// Screen readers see the box as the dialog it is.
QAccessibleInterface* AccessibleAboutBox(const QString&, QObject* object) {
  auto* box = qobject_cast<TAboutBox*>(object);
  return box != nullptr ? NewAccessibleContainer(box, QAccessible::Dialog) : nullptr;
}

// The credits written over the picture, one language row each: design text and row.
constexpr std::pair<const char*, int> kCredits[] = {
    {"Teksten en foto's: de Orlaventis-club", 18303},
    {"Programmatie: Tarnwick Software", 18304},
    {"Uitgever: Ostrand Media", 18305},
};

QFont Arial(double pointSize, bool bold = false) {
  QFont font(QStringLiteral("Arial"));
  font.setPointSizeF(pointSize);
  font.setBold(bold);
  return font;
}

// `box` at the box's scale.
QRect Sized(QRect box, double scale) {
  return QRect(qRound(box.x() * scale), qRound(box.y() * scale), qRound(box.width() * scale),
               qRound(box.height() * scale));
}

// A hot spot: a button that draws no face, only its hint and the hand cursor.
TBaseBtn* HotSpot(QWidget* parent, const QString& name, int tag, QRect box, const QString& hint) {
  auto* button = new TBaseBtn(parent);
  button->setObjectName(name);
  SetTag(button, tag);
  button->setGeometry(box);
  button->SetFaceVisible(false);
  button->SetPen(QPen(Qt::NoPen));
  button->SetShadowColor(QColor(Qt::gray));
  button->setToolTip(hint);
  SetControlCursor(button, kCursorHand);
  return button;
}

}  // namespace

TAboutBox::TAboutBox(TMainForm& main)
    : QWidget(&main, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      main_(main),
      settings_(main.Settings()) {
  static const bool accessible = (QAccessible::installFactory(&AccessibleAboutBox), true);
  (void)accessible;
  setObjectName(QStringLiteral("AboutBox"));
  setWindowTitle(QStringLiteral("Orlaventis"));
  // A filled screen enlarges the box with the forms.
  const double scale = FillScale(settings_.Layout());
  const int side = qRound(kClientSide * scale);
  setFixedSize(side, side);
  setFont(Arial(8 * scale));
  SetControlCursor(this, kCursorHandNoFingers);
  InitResources();

  BkPanel = new QFrame(this);
  BkPanel->setObjectName(QStringLiteral("BkPanel"));
  BkPanel->setGeometry(0, 0, side, side);
  BkPanel->setAutoFillBackground(true);
  QPalette black = BkPanel->palette();
  black.setColor(QPalette::Window, Qt::black);
  BkPanel->setPalette(black);

  AboutBoxImage = new TProportionalImage(BkPanel);
  AboutBoxImage->setObjectName(QStringLiteral("AboutBoxImage"));
  AboutBoxImage->setProperty(kNameTagProperty, 18302);  // the picture's name for screen readers
  AboutBoxImage->setGeometry(Sized(QRect(2, 2, 325, 325), scale));
  AboutBoxImage->Background().SetBrush(QColor(140, 177, 156));
  AboutBoxImage->Background().SetPen(QPen(Qt::white));
  AboutBoxImage->Background().SetImageDrawStyle(TImageDrawStyle::idsCenter);
  AboutBoxImage->SetEffects(false);
  AboutBoxImage->SetSx(100);
  AboutBoxImage->SetSy(100);
  AboutBoxImage->SetFont(TFont{Arial(15 * scale, true), Qt::white});
  const int depth = DisplayDepth();
  QImage picture = LoadResourceBitmap(QStringLiteral(":/forms/AboutBoxImage.png"), scale);
  if (depth < 24) {
    const QImage variant =
        LoadResourceBitmap(depth == 8 ? QStringLiteral("About256") : QStringLiteral("About"));
    if (!variant.isNull()) picture = variant;
  }
  AboutBoxImage->SetImage(picture);

  // The credits in the reader's language, written over the picture left of the marks.
  QFont creditFont(QStringLiteral("Arial"));
  creditFont.setPixelSize(qRound(11 * scale));
  for (size_t i = 0; i < std::size(kCredits); ++i) {
    QLabel* line = NewPlainLabel(QString::fromUtf8(kCredits[i].first), BkPanel);
    line->setObjectName(QStringLiteral("Credit%1").arg(i + 1));
    SetTag(line, kCredits[i].second);
    line->setFont(creditFont);
    line->setGeometry(Sized(QRect(12, 180 + 17 * int(i), 199, 16), scale));
    QPalette ink = line->palette();
    ink.setColor(QPalette::WindowText, QColor(20, 46, 36));
    line->setPalette(ink);
    line->setAttribute(Qt::WA_TransparentForMouseEvents);
    Credits[i] = line;
  }

  // Hot spots lie over the picture's two marks (picture coordinates + the panel's border).
  OstrandSBtn = HotSpot(BkPanel, QStringLiteral("OstrandSBtn"), 18300,
                        Sized(QRect(211, 207, 78, 95), scale),
                        QStringLiteral("Bezoek de website van de uitgever"));
  TarnwickSBtn = HotSpot(BkPanel, QStringLiteral("TarnwickSBtn"), 18301,
                         Sized(QRect(40, 267, 130, 40), scale),
                         QStringLiteral("Bezoek de website van de maker"));
  OstrandSBtn->OnClick = [this](QObject*) { OstrandSBtnClick(); };
  TarnwickSBtn->OnClick = [this](QObject*) { TarnwickSBtnClick(); };
  // A kiosk opens no browser, and a site the content names no address for cannot be opened:
  // such a hot spot neither invites a click nor answers one.
  const auto registered = [this](const char* value) {
    return settings_.ProgramRegistry
        ->ReadString(QString::fromLatin1(kProgramKey), QString::fromLatin1(value))
        .trimmed();
  };
  publisherAddress_ = registered(kPublisherAddressValue);
  makerAddress_ = registered(kMakerAddressValue);
  OstrandSBtn->setVisible(settings_.KioskMinutes == 0 && !publisherAddress_.isEmpty());
  TarnwickSBtn->setVisible(settings_.KioskMinutes == 0 && !makerAddress_.isEmpty());

  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->geometry().center() - rect().center());
  }
}

TAboutBox::~TAboutBox() = default;

void TAboutBox::showEvent(QShowEvent* event) {
  TranslateForm(this, content::kFormsPrefix, settings_);
  QWidget::showEvent(event);
}

void TAboutBox::keyReleaseEvent(QKeyEvent* event) {
  const bool enterOrEscape = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter ||
                             event->key() == Qt::Key_Escape;
  const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
  if (enterOrEscape && modifiers == Qt::NoModifier) {
    close();
    return;
  }
  QWidget::keyReleaseEvent(event);
}

void TAboutBox::changeEvent(QEvent* event) {
  if (event->type() == QEvent::ActivationChange && isVisible() && !isActiveWindow()) close();
  QWidget::changeEvent(event);
}

void TAboutBox::closeEvent(QCloseEvent* event) {
  QWidget::closeEvent(event);
  if (isActiveWindow() && main_.isVisible()) main_.activateWindow();
}

void TAboutBox::OpenAndLeave(const QString& address) {
  if (address.isEmpty()) return;
  close();
  main_.OpenInBrowser(address);
}

void TAboutBox::OstrandSBtnClick() { OpenAndLeave(publisherAddress_); }

void TAboutBox::TarnwickSBtnClick() { OpenAndLeave(makerAddress_); }

}  // namespace orlaventis
