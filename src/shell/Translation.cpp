// Form translation: the chosen language and the texts of forms from the language database.
#include "shell/Translation.h"

#include "controls/Accessible.h"
#include "controls/BaseButton.h"
#include "controls/Ticker.h"
#include "database/ContentContract.h"
#include "database/TableDatabase.h"
#include "media/Messages.h"

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QRadioButton>
#include <QTabBar>
#include <QTabWidget>
#include <QVariant>

namespace orlaventis {
namespace {

constexpr qsizetype kMaxNameChars = 63;

// Opens the language file and finds the language's table (into `table`, empty when none); null
// when either fails.
std::unique_ptr<TTessaranObject> OpenLanguage(const QString& prefix, const TSettings& settings,
                                              QString& table) {
  table.clear();
  // A protected language file asks the user, as every database does.
  auto database = std::make_unique<TTessaranObject>(settings.DatabasePasswordPrompt.get(),
                                                    settings.DatabaseFiles.get());
  const QString& path = settings.LanguageFilePath;
  const bool open = database->Open(path, path, QString(), QString());
  if (database->OpenProblem().fault != ContentFault::None)
    settings.Messages->Problem(ProblemText(database->OpenProblem()));
  if (!open) return nullptr;
  const int r = database->FindRecord(content::kContentsTable, content::kCountryIdColumn,
                                     QString::number(settings.LanguageId));
  if (r == 0) return nullptr;
  table = content::LanguageTable(
      prefix, database->GetValueAsText(content::kContentsTable, content::kCountryNameColumn, r));
  return database;
}

bool IsMenu(const QObject* c) {
  return qobject_cast<const QMenu*>(c) != nullptr || qobject_cast<const QMenuBar*>(c) != nullptr;
}

// Menus and file dialogs are windows too, but are translated as components.
bool IsForm(const QObject* c) {
  const auto* widget = qobject_cast<const QWidget*>(c);
  if (widget == nullptr) return false;
  if (widget->property(kFormProperty).toBool()) return true;
  return widget->isWindow() && !IsMenu(c) && qobject_cast<const QFileDialog*>(c) == nullptr;
}

QList<QRadioButton*> RadioItems(QGroupBox* group) {
  return group->findChildren<QRadioButton*>(Qt::FindDirectChildrenOnly);
}

bool IsListLike(const QObject* c) {
  return qobject_cast<const QComboBox*>(c) || qobject_cast<const QListWidget*>(c) ||
         qobject_cast<const QTabBar*>(c) || qobject_cast<const TTicker*>(c);
}

// Translates components from the language table `table` of the open language file `database`
// (both outlive the translator). A found row always overwrites, also with an empty text.
//  - tag below 1: skipped, except menus (QMenu, QMenuBar), whose items are then translated;
//  - a row of its own: labels, buttons (QAbstractButton, TBaseBtn) and group boxes get the
//    "Caption"; a radio group also its items from the rows after it; a menu item (QAction) gets
//    the caption and its sub-menu's items are translated; a file dialog gets its title; then
//    widgets and menu items get the "Hint" as tool tip;
//  - no row: menus translate their items; list-like widgets (QComboBox, QListWidget, QTabBar,
//    TTicker) take item i from the record i after the row of tag + 1, unless they carry
//    kDataItemsProperty (then nothing changes); a QTabWidget takes page i from the row of
//    tag + 1 + 1000 i; then a widget gets the hint of the row so found.
class Translator {
 public:
  Translator(TTessaranObject& database, const QString& table)
      : database_(database), table_(table) {}

  void TranslateComponent(QObject* c);
  int FindTagRow(int tag) {
    return database_.FindRecord(table_, content::kTagColumn, QString::number(tag));
  }
  QString Caption(int record) {
    return database_.GetValueAsText(table_, content::kCaptionColumn, record);
  }
  QString Hint(int record) {
    return database_.GetValueAsText(table_, content::kHintColumn, record);
  }

 private:
  void Translate(QObject* c);  // TranslateComponent without the announcements
  void TranslateItems(const QObject* menuOrAction);
  void SetListItems(QObject* c, int r);
  void SetHint(QObject* c, int r);
  void SetOwnText(QObject* c, int r);

  TTessaranObject& database_;
  const QString& table_;
};

void Translator::TranslateItems(const QObject* menuOrAction) {
  QList<QAction*> actions;
  if (const auto* menu = qobject_cast<const QWidget*>(menuOrAction)) actions = menu->actions();
  for (QAction* action : actions) TranslateComponent(action);
}

// Items of a list-like widget from consecutive records starting at `r`.
void Translator::SetListItems(QObject* c, int r) {
  if (auto* combo = qobject_cast<QComboBox*>(c)) {
    for (int i = 0; i < combo->count(); ++i) combo->setItemText(i, Caption(r + i));
  } else if (auto* list = qobject_cast<QListWidget*>(c)) {
    for (int i = 0; i < list->count(); ++i) list->item(i)->setText(Caption(r + i));
  } else if (auto* tabs = qobject_cast<QTabBar*>(c)) {
    for (int i = 0; i < tabs->count(); ++i) tabs->setTabText(i, Caption(r + i));
  } else if (auto* ticker = qobject_cast<TTicker*>(c)) {
    QStringList items = ticker->Items();
    for (qsizetype i = 0; i < items.size(); ++i) items[i] = Caption(r + static_cast<int>(i));
    ticker->SetItems(items);
  }
}

void Translator::SetHint(QObject* c, int r) {
  if (auto* action = qobject_cast<QAction*>(c)) {
    action->setToolTip(Hint(r));
  } else if (auto* widget = qobject_cast<QWidget*>(c); widget != nullptr && !IsMenu(c)) {
    widget->setToolTip(Hint(r));
  }
}

// The text of a component with a row of its own.
void Translator::SetOwnText(QObject* c, int r) {
  if (auto* action = qobject_cast<QAction*>(c)) {
    action->setText(Caption(r));
    if (action->menu() != nullptr) TranslateItems(action->menu());
  } else if (auto* label = qobject_cast<QLabel*>(c)) {
    label->setText(Caption(r));
  } else if (auto* button = qobject_cast<QAbstractButton*>(c)) {
    button->setText(Caption(r));
  } else if (auto* baseBtn = qobject_cast<TBaseBtn*>(c)) {
    baseBtn->SetCaption(Caption(r));
  } else if (auto* group = qobject_cast<QGroupBox*>(c)) {
    group->setTitle(Caption(r));
    if (group->property(kRadioGroupProperty).toBool()) {
      const QList<QRadioButton*> items = RadioItems(group);
      for (qsizetype i = 0; i < items.size(); ++i) {
        items[i]->setText(Caption(r + 1 + static_cast<int>(i)));
      }
    }
  } else if (auto* dialog = qobject_cast<QFileDialog*>(c)) {
    dialog->setWindowTitle(Caption(r));
  }
}

void Translator::TranslateComponent(QObject* c) {
  auto* widget = qobject_cast<QWidget*>(c);
  if (widget == nullptr) return Translate(c);
  // A reader that runs already holds the design texts: every text it gets that changes is
  // announced, once. Labels, buttons and own names and descriptions announce themselves.
  auto* label = qobject_cast<QLabel*>(c);
  QWidget* named = label != nullptr ? label->buddy() : nullptr;
  const AccessibleTexts namedBefore = AccessibleTextsOf(named);
  AccessibleTexts before = AccessibleTextsOf(widget);
  const QString ownName = widget->accessibleName();
  const QString ownDescription = widget->accessibleDescription();
  Translate(c);
  const AccessibleTexts after = AccessibleTextsOf(widget);
  if (label != nullptr || qobject_cast<QAbstractButton*>(c) != nullptr ||
      widget->accessibleName() != ownName)
    before.name = after.name;
  if (widget->accessibleDescription() != ownDescription) before.description = after.description;
  AnnounceTextChanges(widget, before);
  AnnounceTextChanges(named, namedBefore);
}

void Translator::Translate(QObject* c) {
  if (c == nullptr) return;
  if (auto* widget = qobject_cast<QWidget*>(c);
      widget != nullptr && widget->property(kNameTagProperty).toInt() > 0) {
    if (const int named = FindTagRow(widget->property(kNameTagProperty).toInt()); named > 0) {
      widget->setAccessibleName(Caption(named));
      if (!Hint(named).isEmpty()) widget->setAccessibleDescription(Hint(named));
    }
  }
  const int t = Tag(c);
  if (t < 1 && !IsMenu(c)) return;
  int r = FindTagRow(t);
  if (r == 0) {
    if (IsMenu(c)) {
      TranslateItems(c);
    } else if (IsListLike(c)) {
      // Items filled from data are no design texts: the rows after the tag belong to others.
      if (c->property(kDataItemsProperty).toBool()) return;
      r = FindTagRow(t + 1);
      if (r > 0) SetListItems(c, r);
    } else if (auto* notebook = qobject_cast<QTabWidget*>(c)) {
      for (int i = 0; i < notebook->count(); ++i) {
        r = FindTagRow(t + 1 + 1000 * i);
        if (r > 0) notebook->setTabText(i, Caption(r));
      }
    }
    if (r > 0 && !qobject_cast<QAction*>(c)) SetHint(c, r);
    return;
  }
  SetOwnText(c, r);
  SetHint(c, r);
}

}  // namespace

int Tag(const QObject* component) {
  return component == nullptr ? 0 : component->property(kTagProperty).toInt();
}

void SetTag(QObject* component, int tag) {
  if (component != nullptr) component->setProperty(kTagProperty, tag);
}

QString LookupText(const TSettings& settings, int number, const QString& prefix,
                   const QString& defaultText, QString* table) {
  QString found;
  const std::unique_ptr<TTessaranObject> database =
      OpenLanguage(prefix.left(kMaxNameChars), settings, found);
  if (table != nullptr) *table = found;
  if (!database) return defaultText;
  const int r = database->FindRecord(found, content::kTagColumn, QString::number(number));
  return r > 0 ? database->GetValueAsText(found, content::kCaptionColumn, r) : defaultText;
}

void TranslateForm(QObject* component, const QString& prefix, const TSettings& settings) {
  if (component == nullptr) return;
  QString table;
  const std::unique_ptr<TTessaranObject> database = OpenLanguage(prefix, settings, table);
  if (!database) return;
  Translator translator(*database, table);
  if (IsForm(component)) {
    auto* form = static_cast<QWidget*>(component);
    const int r = translator.FindTagRow(Tag(form));
    if (r > 0) form->setWindowTitle(translator.Caption(r));
    for (QObject* owned : form->findChildren<QObject*>()) translator.TranslateComponent(owned);
  } else {
    translator.TranslateComponent(component);
  }
}

}  // namespace orlaventis
