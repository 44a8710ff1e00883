// TIntroductionForm: the Introduction section, with its title, introduction text and slides.
#include "sections/IntroductionForm.h"

#include "controls/ProportionalImage.h"
#include "database/ContentContract.h"
#include "sections/SlideCycle.h"
#include "shell/Translation.h"

#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTimer>

namespace orlaventis {

TIntroductionForm::TIntroductionForm(TSectionSet& sections)
    : TSectionForm(SectionId::Introduction, sections) {
  setObjectName(QStringLiteral("IntroductionForm"));
}

void TIntroductionForm::CreateComponents() {
  const TitleLabels title = MakeTitleLabels(this, 1000, QStringLiteral("DE ORLAVENTIS"));
  HeaderLblBk = title.HeaderLblBk;
  HeaderLbl = title.HeaderLbl;

  SlidePicture = new TProportionalImage(this);
  SlidePicture->setObjectName(QStringLiteral("SlidePicture"));
  SlidePicture->setGeometry(267, 126, 210, 155);
  SlidePicture->Background().SetBrush(QBrush(Qt::black));
  SlidePicture->Background().SetImageDrawStyle(TImageDrawStyle::idsAlongside);
  slides_ = new TSlideCycle(Main(), SlidePicture, this);
}

void TIntroductionForm::CreateContent() {
  IntroductionText = new QPlainTextEdit(this);
  IntroductionText->setObjectName(QStringLiteral("IntroductionText"));
  IntroductionText->setProperty(kNameTagProperty, 1010);
  IntroductionText->setGeometry(ScaledDesignRect(QRect(128, 310, 485, 131), Settings().Layout()));
  IntroductionText->setReadOnly(true);
  // Read only, with a caret that keys (and screen readers) move by line and word.
  IntroductionText->setTextInteractionFlags(Qt::TextSelectableByMouse |
                                            Qt::TextSelectableByKeyboard);
  IntroductionText->setFrameShape(QFrame::NoFrame);
  IntroductionText->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  IntroductionText->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  QPalette colours = IntroductionText->palette();
  for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    colours.setColor(group, QPalette::Base, Qt::black);
    colours.setColor(group, QPalette::Text, Qt::white);
  }
  IntroductionText->setPalette(colours);
  // A right click opens the empty menu, not an edit menu.
  IntroductionText->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(IntroductionText, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { DumPopup->popup(IntroductionText->mapToGlobal(at)); });

  const std::optional<QString> text =
      FindRecordText(Main().RecordFile(), content::IntroKey(Settings().LanguageId));
  IntroductionText->setPlainText(text ? SplitTextLines(*text).join(QLatin1Char('\n')) : QString());

  TSlideCycle::SetSlideEffects(*SlidePicture);
}

bool TIntroductionForm::event(QEvent* event) {
  const bool handled = TSectionForm::event(event);
  if (event->type() == QEvent::Paint && !slidesStarted_) {
    slidesStarted_ = true;
    // A zero timer fires once the events pending now (this paint among them) are done.
    auto* start = new QTimer(this);
    start->setSingleShot(true);
    connect(start, &QTimer::timeout, this, [this, start] {
      start->deleteLater();
      // The first slide appears at once, as on a form that was not shown yet; later ones
      // come with the transition.
      const bool effects = SlidePicture->Effects();
      SlidePicture->SetEffects(false);
      slides_->Start();
      SlidePicture->SetEffects(effects);
    });
    start->start(0);
  }
  return handled;
}

void TIntroductionForm::TimerTimer() { slides_->TimerTimer(); }

int TIntroductionForm::PictureNumber() const { return slides_->PictureNumber(); }

}  // namespace orlaventis
