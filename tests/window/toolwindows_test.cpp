// The main window's tool strips and view bands against vexor-sim: hiding a
// strip gives its height to the views, multi-view stacks the views; the strips
// by themselves are the ui tests'. With WAVIX_SHOT_DIR set it leaves pictures.

#include "ui/panels/scopectrlbase.h"
#include "ui/scope/cscope.h"
#include "ui/tools/dlgchannelinfo.h"
#include "ui/tools/dlgchanneloptions.h"
#include "ui/tools/dlgscopesettings.h"
#include "ui/tools/dlgscopetoolbar.h"
#include "window/windowsupport.h"

#include <QLabel>
#include <QMenu>
#include <QToolButton>

#include <gtest/gtest.h>

namespace wavix::test {
namespace {

TEST(WindowTools, StripsAndViewBandsShareTheClientArea) {
    WindowRun run;
    ASSERT_TRUE(run.start(StartupResult{StartupChoice::Custom, 5, 2}));
    CWavixDlg& dlg = *run.dlg;
    ASSERT_TRUE(run.capturing(3, [&] { return dlg.Record().chann_num == 2; }));

    // The shipped settings show both strips: toolbar at the bottom, settings above it.
    CDlgScopeToolBar* bar = dlg.ToolBar();
    CDlgScopeSettings* strip = dlg.SettingsWindow();
    ASSERT_TRUE(bar != nullptr && strip != nullptr);
    ASSERT_TRUE(bar->isVisible() && strip->isVisible());
    EXPECT_EQ(bar->height(), 80);
    EXPECT_EQ(strip->height(), 90);
    EXPECT_EQ(strip->geometry().bottom() + 1, bar->geometry().top());
    // The patched record is in force once the tester has answered it.
    EXPECT_TRUE(runUntil([&] { return bar->ChannelCountText() == QStringLiteral("Počet kanálů: 2"); }, 10000))
        << bar->ChannelCountText().toStdString();
    EXPECT_LE(dlg.View(0).geometry().bottom(), strip->geometry().top());
    // Outside roll mode the log command only explains.
    dlg.ToggleRollLog();
    EXPECT_EQ(dlg.LastBoxText(), "Pro ukládání logu je třeba přepnout osciloskop do módu ROLL!");
    EXPECT_FALSE(dlg.IsRollLogOpen());
    // The information line fits its pane.
    auto* name = dlg.findChild<QLabel*>(QStringLiteral("ModuleName"));
    ASSERT_NE(name, nullptr);
    EXPECT_TRUE(name->text().startsWith(QStringLiteral("Samples/CH=")));
    EXPECT_GE(name->width(), name->fontMetrics().horizontalAdvance(name->text()));
    const int groups = dlg.ConvertedGroups();
    runUntil([&] { return dlg.ConvertedGroups() >= groups + 3; }, 5000);
    shoot(dlg, "main_window.png");

    const int full = dlg.View(0).height();
    dlg.SetToolWindowVisible(ToolWindow::Toolbar, false);
    EXPECT_FALSE(bar->isVisible());
    EXPECT_EQ(dlg.View(0).height(), full + 80);
    dlg.SetToolWindowVisible(ToolWindow::Settings, false);
    EXPECT_EQ(dlg.View(0).height(), full + 170);
    dlg.SetToolWindowVisible(ToolWindow::Toolbar, true);
    dlg.SetToolWindowVisible(ToolWindow::Settings, true);
    EXPECT_EQ(dlg.View(0).height(), full);

    // The toolbar's view button: two channels in two equal bands, A above B.
    bar->Button(ToolbarCommand::ViewMode)->click();
    ASSERT_TRUE(runUntil([&] { return dlg.View(1).isVisible() && !bar->IsSingleView(); }, 5000));
    const QRect a = dlg.View(0).geometry();
    const QRect b = dlg.View(1).geometry();
    EXPECT_LE(a.bottom(), b.top());
    EXPECT_LE(std::abs(a.height() - b.height()), 1);
    EXPECT_GE(a.height() + b.height(), full - 2);
    EXPECT_FALSE(dlg.View(2).isVisible());
    const int multiGroups = dlg.ConvertedGroups();
    runUntil([&] { return dlg.ConvertedGroups() >= multiGroups + 3; }, 5000);
    shoot(dlg, "main_window_multiview.png");

    shoot(*bar, "toolbar.png");
    shoot(*strip, "settings_strip.png");

    // Channel options were filled by the rearrangement; show them.
    dlg.SetToolWindowVisible(ToolWindow::ChannelOptions, true);
    ASSERT_TRUE(runUntil([&] { return dlg.ChannelOptions()->List().Count() == 2; }, 5000));
    EXPECT_EQ(dlg.ChannelOptions()->ShownTitle(), QStringLiteral("Channel 1"));
    shoot(*dlg.ChannelOptions(), "channel_options.png");

    dlg.ShowChannelInfo(dlg.Channel(2));
    EXPECT_TRUE(dlg.IsToolWindowVisible(ToolWindow::ChannelInfo));
    EXPECT_EQ(dlg.ChannelInfoWindow()->FieldText(CDlgChannelInfo::kName), QStringLiteral(" Kanál 2 "));
    shoot(*dlg.ChannelInfoWindow(), "channel_info.png");

    if (shotsWanted()) {
        auto menu = strip->BuildChannelMenu(const_cast<CChannelData&>(dlg.Channel(2)));
        menu->popup(strip->mapToGlobal(QPoint(40, 40)));
        runUntil([] { return false; }, 50);
        shoot(*menu, "channel_menu.png");
        menu->close();
    }
}

} // namespace
} // namespace wavix::test
