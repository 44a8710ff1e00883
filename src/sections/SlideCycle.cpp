// What the section forms share: page texts, fonts, colours, design rectangles, and the slide cycle.
#include "sections/SlideCycle.h"

#include "controls/Accessible.h"
#include "controls/PlainText.h"
#include "controls/ProportionalImage.h"
#include "database/ContentContract.h"
#include "database/RecordFile.h"
#include "sections/SectionForm.h"
#include "shell/ArchivePicture.h"
#include "shell/MainForm.h"
#include "shell/Translation.h"

#include <QLabel>
#include <QTimer>

#include <algorithm>

namespace orlaventis {

QFont ArialFont(int pixels) {
  QFont font(QStringLiteral("Arial"));
  font.setPixelSize(std::max(1, pixels));
  return font;
}

void SetControlColours(QWidget* widget, const QColor& base, const QColor& text) {
  QPalette colours = widget->palette();
  for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
    colours.setColor(group, QPalette::Base, base);
    colours.setColor(group, QPalette::Window, base);
    colours.setColor(group, QPalette::Text, text);
    colours.setColor(group, QPalette::WindowText, text);
  }
  widget->setPalette(colours);
}

QRect ScaledDesignRect(const QRect& design, const ScreenLayout& mode) {
  return QRect(ScaleForLayout(design.x(), mode), ScaleForLayout(design.y(), mode),
               ScaleForLayout(design.width(), mode), ScaleForLayout(design.height(), mode));
}

TitleLabels MakeTitleLabels(QWidget* form, int tag, const QString& designText) {
  auto make = [&](const char* name, QRect box, QColor colour) {
    // Readers take a label's kind when they first meet it, which its first text makes happen.
    QLabel* label = NewPlainLabel(QString(), form);
    if (colour == Qt::white) SetLabelRole(label, QAccessible::Heading);
    label->setText(designText);
    label->setObjectName(QString::fromLatin1(name));
    SetTag(label, tag);
    label->setGeometry(box);
    QFont font = ArialFont(16);
    font.setItalic(true);
    label->setFont(font);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    QPalette colours = label->palette();
    colours.setColor(QPalette::WindowText, colour);
    label->setPalette(colours);
    return label;
  };
  TitleLabels labels{};
  labels.HeaderLblBk = make("HeaderLblBk", QRect(171, 34, 399, 25), QColor(192, 192, 192));
  labels.HeaderLbl = make("HeaderLbl", QRect(172, 35, 399, 25), Qt::white);
  SetDecorative(labels.HeaderLblBk);  // screen readers hear the title once, as the heading
  return labels;
}

std::optional<QString> FindRecordText(TiDbRecFile* records, const QString& key) {
  if (records == nullptr) return std::nullopt;
  const int32_t count = records->VisibleCount();
  for (int32_t position = 1; position <= count; ++position) {
    const TiDbRec record = records->GetRecord(position);
    if (record.KeyText() == key) return record.TextText();
  }
  return std::nullopt;
}

QStringList SplitTextLines(const QString& text) {
  QStringList lines;
  qsizetype start = 0;
  const qsizetype size = text.size();
  for (qsizetype i = 0; i < size; ++i) {
    const QChar c = text.at(i);
    if (c != QLatin1Char('\r') && c != QLatin1Char('\n')) continue;
    lines.append(text.mid(start, i - start));
    if (c == QLatin1Char('\r') && i + 1 < size && text.at(i + 1) == QLatin1Char('\n')) ++i;
    start = i + 1;
  }
  if (start < size) lines.append(text.mid(start));
  return lines;
}

TSlideCycle::TSlideCycle(TMainForm& main, TProportionalImage* picture, QObject* parent)
    : QObject(parent), main_(main), picture_(picture), timer_(new QTimer(this)) {
  // Translation names the picture for screen readers (the slides carry no titles).
  if (picture_ != nullptr) picture_->setProperty(kNameTagProperty, kSlideShowNameTag);
  timer_->setObjectName(QStringLiteral("Timer"));
  timer_->setInterval(kIntervalMs);
  connect(timer_, &QTimer::timeout, this, &TSlideCycle::TimerTimer);
}

void TSlideCycle::SetSlideEffects(TProportionalImage& picture) {
  picture.SetEffect(EffectStyle::esExplode);
  picture.SetEffects(true);
  picture.SetEffectSize(5);
  picture.SetEffectSpeed(1);
}

void TSlideCycle::Start() {
  TimerTimer();
  timer_->start();
}

void TSlideCycle::TimerTimer() {
  if (busy_) return;
  busy_ = true;
  pictureNumber_ = pictureNumber_ >= kSlideCount ? 1 : pictureNumber_ + 1;
  const QImage slide = LoadSlide(pictureNumber_);
  if (!slide.isNull()) picture_->SetImage(slide);
  busy_ = false;
}

QImage TSlideCycle::LoadSlide(int number) {
  const QString name = QString::number(number);
  // The file is gone before the picture is shown, so that no transition runs while it exists.
  return LoadArchivePicture(main_, PictureArchive::Photos, content::kSlideMember + name, name);
}

}  // namespace orlaventis
