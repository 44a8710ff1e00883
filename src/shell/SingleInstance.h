// One running program per user: a local server that later starts find and send requests to.
#pragma once

#include <QObject>
#include <QString>

class QLocalServer;

namespace orlaventis {

// What a later start asks of the running program.
enum class InstanceRequest { Restore, Close };

// The per-user server name: "Orlaventis-" + the user id; $ORLAVENTIS_INSTANCE replaces it
// (tests run side by side without meeting the user's own program).
QString InstanceServerName();

// Where the socket of `serverName` lives: a name that is an absolute path as it is; otherwise
// the name inside $XDG_RUNTIME_DIR when that is the user's own real folder, else inside a
// per-user folder of the system temporary location created 0700 ("orlaventis-<uid>-run").
// Empty when no such folder can be had. The lock file that decides which program holds the
// name is the same path + ".lock".
QString InstanceSocketPath(const QString& serverName);

// Sends `request` ("restore" or "close") to the program listening on `serverName`. Returns true
// when a running program of the same user took the request, false when none listens (a stale
// name included) or the listener belongs to another user. Waits at most `timeoutMs` for the
// connection, the write and the answer.
bool SendToRunningInstance(const QString& serverName, InstanceRequest request,
                           int timeoutMs = 1000);

// The running program's side: holds the name and raises a signal per request received.
class SingleInstance final : public QObject {
  Q_OBJECT

 public:
  enum class ListenResult {
    Listening,      // this program holds the name and receives requests
    HeldByAnother,  // a live program holds the name (whether or not it answers)
    Failed,         // no lock or no server could be made; nobody else holds the name either
  };

  explicit SingleInstance(QString serverName, QObject* parent = nullptr);
  // Stops listening (the socket entry goes), then releases the name.
  ~SingleInstance() override;

  // Takes the name: an exclusive flock on the lock file beside the socket decides atomically
  // which program holds it, and only the holder removes a socket entry a crashed program left
  // and listens. May be called again after HeldByAnother (the holder may have ended since).
  // Connections from another user are dropped unread.
  ListenResult Listen();

 signals:
  void RestoreRequested();
  void CloseRequested();

 private:
  QString serverName_;
  int lockFd_ = -1;                 // open while this program holds the name
  QLocalServer* server_ = nullptr;  // owned through the Qt parent
};

}  // namespace orlaventis
