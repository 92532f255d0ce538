// One copy of the emulator at a time: the second copy asks the first to
// come to the front and exits without a window.
#pragma once

#include <QLocalServer>
#include <QLockFile>
#include <QObject>
#include <memory>

class SingleInstance : public QObject {
  Q_OBJECT
 public:
  // `folder` is the user's private folder where the lock lives.
  explicit SingleInstance(const QString& folder);
  // True for the first copy, which then listens for later ones.
  bool acquire();
  // After a failed acquire: true when another copy holds the lock, false
  // when the lock could not be made at all (folder missing or not ours).
  bool heldByAnother() const;
  // Tells the running copy to come to the front.
  bool notifyFirst();

 signals:
  void raiseRequested();

 private:
  QString serverName_;
  std::unique_ptr<QLockFile> lock_;
  QLocalServer server_;
};
