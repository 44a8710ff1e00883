// Tests of the database password prompt dialog, answered the way a user would.
#include "DatabaseWriter.h"
#include "database/TableDatabase.h"
#include "shell/PasswordDialog.h"

#include <QApplication>
#include <QDialogButtonBox>
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

  QTemporaryDir dir_;
  QString path_;

 private Q_SLOTS:
  void initTestCase() {
    QVERIFY(dir_.isValid());
    olvtool::DatabaseSource source;
    source.password = QStringLiteral("Vaudrel");
    olvtool::TableSource table;
    table.name = QStringLiteral("Notes");
    table.columns.push_back({});
    table.columns.back().name = QStringLiteral("Text");
    table.records.push_back({QStringLiteral("kept")});
    source.tables.push_back(table);
    path_ = dir_.filePath(QStringLiteral("locked.db"));
    QString error;
    QVERIFY2(olvtool::WriteDatabase(source, path_, QString(), &error), qPrintable(error));
  }

  void looksAsTheUserExpects() {
    PasswordDialog dialog;
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Password"));
    QVERIFY(dialog.Edit()->text().isEmpty());
    QCOMPARE(dialog.Edit()->echoMode(), QLineEdit::Password);
    QVERIFY(Button(&dialog, QDialogButtonBox::Cancel) != nullptr);
  }

  void typedPasswordOpensTheDatabase() {
    DialogPasswordPrompt prompt;
    TTessaranObject db(&prompt);
    WhenDialogShows([](PasswordDialog* dialog) {
      QTest::keyClicks(dialog->Edit(), QStringLiteral("Vaudrel"));
      QTest::keyClick(dialog->Edit(), Qt::Key_Return);  // OK is the default button
    });
    QVERIFY(db.Open(path_, path_, QString(), QString()));
    QCOMPARE(db.GetValueAsText(QStringLiteral("Notes"), QStringLiteral("Text"), 1),
             QStringLiteral("kept"));
  }

  void wrongEmptyOrCancelledPasswordKeepsItClosed() {
    DialogPasswordPrompt prompt;
    TTessaranObject db(&prompt);
    // A wrong password, none, and the right one cancelled.
    const std::pair<const char*, QDialogButtonBox::StandardButton> answers[] = {
        {"Vaudrex", QDialogButtonBox::Ok}, {"", QDialogButtonBox::Ok}, {"Vaudrel", QDialogButtonBox::Cancel}};
    for (const auto& [typed, button] : answers) {
      WhenDialogShows([typed, button](PasswordDialog* dialog) {
        QTest::keyClicks(dialog->Edit(), QString::fromLatin1(typed));
        Button(dialog, button)->click();
      });
      QVERIFY2(!db.Open(path_, path_, QString(), QString()), typed);
    }
    QVERIFY(db.GetValueAsText(QStringLiteral("Notes"), QStringLiteral("Text"), 1).isEmpty());
  }
};

QTEST_MAIN(TestPasswordDialog)
#include "TestPasswordDialog.moc"
