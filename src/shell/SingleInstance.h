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

// Sends `request` ("restore" or "close") to the program listening on `serverName`. Returns true
// when a running program took the request, false when none listens (a stale name included).
// Waits at most `timeoutMs` for the connection and the write.
bool SendToRunningInstance(const QString& serverName, InstanceRequest request, int timeoutMs = 1000);

// The running program's side: listens on the name and raises a signal per request received.
class SingleInstance final : public QObject {
  Q_OBJECT

 public:
  explicit SingleInstance(QString serverName, QObject* parent = nullptr);
  ~SingleInstance() override;

  // Takes the name. A name left behind by a program that crashed (nobody answers on it) is
  // removed and retaken. Returns false when another program answers on the name or the server
  // cannot listen; the program then runs without receiving requests.
  bool Listen();

 signals:
  void RestoreRequested();
  void CloseRequested();

 private:
  QString serverName_;
  QLocalServer* server_ = nullptr;  // owned through the Qt parent
};

}  // namespace orlaventis
