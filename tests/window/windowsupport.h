#pragma once
// Shared pieces of the window tests: a data tree for a run against the
// simulator, and waiting on the event loop.

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <cstdint>
#include <functional>

namespace wavix::test {

// The shipped data tree, copied so the run may save its settings, with the
// reader port moved to where the simulator listens.
inline bool copyDataTree(const QString& to, std::uint16_t port) {
    const QString from = qEnvironmentVariable("WAVIX_BIN_DIR") + "/../Data";
    QDirIterator it(from, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString target = to + "/" + QDir(from).relativeFilePath(file);
        QDir().mkpath(QFileInfo(target).path());
        if (!QFile::copy(file, target))
            return false;
    }
    QFile general(to + "/Settings/General.ini");
    if (!general.open(QIODevice::ReadOnly))
        return false;
    QByteArray ini = general.readAll();
    general.close();
    ini.replace("ReaderPort=10000", "ReaderPort=" + QByteArray::number(port));
    return general.open(QIODevice::WriteOnly | QIODevice::Truncate) && general.write(ini) == ini.size();
}

inline bool runUntil(const std::function<bool()>& done, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

} // namespace wavix::test
