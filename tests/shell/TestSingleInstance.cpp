// Tests of the one-program-per-user rule: a second process finds the first and sends requests.
#include "shell/SingleInstance.h"

#include "EnvironmentRestorer.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>

#include <cstdio>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

using namespace orlaventis;
using Result = SingleInstance::ListenResult;

namespace {

constexpr uid_t kOtherUser = 65534;

QString UniqueName() { return "olv-test-" + QUuid::createUuid().toString(QUuid::Id128); }

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
  void defaultNameIsPerUserAndNobodyListens() {
    fixture::EnvironmentRestorer instance("ORLAVENTIS_INSTANCE");
    instance.Unset();
    QVERIFY2(InstanceServerName().startsWith("Orlaventis-"), qPrintable(InstanceServerName()));
    QVERIFY2(InstanceServerName().size() > 11, qPrintable(InstanceServerName()));
    instance.Set("olv-other");
    QCOMPARE(InstanceServerName(), QString("olv-other"));
    instance.Unset();
    QVERIFY(!SendToRunningInstance(UniqueName(), InstanceRequest::Restore, 200));
  }
  void secondProcessRestoresAndCloses() {
    const QString name = UniqueName();
    SingleInstance first(name);
    QCOMPARE(first.Listen(), Result::Listening);
    QSignalSpy restore(&first, &SingleInstance::RestoreRequested);
    QSignalSpy close(&first, &SingleInstance::CloseRequested);
    QCOMPARE(RunSecondStart(name, "restore"), 0);
    QTRY_COMPARE(restore.count(), 1);
    QCOMPARE(RunSecondStart(name, "close"), 0);
    QTRY_COMPARE(close.count(), 1);
    QCOMPARE(restore.count(), 1);
    // A second holder of the name is refused while the first lives, answering or not; the
    // first one's socket stays.
    SingleInstance rival(name);
    QCOMPARE(rival.Listen(), Result::HeldByAnother);
    QCOMPARE(RunSecondStart(name, "restore"), 0);
  }
  // The socket and its lock live in $XDG_RUNTIME_DIR, else in a 0700 folder of the user.
  void socketInAPrivateFolder() {
    fixture::EnvironmentRestorer runtimeDir("XDG_RUNTIME_DIR");
    QTemporaryDir runtime;
    runtimeDir.Set(runtime.path().toUtf8());
    const QString name = UniqueName();
    QCOMPARE(InstanceSocketPath(name), runtime.filePath(name));
    {
      SingleInstance first(name);
      QCOMPARE(first.Listen(), Result::Listening);
      QVERIFY(QFileInfo::exists(runtime.filePath(name)));
      QVERIFY(QFileInfo::exists(runtime.filePath(name + ".lock")));
    }
    QVERIFY(!QFileInfo::exists(runtime.filePath(name)));
    runtimeDir.Unset();
    const QFileInfo fallback(QFileInfo(InstanceSocketPath(name)).path());
    QCOMPARE(fallback.path(), QDir::tempPath());
    QVERIFY2(fallback.isDir(), qPrintable(fallback.filePath()));
    QVERIFY2(!fallback.isSymLink(), qPrintable(fallback.filePath()));
    struct stat st {};
    QCOMPARE(::lstat(QFile::encodeName(fallback.filePath()).constData(), &st), 0);
    QCOMPARE(st.st_uid, ::getuid());
    QCOMPARE(st.st_mode & 0777, 0700u);
  }
  // A listener of another user is not sent to; a connection from another user is dropped
  // unread. Needs root to run a process as another user.
  void otherUsersAreRefused() {
    if (::geteuid() != 0) QSKIP("needs root to start a process as another user");
    QTemporaryDir folder;
    QCOMPARE(::chown(QFile::encodeName(folder.path()).constData(), kOtherUser, kOtherUser), 0);
    const QString path = folder.filePath("theirs");
    QProcess theirs;
    theirs.start(QCoreApplication::applicationFilePath(), {"--serve-as-other", path});
    QVERIFY(theirs.waitForReadyRead(30000));
    QCOMPARE(theirs.readLine().trimmed(), "listening");
    QVERIFY(!SendToRunningInstance(path, InstanceRequest::Restore, 2000));
    QLocalSocket socket;
    socket.connectToServer(path);
    // The refusing side may hang up before this side sees the connection made: either way the
    // request never arrives.
    if (socket.waitForConnected(2000)) {
      socket.write("restore\n");
      socket.flush();
    }
    QTRY_VERIFY(socket.state() == QLocalSocket::UnconnectedState);
    QVERIFY(socket.readAll().isEmpty());
    theirs.kill();
    theirs.waitForFinished();
    QVERIFY(!theirs.readAllStandardOutput().contains("restore"));
  }
  // A stale entry under the name is retaken; an oversized request is dropped unread.
  void staleNameIsRetakenAndOversizedRequestDropped() {
    const QString name = UniqueName();
    {
      // A crashed program leaves an entry under the name that nobody answers on.
      QLocalServer crashed;
      QVERIFY(crashed.listen(InstanceSocketPath(name)));
      QFile stale(crashed.fullServerName());
      crashed.close();                            // removes the file ...
      QVERIFY(stale.open(QIODevice::WriteOnly));  // ... and a leftover entry takes its place
    }
    SingleInstance first(name);
    QCOMPARE(first.Listen(), Result::Listening);
    QSignalSpy restore(&first, &SingleInstance::RestoreRequested);
    QCOMPARE(RunSecondStart(name, "restore"), 0);
    QTRY_COMPARE(restore.count(), 1);
    QLocalSocket socket;
    socket.connectToServer(InstanceSocketPath(name));
    QVERIFY(socket.waitForConnected(1000));
    QCOMPARE(socket.write(QByteArray(200, 'r')), 200);
    QVERIFY(socket.flush());
    QTRY_VERIFY(socket.state() == QLocalSocket::UnconnectedState);
    QCOMPARE(restore.count(), 1);
  }
};

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "--send") == 0) {
    QCoreApplication app(argc, argv);
    const auto request = std::strcmp(argv[3], "close") == 0 ? InstanceRequest::Close
                                                            : InstanceRequest::Restore;
    // A generous wait: on a loaded machine (or under the sanitizers) the first may be slow.
    return SendToRunningInstance(QString::fromLocal8Bit(argv[2]), request, 15000) ? 0 : 3;
  }
  if (argc == 3 && std::strcmp(argv[1], "--serve-as-other") == 0) {
    // Listens on the path as another user and prints each request taken.
    if (::setgid(kOtherUser) != 0 || ::setuid(kOtherUser) != 0) return 4;
    QCoreApplication app(argc, argv);
    SingleInstance theirs(QString::fromLocal8Bit(argv[2]));
    if (theirs.Listen() != Result::Listening) return 5;
    QObject::connect(&theirs, &SingleInstance::RestoreRequested, [] {
      std::puts("restore");
      std::fflush(stdout);
    });
    std::puts("listening");
    std::fflush(stdout);
    return app.exec();
  }
  QCoreApplication app(argc, argv);
  TestSingleInstance test;
  return QTest::qExec(&test, argc, argv);
}
#include "TestSingleInstance.moc"
