// The main window's commands against vexor-sim: loading a capture beside the
// live traces (a bad file, the timebase prompt, the question about traces
// loaded already), the view context menu and "save settings".

#include "core/app/wavixcontroller.h"
#include "core/files/scopefile.h"
#include "core/settings/ini.h"
#include "core/settings/lastsettings.h"
#include "ui/dialogs/dlgchangetimebase.h"
#include "ui/scope/cscope.h"
#include "window/windowsupport.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>

#include <gtest/gtest.h>

#include <fstream>

namespace wavix::test {
namespace {

QAction* findAction(QWidget& menu, int id) {
    return menu.findChild<QAction*>(QStringLiteral("cmd0x%1").arg(id, 0, 16));
}

TEST(WindowCommands, LoadedCaptureSitsBesideTheLiveTraces) {
    WindowRun run;
    ASSERT_TRUE(run.prepare());
    const std::string dataDir = run.dataDir();
    const std::filesystem::path charts = std::filesystem::path(dataDir) / "Scope" / "UserCharts";
    std::filesystem::create_directories(charts);
    ASSERT_TRUE(writeChart(charts / "ref.sdf", 7, 2)); // another timebase
    std::ofstream(charts / "bad.sdf", std::ios::binary) << "OSC1 torn off";
    ASSERT_TRUE(run.open(StartupResult{StartupChoice::Custom, 5, 2}));
    CWavixDlg& dlg = *run.dlg;
    ASSERT_TRUE(run.capturing(
        2, [&] { return run.startRecordInForce(); }, 10000));

    std::string chosen;
    std::string startFolder;
    std::vector<std::pair<int, int>> prompts;
    CommandHooks hooks;
    hooks.chooseFile = [&](const std::string& folder) {
        startFolder = folder;
        return chosen;
    };
    hooks.changeTimeBase = [&](int current, int file) {
        prompts.emplace_back(current, file);
        return true;
    };
    std::optional<std::uint32_t> colour;
    hooks.chooseColour = [&](std::uint32_t) { return colour; };
    dlg.SetCommandHooks(hooks);

    // A damaged file: the box, and nothing loaded.
    chosen = (charts / "bad.sdf").string();
    dlg.LoadCapture();
    EXPECT_EQ(std::filesystem::path(startFolder), charts);
    EXPECT_EQ(dlg.LastBoxText(),
              " Při nahrávání průběhu vznikla chyba!\nPravděpodobně špatný soubor s průběhem.");
    EXPECT_FALSE(dlg.HasLoadedTraces());
    EXPECT_TRUE(prompts.empty());

    // Another timebase: the prompt, the record adapted, and both channels beside
    // the live ones in the one view shown, still there once the adapted record is in force.
    chosen = (charts / "ref.sdf").string();
    dlg.LoadCapture();
    EXPECT_EQ(prompts, (std::vector<std::pair<int, int>>{{5, 7}}));
    EXPECT_EQ(dlg.View(0).ReferenceCount(), 2);
    EXPECT_EQ(dlg.View(1).ReferenceCount(), 0);
    ASSERT_TRUE(run.capturing(
        dlg.ConvertedGroups() + 2, [&] { return dlg.Record().time_base_ENUM == 7; }, 10000))
        << "step " << dlg.Record().time_base_ENUM;
    EXPECT_EQ(dlg.View(0).ReferenceCount(), 2);
    EXPECT_EQ(dlg.View(0).LiveCount(), 2);
    shoot(dlg, "loaded_beside_live.png");

    // Loaded already: the question; No keeps the first capture beside the second.
    dlg.LoadCapture();
    EXPECT_EQ(dlg.LastBoxText(), "Chcete nejprve odstranit aktuálně nahrané průběhy?");
    EXPECT_EQ(prompts.size(), 1u); // the timebase agrees now
    EXPECT_EQ(dlg.View(0).ReferenceCount(), 4);

    // The context menu of view A lists both live and both loaded traces; drawing toggles.
    std::unique_ptr<QMenu> menu(dlg.CreateViewMenu(0));
    EXPECT_EQ(menu->title(), " Scope A ");
    for (const int id : {0x1E00, 0x1E01, 0x1F00, 0x1F01, 0x1A01, 0x1B00})
        ASSERT_NE(findAction(*menu, id), nullptr) << std::hex << id;
    EXPECT_TRUE(findAction(*menu, 0x1E00)->isChecked());
    if (shotsWanted()) {
        menu->popup(dlg.mapToGlobal(QPoint(200, 150)));
        auto* draw = qobject_cast<QMenu*>(findAction(*menu, 0x1E00)->parent());
        if (draw != nullptr)
            draw->popup(menu->geometry().topRight() + QPoint(0, 120));
        QCoreApplication::processEvents();
        shoot(*menu, "view_menu.png");
        if (draw != nullptr)
            shoot(*draw, "view_menu_draw.png");
        menu->hide();
    }
    dlg.HandleViewCommand(0, 0x1E00);
    EXPECT_FALSE(dlg.Channel(1).IsShown());
    menu.reset(dlg.CreateViewMenu(0));
    EXPECT_FALSE(findAction(*menu, 0x1E00)->isChecked());
    dlg.HandleViewCommand(0, 0x1E00);
    EXPECT_TRUE(dlg.Channel(1).IsShown());

    // A cancelled colour chooser changes nothing; a chosen one sets the view's colour.
    const std::uint32_t background = dlg.View(0).GetBackgroundColour();
    colour.reset();
    dlg.HandleViewCommand(0, 0x1000);
    EXPECT_EQ(dlg.View(0).GetBackgroundColour(), background);
    colour = 0x00203040u;
    dlg.HandleViewCommand(0, 0x1000);
    EXPECT_EQ(dlg.View(0).GetBackgroundColour(), 0x00203040u);
    dlg.HandleViewCommand(0, 0x2000);
    EXPECT_TRUE(dlg.IsDrawingLimits(0));

    // Toolbar code 5 moves every view on from view A's show mode, 3028 wrapping to 3025.
    ASSERT_EQ(dlg.View(0).GetDrawStyle(), 3028);
    dlg.Controller().OnMessage(Msg::UWM_DLG_SCOPE_TOOL_BAR, 0, Encode(ToolbarCommand::ShowMode));
    for (int v = 0; v < 4; ++v)
        EXPECT_EQ(dlg.View(v).GetDrawStyle(), 3025) << v;

    // "Save settings" writes the record and leaves the views' colours for the automatic save.
    const std::filesystem::path ini = std::filesystem::path(dataDir) / "Settings" / "Wavix.ini";
    CProgramSettings before;
    ASSERT_TRUE(before.Load(dataDir, DefaultOscilExchange()));
    ASSERT_TRUE(CIni(ini).WriteUnsigned(kLastSettingsSection, "chann_num", 4, 10));
    auto* bar = dlg.findChild<QMenuBar*>(QStringLiteral("mainMenu"));
    ASSERT_NE(bar, nullptr);
    QAction* save = findAction(*bar, 0x8010);
    ASSERT_NE(save, nullptr);
    EXPECT_EQ(save->text(), QStringLiteral("Uložit nastavení"));
    save->trigger();
    CProgramSettings after;
    ASSERT_TRUE(after.Load(dataDir, DefaultOscilExchange()));
    EXPECT_EQ(after.LastRecord().chann_num, 2);
    EXPECT_EQ(after.LastRecord().time_base_ENUM, 7u);
    EXPECT_EQ(after.View(0).bkgCol, before.View(0).bkgCol);

    dlg.RemoveLoadedTraces();
    EXPECT_FALSE(dlg.HasLoadedTraces());
    EXPECT_EQ(dlg.View(0).ReferenceCount(), 0);
    EXPECT_EQ(dlg.View(1).ReferenceCount(), 0);
    EXPECT_FALSE(dlg.HasEnded()) << dlg.LastBoxText();
}

TEST(WindowCommands, ChangeTimeBasePromptNamesBothTimebases) {
    CDlgChangeTimeBase prompt({}, 5, 7);
    EXPECT_EQ(prompt.windowTitle(), QStringLiteral("Upozornění"));
    EXPECT_EQ(prompt.findChild<QLabel*>(QStringLiteral("currentTimeBase"))->text(),
              QStringLiteral("2 ms/dílek"));
    EXPECT_EQ(prompt.findChild<QLabel*>(QStringLiteral("fileTimeBase"))->text(),
              QStringLiteral("10 ms/dílek"));
    prompt.show();
    QCoreApplication::processEvents();
    shoot(prompt, "change_timebase.png");
}

} // namespace
} // namespace wavix::test
