// The roll-mode log in the main window against vexor-sim in roll mode: the
// recording dot on view A while the log runs, the box at its end, the
// calibration locked for the rest of the run, and the refusal outside roll mode.

#include "core/app/rolllogcommand.h"
#include "ui/scope/cscope.h"
#include "window/windowsupport.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <gtest/gtest.h>

namespace wavix::test {
namespace {

// The window on the last record of the PC in the given trigger mode, its boxes shown.
bool startIn(WindowRun& run, int trMode) {
    run.options.boxAnswer.reset();
    run.options.savePath = (run.dir.path() + "/Scope/LogCharts/window.sdf").toStdString();
    // Code 8 also comes with channel edits: roll mode is only certain once the record is in force,
    // and the tester has only answered once its calibration record is on the information line.
    const bool roll = trMode == TM_FREE;
    return run.start(StartupResult{StartupChoice::LastOnPc, 1, 1}, {},
                     {{"TR_mode", QByteArray::number(trMode)}}) &&
           run.capturing(3, [&] {
               return run.dlg->IsRollMode() == roll &&
                      run.dlg->PaneText(Pane::ModuleName).contains(QStringLiteral("CAL"));
           });
}

// Runs the command and answers the box it opens, keeping its text.
QString toggleAnsweringBox(CWavixDlg& dlg, const char* shot) {
    QString text;
    QTimer::singleShot(200, [&text, shot] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
            text = box->text();
            shoot(*box, shot);
            box->accept();
        }
    });
    dlg.ToggleRollLog();
    return text;
}

TEST(RollLogWindow, ViewAShowsTheRecordingUntilTheSecondCommandEndsIt) {
    WindowRun run;
    ASSERT_TRUE(startIn(run, TM_FREE));
    CWavixDlg& dlg = *run.dlg;
    EXPECT_FALSE(dlg.IsCalibrationLocked());
    dlg.ToggleRollLog();
    ASSERT_TRUE(dlg.IsRollLogOpen()) << dlg.LastBoxText();
    EXPECT_TRUE(dlg.View(0).IsRollRecording());
    ASSERT_TRUE(run.moreGroups(10));
    EXPECT_GT(dlg.RollLog().Log().InstantsWritten(), 0u);
    shoot(dlg, "logging.png");

    EXPECT_EQ(toggleAnsweringBox(dlg, "logended.png"),
              QStringLiteral("Logování v Roll režimu bylo ukončeno."));
    EXPECT_FALSE(dlg.IsRollLogOpen());
    EXPECT_FALSE(dlg.View(0).IsRollRecording());
    EXPECT_TRUE(dlg.IsCalibrationLocked());
}

TEST(RollLogWindow, OutsideRollModeTheCommandOnlyExplains) {
    WindowRun run;
    ASSERT_TRUE(startIn(run, TM_AUTO));
    EXPECT_EQ(toggleAnsweringBox(*run.dlg, "refused.png"),
              QStringLiteral("Pro ukládání logu je třeba přepnout osciloskop do módu ROLL!"));
    EXPECT_FALSE(run.dlg->IsRollLogOpen());
    EXPECT_FALSE(QFile::exists(run.dir.path() + "/Scope/LogCharts/window.sdf"));
}

} // namespace
} // namespace wavix::test
