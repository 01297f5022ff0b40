#pragma once
// A writable copy of the shipped data tree for one run against vexor-sim.

#include "core/scope/oscilexchange.h"

#include <QByteArray>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QPair>
#include <QProcess>
#include <QStringList>

#include <cstdint>

namespace wavix::test {

using IniValues = QList<QPair<QByteArray, QByteArray>>;

// Sets each key's value in an ini file of one value per line.
inline bool setIniValues(const QString& path, const IniValues& values) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    QList<QByteArray> lines = f.readAll().split('\n');
    f.close();
    for (QByteArray& line : lines)
        for (const auto& [key, value] : values)
            if (line.startsWith(key + "="))
                line = key + "=" + value;
    const QByteArray out = lines.join('\n');
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(out) == out.size();
}

// The shipped data tree copied to `to`, so the run may save its settings, with
// the reader port moved to where the simulator listens and the given last
// settings (Wavix.ini) in place of the shipped ones.
inline bool copyDataTree(const QString& to, std::uint16_t port, const IniValues& lastSettings = {}) {
    const QString from = qEnvironmentVariable("WAVIX_BIN_DIR") + "/../Data";
    QDirIterator it(from, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString target = to + "/" + QDir(from).relativeFilePath(file);
        QDir().mkpath(QFileInfo(target).path());
        if (!QFile::copy(file, target))
            return false;
    }
    return setIniValues(to + "/Settings/General.ini", {{"ReaderPort", QByteArray::number(port)}}) &&
           (lastSettings.isEmpty() || setIniValues(to + "/Settings/Wavix.ini", lastSettings));
}

// Last settings (Wavix.ini) of a record at timebase `step` on `channels` channels.
inline IniValues lastSettings(int step, int channels, int triggerMode) {
    return {{"chann_num", QByteArray::number(channels)},
            {"time_base_ENUM", QByteArray::number(step)},
            {"time_base", QByteArray::number(TimeBaseDivider(step))},
            {"samples_all", QByteArray::number(SamplesPerStep(step))},
            {"TR_mode", QByteArray::number(triggerMode)}};
}

// Starts wavix offscreen with its own runtime folder under `root` (its own
// single-instance lock, so a copy running beside the test does not matter).
inline void startWavix(QProcess& wavix, const QString& root, const QStringList& args) {
    QDir().mkpath(root + "/run");
    QFile::setPermissions(root + "/run", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("XDG_RUNTIME_DIR", root + "/run");
    env.insert("QT_QPA_PLATFORM", "offscreen");
    wavix.setProcessEnvironment(env);
    wavix.setProcessChannelMode(QProcess::MergedChannels);
    wavix.start(qEnvironmentVariable("WAVIX_BIN_DIR") + "/wavix", args);
}

} // namespace wavix::test
