// The calibration command of the main window against vexor-sim: refused while
// the capture is stopped; the module's answer to a right and a wrong password;
// and the boxes of testers whose Scope module cannot be driven.

#include "integration/simulator.h"
#include "ui/main/wavixdlg.h"
#include "ui/modalwatcher.h"
#include "ui/scope/cscope.h"
#include "window/windowsupport.h"

#include <QLineEdit>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace wavix::test {
namespace {

class WindowRun {
public:
    // Starts the simulator and the window on the tester's record; false when either failed.
    bool startWindow(const QStringList& simArgs, bool waitForCapture = true) {
        const std::uint16_t port = Simulator::freePort();
        if (!sim_.start(port, simArgs) || !copyDataTree(dir_.path(), port)) {
            ADD_FAILURE() << sim_.output().toStdString();
            return false;
        }
        WavixDlgOptions options;
        options.start = StartupResult{StartupChoice::Tester, 1, 1};
        options.dataDir = (dir_.path() + "/").toStdString();
        dlg_ = std::make_unique<CWavixDlg>(options);
        if (!dlg_->Initialise())
            return false;
        dlg_->show();
        // Polling runs once the module's calibration record was read (the information line).
        return !waitForCapture ||
               (runUntil([&] { return infoLine().find("CAL") != std::string::npos || dlg_->HasEnded(); },
                         15000) &&
                groupsPass(3));
    }
    // Sample notifications; settings changes count too, so wait for the record first.
    bool groupsPass(int n) {
        const int from = dlg_->ConvertedGroups();
        return runUntil([&] { return dlg_->ConvertedGroups() >= from + n || dlg_->HasEnded(); }, 15000) &&
               !dlg_->HasEnded();
    }
    // The calibration dialog answered with the password; the boxes until the run ended.
    std::vector<SeenBox> calibrate(const char* password, const char* shot) {
        ModalWatcher watcher([password](QDialog& dlg) {
            if (auto* field = dlg.findChild<QLineEdit*>(QStringLiteral("password"))) {
                field->setText(QString::fromLatin1(password));
                dlg.accept();
            }
        });
        watcher.shootBoxesAs({shot});
        dlg_->RunCalibration();
        EXPECT_EQ(dlg_->View(0).GetMessage(), "Probíhá kalibrace ... ");
        if (!runUntil([&] { return !watcher.boxes.empty(); }, 15000))
            ADD_FAILURE() << "no answer; status '" << dlg_->PaneText(Pane::ModuleStatus).toStdString()
                          << "'\n"
                          << sim_.output().right(3000).toStdString();
        return watcher.boxes;
    }
    std::string infoLine() const { return dlg_->PaneText(Pane::ModuleName).toStdString(); }

    Simulator sim_;
    QTemporaryDir dir_;
    std::unique_ptr<CWavixDlg> dlg_;
};

TEST(WindowCalibration, RefusedWhileTheCaptureIsStopped) {
    WindowRun w;
    ASSERT_TRUE(w.startWindow({}));
    w.dlg_->PostToSelf(Msg::UWM_DLG_SCOPE_TOOL_BAR, 0, 1); // run/stop
    ASSERT_TRUE(runUntil([&] { return (w.dlg_->Record().TR_mode & 0x8000) != 0; }, 5000));
    bool dialogOpened = false;
    ModalWatcher watcher([&](QDialog& dlg) {
        dialogOpened = true;
        dlg.reject();
    });
    watcher.shootBoxesAs({"calibration_stopped.png"});
    w.dlg_->RunCalibration();
    ASSERT_EQ(watcher.boxes.size(), 1u);
    EXPECT_EQ(watcher.boxes[0].caption, ".: Info ...");
    EXPECT_EQ(watcher.boxes[0].text, "Pro funkci kalibrace musí být osciloskop spuštěn!");
    EXPECT_EQ(watcher.boxes[0].icon, QMessageBox::Information);
    EXPECT_FALSE(dialogOpened);
}

TEST(WindowCalibration, RightPasswordCalibratesAndPollingGoesOn) {
    WindowRun w;
    ASSERT_TRUE(w.startWindow({"--password", "4321"}));
    const std::vector<SeenBox> boxes = w.calibrate("4321", "calibration_done.png");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, ".: Info ...");
    EXPECT_EQ(boxes[0].text, "Kalibrace byla dokončena.");
    EXPECT_EQ(boxes[0].icon, QMessageBox::Information);
    EXPECT_NE(w.infoLine().find("CAL: "), std::string::npos) << w.infoLine();
    EXPECT_TRUE(w.groupsPass(3)) << "polling resumed";
    shoot(*w.dlg_, "calibration_done_window.png");
}

TEST(WindowCalibration, WrongPasswordIsRefusedAndPollingGoesOn) {
    WindowRun w;
    ASSERT_TRUE(w.startWindow({"--password", "4321"}));
    const std::vector<SeenBox> boxes = w.calibrate("1234", "calibration_refused.png");
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, ".: Error ...");
    EXPECT_EQ(boxes[0].text,
              "Chybné heslo, čtečka není nakalibrována nebo vznikla jiná HW chyba - kontaktujte výrobce!");
    EXPECT_EQ(boxes[0].icon, QMessageBox::Critical);
    EXPECT_NE(w.infoLine().find("CalSetFailed"), std::string::npos) << w.infoLine();
    EXPECT_TRUE(w.groupsPass(3)) << "polling resumed";
    shoot(*w.dlg_, "calibration_refused_window.png");
}

// Testers whose Scope module this program cannot drive end the window with a box.
TEST(WindowCalibration, OldModuleAndMissingScopeEndTheWindowWithTheirBox) {
    struct Case {
        QStringList options;
        const char* caption;
        const char* text;
        int endCode;
        const char* shot;
    };
    const Case cases[] = {
        {{"--old-module"},
         " .: Error ... ",
         "Tato verze programu spolupracuje s modulem Scope verze 2 a vyšší!\nVáš přístroj Vexor obsahuje "
         "verzi "
         "Scope 1.x. Inovujte modul Scope, nebo použijte starší verzi programu Wavix.exe.",
         1,
         "old_module.png"},
        // A module whose Scope runs unasked is asked for its record first, and that is refused.
        {{"--no-scope", "--module", "0x0061"},
         " .: Error ... ",
         "Čtečka neobsahuje modul SCOPE. Kontaktujte svého dodavatele ....",
         1,
         "no_scope.png"},
        // Any other module refuses the start of the Scope function already.
        {{"--no-scope"}, " .: ERROR ... ", "Unknown command ... ", 2, "no_scope_start_refused.png"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.options.join(' ').toStdString());
        WindowRun run;
        ModalWatcher watcher;
        watcher.shootBoxesAs({c.shot});
        ASSERT_TRUE(run.startWindow(c.options, false));
        ASSERT_TRUE(runUntil([&] { return run.dlg_->HasEnded(); }, 15000));
        ASSERT_EQ(watcher.boxes.size(), 1u);
        EXPECT_EQ(watcher.boxes[0].caption, c.caption);
        EXPECT_EQ(watcher.boxes[0].text, c.text);
        EXPECT_EQ(watcher.boxes[0].icon, QMessageBox::Critical);
        EXPECT_EQ(run.dlg_->EndCode(), c.endCode);
    }
}

} // namespace
} // namespace wavix::test
