// One running program per user: a local server that later starts find and send requests to.
#include "shell/SingleInstance.h"

#include "media/TempFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>

#include <cerrno>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orlaventis {
namespace {

constexpr qint64 kMaxRequestBytes = 64;

QByteArray RequestText(InstanceRequest request) {
  return request == InstanceRequest::Close ? QByteArrayLiteral("close\n")
                                           : QByteArrayLiteral("restore\n");
}

// True when the process at the other end of the connected local socket `fd` runs as this user.
bool PeerIsSameUser(qintptr fd) {
  ucred cred{};
  socklen_t length = sizeof cred;
  return fd >= 0 &&
         ::getsockopt(static_cast<int>(fd), SOL_SOCKET, SO_PEERCRED, &cred, &length) == 0 &&
         length == sizeof cred && cred.uid == ::getuid();
}

// $XDG_RUNTIME_DIR when it names a real folder (no link) owned by this user.
QString RuntimeFolder() {
  const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
  struct stat st {};
  if (runtime.isEmpty() || ::lstat(QFile::encodeName(runtime).constData(), &st) != 0 ||
      !S_ISDIR(st.st_mode) || st.st_uid != ::getuid())
    return {};
  return runtime;
}

}  // namespace

QString InstanceServerName() {
  const QString fromEnv = qEnvironmentVariable("ORLAVENTIS_INSTANCE");
  if (!fromEnv.isEmpty()) return fromEnv;
  return QStringLiteral("Orlaventis-%1").arg(static_cast<qulonglong>(::getuid()));
}

QString InstanceSocketPath(const QString& serverName) {
  if (serverName.isEmpty()) return {};
  if (QDir::isAbsolutePath(serverName)) return serverName;
  QString folder = RuntimeFolder();
  if (folder.isEmpty()) {
    folder = QDir::tempPath() +
             QStringLiteral("/orlaventis-%1-run").arg(static_cast<qulonglong>(::getuid()));
    if (!MakePrivateFolder(folder)) return {};
  }
  return folder + QLatin1Char('/') + serverName;
}

bool SendToRunningInstance(const QString& serverName, InstanceRequest request, int timeoutMs) {
  const QString path = InstanceSocketPath(serverName);
  if (path.isEmpty()) return false;
  QLocalSocket socket;
  socket.connectToServer(path, QIODevice::ReadWrite);
  if (!socket.waitForConnected(timeoutMs) || !PeerIsSameUser(socket.socketDescriptor()))
    return false;
  socket.write(RequestText(request));
  if (!socket.waitForBytesWritten(timeoutMs)) return false;
  // The running program answers "ok" once it has read the request, so that this process may end
  // (or start the uninstaller) knowing the request arrived.
  if (!socket.waitForReadyRead(timeoutMs)) return false;
  return socket.readLine(kMaxRequestBytes).startsWith("ok");
}

SingleInstance::SingleInstance(QString serverName, QObject* parent)
    : QObject(parent), serverName_(std::move(serverName)) {}

SingleInstance::~SingleInstance() {
  if (server_ != nullptr) server_->close();
  if (lockFd_ >= 0) ::close(lockFd_);
}

SingleInstance::ListenResult SingleInstance::Listen() {
  if (server_ != nullptr && server_->isListening()) return ListenResult::Listening;
  const QString path = InstanceSocketPath(serverName_);
  if (path.isEmpty()) return ListenResult::Failed;
  if (lockFd_ < 0) {
    // The lock file stays in place when the program ends: removing it would let two programs
    // lock two different files under the same name.
    const int fd = ::open(QFile::encodeName(path + QStringLiteral(".lock")).constData(),
                          O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) return ListenResult::Failed;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      const int error = errno;
      ::close(fd);
      return error == EWOULDBLOCK ? ListenResult::HeldByAnother : ListenResult::Failed;
    }
    lockFd_ = fd;
  }
  if (server_ == nullptr) {
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, [this] {
      while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        if (!PeerIsSameUser(socket->socketDescriptor())) {
          socket->abort();
          socket->deleteLater();
          continue;
        }
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
          if (!socket->canReadLine()) {
            if (socket->bytesAvailable() > kMaxRequestBytes) socket->abort();
            return;
          }
          const QByteArray line = socket->readLine(kMaxRequestBytes).trimmed();
          socket->write("ok\n");
          socket->flush();
          socket->disconnectFromServer();
          if (line == "restore") emit RestoreRequested();
          if (line == "close") emit CloseRequested();
        });
      }
    });
  }
  // Holding the lock makes this the one program: a socket entry under the name was left by a
  // program that ended without removing it.
  QLocalServer::removeServer(path);
  return server_->listen(path) ? ListenResult::Listening : ListenResult::Failed;
}

}  // namespace orlaventis
