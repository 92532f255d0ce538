#include "host/qt/single_instance.h"

#include <unistd.h>

#include <QDir>
#include <QLocalSocket>

SingleInstance::SingleInstance(const QString& folder)
    : serverName_(QDir(folder).filePath("vk2280.sock")),
      lock_(std::make_unique<QLockFile>(QDir(folder).filePath("vk2280.lock"))) {
  lock_->setStaleLockTime(0);  // only a dead owner makes the lock stale
}

bool SingleInstance::acquire() {
  if (!lock_->tryLock(0)) return false;
  QLocalServer::removeServer(serverName_);
  server_.setSocketOptions(QLocalServer::UserAccessOption);
  server_.listen(serverName_);
  connect(&server_, &QLocalServer::newConnection, this, [this] {
    while (QLocalSocket* peer = server_.nextPendingConnection()) {
      connect(peer, &QLocalSocket::disconnected, peer, &QObject::deleteLater);
      emit raiseRequested();
    }
  });
  return true;
}

bool SingleInstance::heldByAnother() const { return lock_->error() == QLockFile::LockFailedError; }

bool SingleInstance::notifyFirst() {
  QLocalSocket socket;
  socket.connectToServer(serverName_);
  if (!socket.waitForConnected(2000)) return false;
  socket.write("raise\n");
  socket.waitForBytesWritten(1000);
  socket.disconnectFromServer();
  return true;
}
