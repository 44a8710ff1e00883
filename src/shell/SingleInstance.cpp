// One running program per user: a local server that later starts find and send requests to.
#include "shell/SingleInstance.h"

#include <QLocalServer>
#include <QLocalSocket>

#include <unistd.h>

namespace orlaventis {
namespace {

constexpr qint64 kMaxRequestBytes = 64;

QByteArray RequestText(InstanceRequest request) {
  return request == InstanceRequest::Close ? QByteArrayLiteral("close\n")
                                           : QByteArrayLiteral("restore\n");
}

}  // namespace

QString InstanceServerName() {
  const QString fromEnv = qEnvironmentVariable("ORLAVENTIS_INSTANCE");
  if (!fromEnv.isEmpty()) return fromEnv;
  return QStringLiteral("Orlaventis-%1").arg(static_cast<qulonglong>(::getuid()));
}

bool SendToRunningInstance(const QString& serverName, InstanceRequest request, int timeoutMs) {
  QLocalSocket socket;
  socket.connectToServer(serverName, QIODevice::ReadWrite);
  if (!socket.waitForConnected(timeoutMs)) return false;
  socket.write(RequestText(request));
  if (!socket.waitForBytesWritten(timeoutMs)) return false;
  // The running program answers "ok" once it has read the request, so that this process may end
  // (or start the uninstaller) knowing the request arrived.
  if (!socket.waitForReadyRead(timeoutMs)) return false;
  return socket.readLine(kMaxRequestBytes).startsWith("ok");
}

SingleInstance::SingleInstance(QString serverName, QObject* parent)
    : QObject(parent), serverName_(std::move(serverName)) {}

SingleInstance::~SingleInstance() = default;

bool SingleInstance::Listen() {
  if (server_ != nullptr) return server_->isListening();
  server_ = new QLocalServer(this);
  server_->setSocketOptions(QLocalServer::UserAccessOption);
  connect(server_, &QLocalServer::newConnection, this, [this] {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
      connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
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
  // Somebody answers on the name: a running program. Nobody answers: the name is free or was
  // left by a crash; either way it is (re)taken. Probing first matters because listening with
  // access options replaces an existing socket entry instead of failing.
  QLocalSocket probe;
  probe.connectToServer(serverName_);
  if (probe.waitForConnected(500)) {
    probe.disconnectFromServer();
    return false;
  }
  QLocalServer::removeServer(serverName_);
  return server_->listen(serverName_);
}

}  // namespace orlaventis
