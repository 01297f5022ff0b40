// The roll-mode log in the main window against vexor-sim in roll mode: the
// recording dot on view A while the log runs, the box at its end, the
// calibration locked for the rest of the run, and the refusal outside roll mode.

#include "core/app/rolllogcommand.h"
#include "integration/simulator.h"
#include "ui/main/wavixdlg.h"
#include "ui/scope/cscope.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>

namespace wavix::test {
namespace {

bool copyTree(const QString& to, std::uint16_t port, int trMode) {
    const QString from = qEnvironmentVariable("WAVIX_BIN_DIR") + "/../Data";
    QDirIterator it(from, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString target = to + "/" + QDir(from).relativeFilePath(file);
        QDir().mkpath(QFileInfo(target).path());
        if (!QFile::copy(file, target))
            return false;
    }
    const auto rewrite = [](const QString& path, const QByteArray& before, const QByteArray& after) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            return false;
        QByteArray text = f.readAll();
        f.close();
        text.replace(before, after);
        return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(text) == text.size();
    };
    return rewrite(to + "/Settings/General.ini", "ReaderPort=10000",
                   "ReaderPort=" + QByteArray::number(port)) &&
           rewrite(to + "/Settings/Wavix.ini", "TR_mode=0", "TR_mode=" + QByteArray::number(trMode));
}

bool runUntil(const std::function<bool()>& done, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

void shoot(QWidget& w, const char* name) {
    if (const char* dir = std::getenv("WAVIX_SHOT_DIR"))
        w.grab().save(QString::fromLocal8Bit(dir) + "/" + name);
}

struct WindowRun {
    Simulator sim;
    QTemporaryDir dir;
    std::unique_ptr<CWavixDlg> dlg;

    bool start(int trMode) {
        const std::uint16_t port = Simulator::freePort();
        if (!sim.start(port) || !copyTree(dir.path(), port, trMode))
            return false;
        WavixDlgOptions options;
        options.start = StartupResult{StartupChoice::LastOnPc, 1, 1};
        options.dataDir = (dir.path() + "/").toStdString();
        options.savePath = (dir.path() + "/Scope/LogCharts/window.sdf").toStdString();
        dlg = std::make_unique<CWavixDlg>(options);
        if (!dlg->Initialise())
            return false;
        dlg->show();
        // Code 8 also comes with channel edits: roll mode is only certain once the record is in force.
        const bool roll = trMode == TM_FREE;
        return runUntil(
                   [this, roll] {
                       return (dlg->ConvertedGroups() >= 3 && dlg->IsRollMode() == roll) || dlg->HasEnded();
                   },
                   15000) &&
               !dlg->HasEnded();
    }
    // Runs the command and answers the box it opens, keeping its text.
    QString toggleAnsweringBox(const char* shot) {
        QString text;
        QTimer::singleShot(200, [&text, shot] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                text = box->text();
                shoot(*box, shot);
                box->accept();
            }
        });
        dlg->ToggleRollLog();
        return text;
    }
};

TEST(RollLogWindow, ViewAShowsTheRecordingUntilTheSecondCommandEndsIt) {
    WindowRun run;
    ASSERT_TRUE(run.start(TM_FREE)) << run.sim.output().toStdString();
    CWavixDlg& dlg = *run.dlg;
    EXPECT_FALSE(dlg.IsCalibrationLocked());
    dlg.ToggleRollLog();
    ASSERT_TRUE(dlg.IsRollLogOpen()) << dlg.LastBoxText();
    EXPECT_TRUE(dlg.View(0).IsRollRecording());
    const int groups = dlg.ConvertedGroups();
    ASSERT_TRUE(runUntil([&] { return dlg.ConvertedGroups() >= groups + 10; }, 15000));
    EXPECT_GT(dlg.RollLog().Log().InstantsWritten(), 0u);
    shoot(dlg, "logging.png");

    EXPECT_EQ(run.toggleAnsweringBox("logended.png"),
              QStringLiteral("Logování v Roll režimu bylo ukončeno."));
    EXPECT_FALSE(dlg.IsRollLogOpen());
    EXPECT_FALSE(dlg.View(0).IsRollRecording());
    EXPECT_TRUE(dlg.IsCalibrationLocked());
}

TEST(RollLogWindow, OutsideRollModeTheCommandOnlyExplains) {
    WindowRun run;
    ASSERT_TRUE(run.start(TM_AUTO)) << run.sim.output().toStdString();
    EXPECT_EQ(run.toggleAnsweringBox("refused.png"),
              QStringLiteral("Pro ukládání logu je třeba přepnout osciloskop do módu ROLL!"));
    EXPECT_FALSE(run.dlg->IsRollLogOpen());
    EXPECT_FALSE(QFile::exists(run.dir.path() + "/Scope/LogCharts/window.sdf"));
}

} // namespace
} // namespace wavix::test
