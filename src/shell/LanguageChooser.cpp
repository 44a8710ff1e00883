// The language chooser shown before the main form: sets the settings' LanguageId.
#include "shell/LanguageChooser.h"

#include "controls/BackgroundControl.h"
#include "controls/Cursors.h"
#include "controls/Palette.h"
#include "controls/PlainText.h"
#include "controls/Resources.h"
#include "database/ContentContract.h"
#include "media/PictureDecoder.h"
#include "shell/Translation.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCoreApplication>
#include <QFrame>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPointer>
#include <QScreen>

#include <algorithm>

namespace orlaventis {
namespace {

constexpr int kSide = 282;

QFont Arial8() {
  QFont font(QStringLiteral("Arial"));
  font.setPointSize(8);
  return font;
}

}  // namespace

TIntroForm::TIntroForm(TSettings& settings, QWidget* parent)
    : QDialog(parent, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Dialog),
      settings_(settings) {
  setObjectName(QStringLiteral("IntroForm"));
  setFixedSize(kSide, kSide);
  setFont(Arial8());
  setAutoFillBackground(true);
  QPalette white = palette();
  white.setColor(QPalette::Window, Qt::white);
  setPalette(white);
  SetControlCursor(this, kCursorHandNoFingers);
  InitResources();

  BackgroundPnl = new QFrame(this);
  BackgroundPnl->setObjectName(QStringLiteral("BackgroundPnl"));
  BackgroundPnl->setFrameShape(QFrame::NoFrame);
  BackgroundPnl->setGeometry(0, 0, kSide, kSide);

  IntroFormImg = new TBkControl(BackgroundPnl);
  IntroFormImg->setObjectName(QStringLiteral("IntroFormImg"));
  IntroFormImg->setGeometry(0, 0, kSide, kSide);
  IntroFormImg->Background().SetBrush(Qt::NoBrush);
  IntroFormImg->Background().SetPen(QPen(Qt::white));
  IntroFormImg->Background().SetImageDrawStyle(TImageDrawStyle::idsCenter);
  const int depth = DisplayDepth();
  QImage picture = LoadResourceBitmap(QStringLiteral(":/forms/IntroFormImg.png"));
  if (depth < 24) {
    const QImage variant =
        LoadResourceBitmap(depth == 8 ? QStringLiteral("Intro256") : QStringLiteral("Intro"));
    if (!variant.isNull()) picture = variant;
  }
  IntroFormImg->Background().SetImage(picture);

  Text = NewPlainLabel(QStringLiteral("Choose your language"), BackgroundPnl);
  Text->setObjectName(QStringLiteral("Text"));
  Text->setAttribute(Qt::WA_TranslucentBackground);
  Text->move(30, 253);
  Text->adjustSize();

  LingoLst = new QComboBox(BackgroundPnl);
  LingoLst->setObjectName(QStringLiteral("LingoLst"));
  LingoLst->setGeometry(150, 250, 120, LingoLst->sizeHint().height());
  LingoLst->addItems({QStringLiteral("Dutch / Nederlands"), QStringLiteral("French / Francaise"),
                      QStringLiteral("English")});
  LingoLst->setCurrentIndex(-1);
  QPalette black = LingoLst->palette();
  black.setColor(QPalette::Text, Qt::black);
  black.setColor(QPalette::ButtonText, Qt::black);
  LingoLst->setPalette(black);
  // Screen readers name the chooser and its list by the text beside the list.
  Text->setBuddy(LingoLst);
  setAccessibleName(Text->text());
  connect(LingoLst, &QComboBox::activated, this, &TIntroForm::LingoLstChange);
  LingoLst->installEventFilter(this);

  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    move(screen->geometry().center() - rect().center());
  }
}

TIntroForm::~TIntroForm() = default;

void TIntroForm::LingoLstChange(int index) {
  switch (index) {
    case 1: settings_.LanguageId = content::kLanguages[1]; break;
    case 2: settings_.LanguageId = content::kLanguages[2]; break;
    default: settings_.LanguageId = content::kLanguages[0]; break;
  }
  close();
}

bool TIntroForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched != LingoLst || event->type() != QEvent::KeyPress || LingoLst->view()->isVisible())
    return QDialog::eventFilter(watched, event);
  const auto* key = static_cast<QKeyEvent*>(event);
  if ((key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
    return QDialog::eventFilter(watched, event);
  switch (key->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down: {
      // The list itself would choose (and close the chooser) at the first arrow.
      const int step = key->key() == Qt::Key_Down ? 1 : -1;
      const int current = LingoLst->currentIndex();
      LingoLst->setCurrentIndex(
          std::clamp(current < 0 ? 0 : current + step, 0, LingoLst->count() - 1));
      return true;
    }
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (LingoLst->currentIndex() >= 0) LingoLstChange(LingoLst->currentIndex());
      return true;
    default: return QDialog::eventFilter(watched, event);
  }
}

}  // namespace orlaventis
