// Texts from the content are shown as their characters: markup in every kind of content text
// (catalogue, language file, query rows, Production outline and tables, paint and trim names,
// Introduction) neither formats itself nor makes the program open a file.
#include "DemoContent.h"  // tools/olvtool
#include "ProcessFactsRestorer.h"
#include "controls/BaseButton.h"
#include "controls/PlainText.h"
#include "controls/Transitions.h"
#include "media/Messages.h"
#include "sections/AllSections.h"  // tests/sections
#include "sections/CatalogForm.h"
#include "sections/EnamelAndFabricsForm.h"
#include "sections/IntroductionForm.h"
#include "sections/ProductionForm.h"
#include "shell/MainForm.h"
#include "shell/MessageBoxMessages.h"
#include "shell/Translation.h"

#include <QComboBox>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTextDocument>
#include <QTimer>
#include <QToolTip>

#include <sys/stat.h>

using namespace orlaventis;

namespace {

// Appends `markup` to every non-empty English text below `value` (the values of "44" keys).
QJsonValue Marked(const QJsonValue& value, const QString& markup, bool english = false) {
  if (value.isString()) {
    if (!english || value.toString().isEmpty()) return value;
    // Fields hold 40 bytes at the least: a long text keeps its start.
    QString text = value.toString() + markup;
    while (text.toUtf8().size() > 40 && text.size() > markup.size() + 1)
      text.remove(text.size() - markup.size() - 1, 1);
    return text;
  }
  if (value.isArray()) {
    QJsonArray array = value.toArray();
    for (qsizetype i = 0; i < array.size(); ++i) array[i] = Marked(array.at(i), markup, english);
    return array;
  }
  if (!value.isObject()) return value;
  QJsonObject object = value.toObject();
  for (auto it = object.begin(); it != object.end(); ++it)
    it.value() = Marked(it.value(), markup, english || it.key() == QLatin1String("44"));
  return object;
}
// Every JSON source marked; in the language file, whose rows are a tag followed by caption and
// hint per language, the English caption and hint of every row.
bool MarkJson(const QString& path, const QString& markup) {
  QFile file(path);
  if (!file.open(QIODevice::ReadWrite)) return false;
  QJsonObject source = QJsonDocument::fromJson(file.readAll()).object();
  if (path.endsWith("language.json")) {
    QJsonArray rows = source["rows"].toArray();
    for (qsizetype r = 0; r < rows.size(); ++r) {
      QJsonArray cells = rows.at(r).toArray();
      for (int i : {5, 6}) cells[i] = Marked(cells.at(i), markup, true);
      rows[r] = cells;
    }
    source["rows"] = rows;
  } else {
    source = Marked(source, markup).toObject();
  }
  file.resize(0);
  return file.write(QJsonDocument(source).toJson()) > 0;
}
// The English header and description of the catalogue's first item.
bool MarkItems(const QString& path, const QString& markup) {
  QFile file(path);
  if (!file.open(QIODevice::ReadWrite)) return false;
  QList<QByteArray> lines = file.readAll().split('\n');
  const QList<QByteArray> columns = lines.value(0).split('\t');
  QList<QByteArray> first = lines.value(1).split('\t');
  for (const char* name : {"Header 44", "Description 44"}) {
    const qsizetype at = columns.indexOf(QByteArray(name));
    if (at < 0 || at >= first.size()) return false;
    first[at] += markup.toUtf8();
  }
  lines[1] = first.join('\t');
  file.resize(0);
  return file.write(lines.join('\n')) > 0;
}
// The text a reader sees of a hint's rich text.
QString Shown(const QString& richText) {
  QTextDocument document;
  document.setHtml(richText);
  return document.toPlainText();
}

}  // namespace

class TestContentText : public QObject {
  Q_OBJECT

  QTemporaryDir temp_{"/tmp/olvXXXXXX"};
  QString content_;
  QString markup_;
  bool tourEnded_ = false;

 private slots:
  void initTestCase() {
    QVERIFY(temp_.isValid());
    // A FIFO holds any reader that opens it for good: a label that read markup would load it as
    // a picture. Short, so that the markup fits beside the texts in their fields.
    const QString fifo = temp_.filePath("f");
    QVERIFY(mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
    markup_ = QString("<b>B</b><img src=%1>").arg(fifo);

    const QDir sources(temp_.filePath("sources"));
    QVERIFY(sources.mkpath("."));
    for (const QFileInfo& file : QDir(ORLAVENTIS_CONTENT_SOURCES).entryInfoList(QDir::Files))
      QVERIFY(QFile::copy(file.filePath(), sources.filePath(file.fileName())));
    for (const char* name : {"language.json", "catalogue.json", "records.json", "enamel.json"})
      QVERIFY2(MarkJson(sources.filePath(name), markup_), name);
    QVERIFY(MarkItems(sources.filePath("items.tsv"), markup_));
    content_ = temp_.filePath("content");
    QString error;
    QVERIFY2(olvtool::WriteDemoContent(content_, olvtool::DemoOptions{sources.path(), 0}, &error),
             qPrintable(error));
  }
  // The whole headless tour, every section and the About box: it ends, content intact.
  void tourEndsOpeningNothingOutside() {
    QProcess tour;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("XDG_RUNTIME_DIR", temp_.path());
    tour.setProcessEnvironment(environment);
    tour.start(ORLAVENTIS_PROGRAM,
               {"--data", content_, "--tour", temp_.filePath("tour"), "--language", "44"});
    const bool ended = tour.waitForFinished(120000);
    if (!ended) tour.kill(), tour.waitForFinished();
    QVERIFY2(ended, "the tour hangs: a content text made the program open the FIFO");
    const QByteArray errors = tour.readAllStandardError();
    QCOMPARE((std::tuple{tour.exitStatus(), tour.exitCode(), errors}),
             (std::tuple{QProcess::NormalExit, 0, errors}));
    tourEnded_ = true;
  }
  // In every section each label holding content text shows its characters; the catalogue's
  // header, the Production table caption, the paint names and the hints carry the markup as
  // typed.
  void everySectionShowsTheTextsAsTyped() {
    if (!tourEnded_) QSKIP("the program would hang on this content");
    const fixture::ProcessFactsRestorer facts;
    Process().screenSizeOverride = QSize(640, 480);
    PlainHints hints;
    qApp->installEventFilter(&hints);
    TSettings settings;  // English
    settings.ProgramFolder = content_;
    settings.TempFolder = temp_.filePath("T");
    TMainForm form(settings);
    SetInstantTransitions(&form, true);
    QVERIFY(form.FormCreate());
    TSectionSet& sections = TSectionSet::Install(form, fixture::AllSections());
    form.setGeometry(0, 0, 640, 480);
    form.show();

    QStringList marked;  // object names of the labels that show the markup
    for (SectionId section : kSectionOrder) {
      form.GoTo(section);
      TSectionForm* shown = sections.Form(section);
      QVERIFY(shown != nullptr);
      QVERIFY(QTest::qWaitForWindowExposed(&form));
      shown->grab();  // painted: a label reading markup would load its pictures here
      for (const QLabel* label : shown->findChildren<QLabel*>()) {
        if (!label->text().contains(markup_)) continue;
        QVERIFY2(label->textFormat() == Qt::PlainText, qPrintable(label->objectName()));
        marked << label->objectName();
      }
    }
    for (const char* name : {"HeaderLbl", "ProductionLstHeader", "Header", "ModelsLabel"})
      QVERIFY2(marked.contains(name), qPrintable(marked.join(' ')));
    auto* colours = static_cast<TEnamelAndFabricsForm*>(sections.Form(SectionId::EnamelAndFabrics));
    QVERIFY(colours->ModelsComboBox->currentText().endsWith(markup_));

    // A hint as the mouse finds it: the markup is what the reader sees.
    TBaseBtn* button = colours->MenuBtn[0];
    QVERIFY(button->toolTip().endsWith(markup_));
    QTest::mouseMove(button, QPoint(3, 3));
    QTest::mouseMove(button);
    QTRY_VERIFY_WITH_TIMEOUT(QToolTip::isVisible(), 5000);
    QCOMPARE(Shown(QToolTip::text()), button->toolTip());
    qApp->removeEventFilter(&hints);
  }
  // A message box quoting a name shows it as typed.
  void messageBoxesShowTextsAsTyped() {
    Process().unattended = false;
    QString shown;
    Qt::TextFormat format = Qt::AutoText;
    QTimer::singleShot(0, [&] {
      auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
      if (box == nullptr) return;
      shown = box->text(), format = box->textFormat();
      box->accept();
    });
    MessageBoxMessages().Error(AboutFile("The file is damaged", markup_));
    Process().unattended = std::nullopt;
    QCOMPARE(shown, "The file is damaged\n" + markup_);
    QCOMPARE(format, Qt::PlainText);
  }
};

QTEST_MAIN(TestContentText)
#include "TestContentText.moc"
