#pragma once
// Shared by the window tests: the main window on a writable copy of the data
// tree against its own vexor-sim, and an event loop run until a condition holds.

#include "core/files/scopefile.h"
#include "integration/datatree.h"
#include "integration/simulator.h"
#include "ui/chartfile.h"
#include "ui/main/wavixdlg.h"
#include "ui/modalwatcher.h"
#include "ui/uitestapp.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

namespace wavix::test {

inline bool runUntil(const std::function<bool()>& done, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

// Pictures for a human are only taken when WAVIX_SHOT_DIR names a folder.
inline bool shotsWanted() {
    const char* dir = std::getenv("WAVIX_SHOT_DIR");
    return dir != nullptr && *dir != '\0';
}

// Keeps a written file under WAVIX_SHOT_DIR for a human to look at, when set.
inline void keepFile(const QString& path, const QString& name) {
    const QString keep = qEnvironmentVariable("WAVIX_SHOT_DIR");
    if (keep.isEmpty() || !QDir().mkpath(keep))
        return;
    QFile::remove(keep + QLatin1Char('/') + name);
    EXPECT_TRUE(QFile::copy(path, keep + QLatin1Char('/') + name));
}

// A roll log written by the program's own recorder: a sine of its own period on
// each channel, a mark of each kind every 40 000 instants.
inline void writeLog(const std::filesystem::path& path, std::uint32_t instants, const std::string& text,
                     int channelCount = 4) {
    tOscilExchange rec = DefaultOscilExchange();
    rec.chann_num = static_cast<std::uint16_t>(channelCount);
    rec.time_base_ENUM = 11;
    rec.TR_mode = TM_FREE;
    std::vector<std::unique_ptr<CChannelData>> channels;
    std::vector<const CChannelData*> pointers;
    for (int ch = 1; ch <= channelCount; ++ch) {
        channels.push_back(std::make_unique<CChannelData>());
        channels.back()->ApplySettings(rec, ch);
        channels.back()->SetName("Kanál " + std::to_string(ch));
        pointers.push_back(channels.back().get());
    }
    CScopeFile file;
    file.SetHeaderText(text);
    ASSERT_TRUE(file.SaveLogHeader(path, pointers));
    constexpr std::uint32_t kChunk = 10000;
    for (std::uint32_t done = 0; done < instants; done += kChunk) {
        for (std::size_t c = 0; c < channels.size(); ++c) {
            auto s = channels[c]->WritableSamples(kChunk);
            for (std::uint32_t i = 0; i < kChunk; ++i)
                s[i] = static_cast<std::int32_t>(
                    300.0 * std::sin(static_cast<double>(done + i) / (700.0 * double(c + 1))) / double(c + 1));
            channels[c]->SetSampleCount(kChunk);
            channels[c]->SetCapacity(kChunk);
        }
        if (done % 40000 == 20000)
            file.RequestMark(done % 80000 == 20000 ? 1 : 2);
        ASSERT_TRUE(file.AppendLogSamples(kChunk));
    }
    file.CloseLog();
}

// One run of the main window. Boxes answer No unless the test changes `options`
// before open().
class WindowRun {
public:
    WindowRun() { options.boxAnswer = BoxAnswer::No; }

    // The simulator started with `simArgs` and the data tree copied; false, with the reason told, on failure.
    bool prepare(const QStringList& simArgs = {}, const IniValues& lastSettings = {}) {
        const std::uint16_t port = Simulator::freePort();
        if (!sim.start(port, simArgs)) {
            ADD_FAILURE() << "simulator: " << sim.output().toStdString();
            return false;
        }
        if (!copyDataTree(dir.path(), port, lastSettings)) {
            ADD_FAILURE() << "data tree not copied to " << dir.path().toStdString();
            return false;
        }
        options.dataDir = dataDir();
        return true;
    }
    // The window created on `start`, initialised and shown.
    bool open(const StartupResult& start) {
        options.start = start;
        dlg = std::make_unique<CWavixDlg>(options);
        if (!dlg->Initialise()) {
            ADD_FAILURE() << "window did not start: " << dlg->LastBoxText();
            return false;
        }
        dlg->show();
        return true;
    }
    bool start(const StartupResult& start, const QStringList& simArgs = {},
               const IniValues& lastSettings = {}) {
        return prepare(simArgs, lastSettings) && open(start);
    }

    // `groups` sample notices converted in all and `also` holding, with the window still running.
    bool capturing(int groups, const std::function<bool()>& also = {}, int timeoutMs = 15000) {
        const bool reached = runUntil(
            [&] { return (dlg->ConvertedGroups() >= groups && (!also || also())) || dlg->HasEnded(); },
            timeoutMs);
        if (!reached || dlg->HasEnded()) {
            ADD_FAILURE() << "groups " << dlg->ConvertedGroups() << ", status '"
                          << dlg->PaneText(Pane::ModuleStatus).toStdString() << "', box '"
                          << dlg->LastBoxText() << "'";
            return false;
        }
        return true;
    }
    // `groups` more sample notices from now on.
    bool moreGroups(int groups, int timeoutMs = 15000) {
        return capturing(dlg->ConvertedGroups() + groups, {}, timeoutMs);
    }
    // The custom start record came back from the tester and is in force.
    bool startRecordInForce() const {
        return dlg->Record().time_base_ENUM == static_cast<std::uint32_t>(options.start->timeBaseStep) &&
               dlg->Record().chann_num == options.start->channelCount;
    }

    std::string dataDir() const { return (dir.path() + "/").toStdString(); }

    Simulator sim;
    QTemporaryDir dir;
    WavixDlgOptions options;
    std::unique_ptr<CWavixDlg> dlg;
};

} // namespace wavix::test
