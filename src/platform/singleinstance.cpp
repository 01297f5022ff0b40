#include "platform/singleinstance.h"

#include <QDir>
#include <QLockFile>
#include <QStandardPaths>

namespace wavix {

namespace {

QString defaultFolder() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    if (folder.isEmpty() || !QDir(folder).exists())
        folder = QDir::tempPath();
    return folder;
}

} // namespace

CSingleInstance::CSingleInstance(const QString& folder, const QString& name)
    : path_(QDir(folder.isEmpty() ? defaultFolder() : folder).filePath(name + QStringLiteral(".lock"))),
      lock_(std::make_unique<QLockFile>(path_)) {
    // A lock is stale only when its owner is gone. The default age limit would
    // let a second copy take the lock from a first one that has merely been
    // running for a while.
    lock_->setStaleLockTime(0);
}

CSingleInstance::~CSingleInstance() = default;

bool CSingleInstance::TryLock() {
    if (lock_->isLocked())
        return true;
    if (lock_->tryLock(0))
        return true;
    // tryLock already clears a lock whose owner process has died; this covers
    // a lock file that cannot even be read.
    if (lock_->error() == QLockFile::LockFailedError && lock_->removeStaleLockFile())
        return lock_->tryLock(0);
    return false;
}

void CSingleInstance::Unlock() {
    lock_->unlock();
}

bool CSingleInstance::IsLocked() const {
    return lock_->isLocked();
}

} // namespace wavix
