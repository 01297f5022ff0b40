// The calibration command of the main window against vexor-sim: refused while
// the capture is stopped; the module's answer to a right and a wrong password;
// and the boxes of testers whose Scope module cannot be driven.

#include "ui/scope/cscope.h"
#include "ui/tools/dlgscopetoolbar.h"
#include "window/windowsupport.h"

#include <QLineEdit>

#include <gtest/gtest.h>

namespace wavix::test {
namespace {

std::string infoLine(const WindowRun& run) {
    return run.dlg->PaneText(Pane::ModuleName).toStdString();
}

// The window on the tester's record, its boxes shown; false when it did not start.
bool startOn(WindowRun& run, const QStringList& simArgs, bool waitForCapture = true) {
    run.options.boxAnswer.reset();
    // Polling runs once the module's calibration record was read (the information line);
    // sample notices count settings changes too, so count them only from then on.
    return run.start(StartupResult{StartupChoice::Tester, 1, 1}, simArgs) &&
           (!waitForCapture || (run.capturing(0, [&] {
               return infoLine(run).find("CAL") != std::string::npos;
           }) && run.moreGroups(3)));
}

// The calibration dialog answered with the password; the boxes until the run ended.
std::vector<SeenBox> calibrate(WindowRun& run, const char* password, const std::string& shot) {
    ModalWatcher watcher([password](QDialog& dlg) {
        if (auto* field = dlg.findChild<QLineEdit*>(QStringLiteral("password"))) {
            field->setText(QString::fromLatin1(password));
            dlg.accept();
        }
    });
    watcher.shootBoxesAs({shot});
    run.dlg->RunCalibration();
    EXPECT_EQ(run.dlg->View(0).GetMessage(), "Probíhá kalibrace ... ");
    if (!runUntil([&] { return !watcher.boxes.empty(); }, 15000))
        ADD_FAILURE() << "no answer; status '" << run.dlg->PaneText(Pane::ModuleStatus).toStdString() << "'\n"
                      << run.sim.output().right(3000).toStdString();
    return watcher.boxes;
}

// Refused while stopped; once running, a wrong and then the right password: each
// answer of the module is shown and polling goes on.
TEST(WindowCalibration, RefusedWhileStoppedThenTheModulesAnswerToEachPassword) {
    WindowRun w;
    ASSERT_TRUE(startOn(w, {"--password", "4321"}));
    const auto stopped = [&] { return (w.dlg->Record().TR_mode & 0x8000) != 0; };
    w.dlg->PostToSelf(Msg::UWM_DLG_SCOPE_TOOL_BAR, 0, Encode(ToolbarCommand::RunStop)); // run/stop
    ASSERT_TRUE(runUntil(stopped, 5000));
    {
        bool dialogOpened = false;
        ModalWatcher watcher([&](QDialog& dlg) {
            dialogOpened = true;
            dlg.reject();
        });
        watcher.shootBoxesAs({"calibration_stopped.png"});
        w.dlg->RunCalibration();
        ASSERT_EQ(watcher.boxes.size(), 1u);
        EXPECT_EQ(watcher.boxes[0].caption, ".: Info ...");
        EXPECT_EQ(watcher.boxes[0].text, "Pro funkci kalibrace musí být osciloskop spuštěn!");
        EXPECT_EQ(watcher.boxes[0].icon, QMessageBox::Information);
        EXPECT_FALSE(dialogOpened);
    }
    w.dlg->PostToSelf(Msg::UWM_DLG_SCOPE_TOOL_BAR, 0, Encode(ToolbarCommand::RunStop));
    ASSERT_TRUE(runUntil([&] { return !stopped(); }, 5000));
    // Calibration asks the record the tester confirmed, which trails the local edit.
    ASSERT_TRUE(runUntil([&] { return w.dlg->ToolBar()->IsRunning(); }, 10000));
    ASSERT_TRUE(w.moreGroups(3));

    struct Case {
        const char* name;
        const char* typed;
        const char* caption;
        const char* text;
        QMessageBox::Icon icon;
        const char* infoLine; // a part of the information line afterwards
    };
    const Case cases[] = {
        {"refused", "1234", ".: Error ...",
         "Chybné heslo, čtečka není nakalibrována nebo vznikla jiná HW chyba - kontaktujte výrobce!",
         QMessageBox::Critical, "CalSetFailed"},
        {"done", "4321", ".: Info ...", "Kalibrace byla dokončena.", QMessageBox::Information, "CAL: "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string shot = std::string("calibration_") + c.name;
        const std::vector<SeenBox> boxes = calibrate(w, c.typed, shot + ".png");
        ASSERT_EQ(boxes.size(), 1u);
        EXPECT_EQ(boxes[0].caption, c.caption);
        EXPECT_EQ(boxes[0].text, c.text);
        EXPECT_EQ(boxes[0].icon, c.icon);
        EXPECT_NE(infoLine(w).find(c.infoLine), std::string::npos) << infoLine(w);
        EXPECT_TRUE(w.moreGroups(3)) << "polling resumed";
        shoot(*w.dlg, shot + "_window.png");
    }
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
        ASSERT_TRUE(startOn(run, c.options, false));
        ASSERT_TRUE(runUntil([&] { return run.dlg->HasEnded(); }, 15000));
        ASSERT_EQ(watcher.boxes.size(), 1u);
        EXPECT_EQ(watcher.boxes[0].caption, c.caption);
        EXPECT_EQ(watcher.boxes[0].text, c.text);
        EXPECT_EQ(watcher.boxes[0].icon, QMessageBox::Critical);
        EXPECT_EQ(run.dlg->EndCode(), c.endCode);
    }
}

} // namespace
} // namespace wavix::test
