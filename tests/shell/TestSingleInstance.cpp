// Tests of the one-program-per-user rule: a second process finds the first and sends requests.
#include "shell/SingleInstance.h"

#include <QCoreApplication>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <QUuid>

#include <cstring>

using namespace orlaventis;

namespace {

QString UniqueName() {
  return QStringLiteral("olv-test-") + QUuid::createUuid().toString(QUuid::Id128);
}

// Runs this executable again as a second start that sends `request` to `name`; returns its exit
// code (0 when the request was taken, 3 when nobody listened).
int RunSecondStart(const QString& name, const QString& request) {
  QProcess second;
  second.start(QCoreApplication::applicationFilePath(), {"--send", name, request});
  // Keep serving the first instance's events while the second start runs.
  while (second.state() != QProcess::NotRunning) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    second.waitForFinished(20);
  }
  return second.exitStatus() == QProcess::NormalExit ? second.exitCode() : -1;
}

}  // namespace

class TestSingleInstance : public QObject {
  Q_OBJECT

 private slots:
  void defaultNameIsPerUser() {
    qunsetenv("ORLAVENTIS_INSTANCE");
    const QString name = InstanceServerName();
    QVERIFY(name.startsWith("Orlaventis-") && name.size() > QString("Orlaventis-").size());
    qputenv("ORLAVENTIS_INSTANCE", "olv-other");
    QCOMPARE(InstanceServerName(), QString("olv-other"));
    qunsetenv("ORLAVENTIS_INSTANCE");
  }

  void secondProcessRestoresAndCloses() {
    const QString name = UniqueName();
    SingleInstance first(name);
    QVERIFY(first.Listen());
    QSignalSpy restore(&first, &SingleInstance::RestoreRequested);
    QSignalSpy close(&first, &SingleInstance::CloseRequested);

    QCOMPARE(RunSecondStart(name, "restore"), 0);
    QTRY_COMPARE(restore.count(), 1);
    QCOMPARE(close.count(), 0);

    QCOMPARE(RunSecondStart(name, "close"), 0);
    QTRY_COMPARE(close.count(), 1);
    QCOMPARE(restore.count(), 1);

    // A second server on the same name is refused while the first answers; nobody listens on
    // another name.
    SingleInstance rival(name);
    QVERIFY(!rival.Listen());
    QVERIFY(!SendToRunningInstance(UniqueName(), InstanceRequest::Restore, 200));
  }

  void staleNameIsRetaken() {
    const QString name = UniqueName();
    {
      // A crashed program leaves an entry under the name that nobody answers on.
      QLocalServer crashed;
      QVERIFY(crashed.listen(name));
      const QString path = crashed.fullServerName();
      crashed.close();  // removes the file
      QFile stale(path);
      QVERIFY(stale.open(QIODevice::WriteOnly));  // a leftover entry under the name
    }
    SingleInstance first(name);
    QVERIFY(first.Listen());
    QSignalSpy restore(&first, &SingleInstance::RestoreRequested);
    QCOMPARE(RunSecondStart(name, "restore"), 0);
    QTRY_COMPARE(restore.count(), 1);
  }

  void oversizedRequestIsDropped() {
    const QString name = UniqueName();
    SingleInstance first(name);
    QVERIFY(first.Listen());
    QSignalSpy restore(&first, &SingleInstance::RestoreRequested);
    QLocalSocket socket;
    socket.connectToServer(name);
    QVERIFY(socket.waitForConnected(1000));
    socket.write(QByteArray(200, 'r'));
    socket.flush();
    QTRY_VERIFY(socket.state() == QLocalSocket::UnconnectedState);
    QCOMPARE(restore.count(), 0);
  }
};

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "--send") == 0) {
    QCoreApplication app(argc, argv);
    const auto request = std::strcmp(argv[3], "close") == 0 ? InstanceRequest::Close
                                                            : InstanceRequest::Restore;
    return SendToRunningInstance(QString::fromLocal8Bit(argv[2]), request) ? 0 : 3;
  }
  QCoreApplication app(argc, argv);
  TestSingleInstance test;
  return QTest::qExec(&test, argc, argv);
}
#include "TestSingleInstance.moc"
