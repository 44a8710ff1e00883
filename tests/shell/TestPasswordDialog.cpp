// Tests of the database password prompt dialog, answered the way a user would.
#include "ProcessFactsRestorer.h"
#include "database/TableDatabase.h"
#include "media/Messages.h"
#include "shell/LanguageFile.h"  // tests/shell
#include "shell/MessageBoxMessages.h"
#include "shell/PasswordDialog.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <functional>

using namespace orlaventis;

namespace {

// Runs `answer` on the modal dialog as soon as it is shown.
void WhenDialogShows(std::function<void(PasswordDialog*)> answer) {
  QTimer::singleShot(0, [answer = std::move(answer)] {
    auto* dialog = qobject_cast<PasswordDialog*>(QApplication::activeModalWidget());
    QVERIFY(dialog != nullptr);
    answer(dialog);
  });
}
QPushButton* Button(PasswordDialog* dialog, QDialogButtonBox::StandardButton which) {
  auto* box = dialog->findChild<QDialogButtonBox*>();
  return box != nullptr ? box->button(which) : nullptr;
}

}  // namespace

class TestPasswordDialog : public QObject {
  Q_OBJECT

  fixture::ProcessFactsRestorer facts_;
  QTemporaryDir dir_;
  QString path_;

 private Q_SLOTS:
  void initTestCase() {
    Process().unattended = false;  // offscreen counts as unattended: these tests answer
    olvtool::DatabaseSource source;
    source.password = "Vaudrel";
    source.tables.push_back({"Notes", {testing::StringColumn("Text")}, {{"kept"}}});
    path_ = dir_.filePath("locked.db");
    QString error;
    QVERIFY2(olvtool::WriteDatabase(source, path_, QString(), &error), qPrintable(error));
  }
  void typedPasswordOpensTheDatabase() {
    DialogPasswordPrompt prompt;
    TTessaranObject db(&prompt);
    WhenDialogShows([](PasswordDialog* dialog) {
      QCOMPARE(dialog->Edit()->text(), QString());
      QCOMPARE(dialog->Edit()->echoMode(), QLineEdit::Password);  // typed text hidden
      QTest::keyClicks(dialog->Edit(), QStringLiteral("Vaudrel"));
      QTest::keyClick(dialog->Edit(), Qt::Key_Return);  // OK is the default button
    });
    QVERIFY(db.Open(path_, path_, QString(), QString()));
    QCOMPARE(db.GetValueAsText("Notes", "Text", 1), QString("kept"));
  }
  void wrongEmptyOrCancelledPasswordKeepsItClosed() {
    const std::function<void(PasswordDialog*)> answers[] = {
        [](PasswordDialog* dialog) {
          QTest::keyClicks(dialog->Edit(), QStringLiteral("Vaudrex"));
          Button(dialog, QDialogButtonBox::Ok)->click();
        },
        [](PasswordDialog* dialog) { Button(dialog, QDialogButtonBox::Ok)->click(); },
        [](PasswordDialog* dialog) {
          QTest::keyClicks(dialog->Edit(), QStringLiteral("Vaudrel"));
          Button(dialog, QDialogButtonBox::Cancel)->click();
        }};
    for (const auto& answer : answers) {
      DialogPasswordPrompt prompt;
      TTessaranObject db(&prompt);
      WhenDialogShows(answer);
      QVERIFY(!db.Open(path_, path_, QString(), QString()));
      QVERIFY(db.GetValueAsText("Notes", "Text", 1).isEmpty());
    }
  }
  void asksOncePerFileAndNeverWithoutADisplay() {
    // Cancels every dialog that shows, and counts them.
    int shown = 0;
    QTimer canceller;
    connect(&canceller, &QTimer::timeout, [&shown] {
      if (auto* dialog = qobject_cast<PasswordDialog*>(QApplication::activeModalWidget())) {
        ++shown;
        Button(dialog, QDialogButtonBox::Cancel)->click();
      }
    });
    canceller.start(10);
    const QString copy = dir_.filePath(QStringLiteral("copy.db"));
    QVERIFY(QFile::copy(path_, copy));
    DialogPasswordPrompt prompt;
    TTessaranObject db(&prompt);
    for (int i = 0; i < 3; ++i) QVERIFY(!db.Open(path_, path_, QString(), QString()));
    const int onceForTheFile = shown;
    QVERIFY(!db.Open(copy, copy, QString(), QString()));  // another file asks again
    QCOMPARE((std::tuple{onceForTheFile, shown}), (std::tuple{1, 2}));
    Process().unattended = std::nullopt;
    QVERIFY(Unattended());  // the offscreen platform: no display, nobody to answer
    MessageBoxMessages().Error(QStringLiteral("to stderr; no box waits"));
    DialogPasswordPrompt unattended;
    TTessaranObject other(&unattended);
    QVERIFY(!other.Open(path_, path_, QString(), QString()));
    Process().unattended = false;
    QCOMPARE(shown, 2);
    QCOMPARE(ProblemText(other.OpenProblem()), "The password is missing or wrong\n" + path_);
  }
};

QTEST_MAIN(TestPasswordDialog)
#include "TestPasswordDialog.moc"
