// TIntroductionForm: the Introduction section, with its title, introduction text and slides.
#pragma once

#include "sections/SectionForm.h"

class QLabel;
class QPlainTextEdit;

namespace orlaventis {

class TProportionalImage;
class TSlideCycle;

// The first section: a translated title over its silver shadow, the introduction text of the
// current language (record "Intro_" + LanguageId + "|||") in a read-only memo, and the slide
// cycle, started once the form has painted. Created by the section frame on the first visit;
// its timer runs until it is destroyed.
class TIntroductionForm final : public TSectionForm {
  Q_OBJECT

 public:
  explicit TIntroductionForm(TSectionSet& sections);

  QLabel* HeaderLblBk = nullptr;
  QLabel* HeaderLbl = nullptr;
  TProportionalImage* SlidePicture = nullptr;
  QPlainTextEdit* IntroductionText = nullptr;  // made in CreateContent

  // The slide timer's handler: the next picture (see TSlideCycle).
  void TimerTimer();
  int PictureNumber() const;
  TSlideCycle& Slides() { return *slides_; }

 protected:
  void CreateComponents() override;
  void CreateContent() override;
  // The first paint starts the slide cycle, so that the form shows before its first slide is
  // unpacked and decoded.
  bool event(QEvent* event) override;

 private:
  TSlideCycle* slides_ = nullptr;  // child
  bool slidesStarted_ = false;
};

}  // namespace orlaventis
