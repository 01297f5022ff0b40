// Charts kept and compared in the real window: the status line after a save,
// the book's tab of the user's charts, a chart opened beside the live traces
// with its legend, and a chart of more channels than are active shown whole.

#include "core/display/comparison.h"
#include "ui/dialogs/dlgscopebook.h"
#include "ui/scope/cscope.h"
#include "window/windowsupport.h"

#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTreeWidget>

#include <gtest/gtest.h>

namespace wavix::test {
namespace {

bool hasRow(const CScope& view, const std::string& text) {
    for (const LegendRow& row : view.LegendRows())
        if (row.text == text)
            return true;
    return false;
}

TEST(WindowCharts, SavedChartIsFoundInTheBookAndComparedWithALegend) {
    WindowRun run;
    ASSERT_TRUE(run.prepare());
    const std::filesystem::path charts = std::filesystem::path(run.dataDir()) / "Scope" / "UserCharts";
    std::filesystem::create_directories(charts);
    ASSERT_TRUE(writeChart(charts / "octavia.sdf", 5, 4, "Octavia, čtyři kanály"));
    ASSERT_TRUE(run.open(StartupResult{StartupChoice::Custom, 5, 2}));
    CWavixDlg& dlg = *run.dlg;
    ASSERT_TRUE(run.capturing(
        2, [&] { return run.startRecordInForce(); }, 10000));

    // Saved: the status line says where to.
    ASSERT_TRUE(
        run.capturing(dlg.ConvertedGroups() + 1, [&] { return dlg.Channel(1).GetSampleCount() > 0; }));
    const std::filesystem::path saved = charts / "volnobeh.sdf";
    dlg.SetScriptedSavePath(saved.string());
    dlg.SaveCapture(0);
    ASSERT_TRUE(std::filesystem::exists(saved));
    auto* status = dlg.findChild<QStatusBar*>();
    ASSERT_NE(status, nullptr);
    EXPECT_EQ(status->currentMessage(), QString::fromStdString("Průběh uložen do " + saved.string()));

    // Four channels with two active in one view: all four are there, not only the first.
    CommandHooks hooks;
    hooks.chooseFile = [&](const std::string&) { return (charts / "octavia.sdf").string(); };
    hooks.changeTimeBase = [](int, int) { return false; };
    dlg.SetCommandHooks(hooks);
    dlg.LoadCapture();
    EXPECT_EQ(dlg.View(0).ReferenceCount(), 4);
    EXPECT_TRUE(hasRow(dlg.View(0), "CH4 Octavia, čtyři kanály"));
    ASSERT_TRUE(run.moreGroups(2));
    EXPECT_EQ(dlg.View(0).ReferenceCount(), 4); // after the next arrangement too
    shoot(dlg, "charts_four_of_two.png");
    dlg.RemoveLoadedTraces();

    // The book lists it on the user's tab; Open puts it beside the live traces.
    bool listed = false;
    ModalWatcher watcher([&](QDialog& dialog) {
        auto* book = qobject_cast<CDlgScopeBook*>(&dialog);
        if (book == nullptr)
            return dialog.reject();
        child<QTabWidget>(*book, "bookTabs")->setCurrentIndex(1);
        auto* list = child<QTreeWidget>(*book, "userList");
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            if (list->topLevelItem(i)->text(0) == QStringLiteral("volnobeh")) {
                listed = true;
                list->setCurrentItem(list->topLevelItem(i));
            }
        shoot(*book, "charts_user_tab.png");
        child<QPushButton>(*book, "openUserButton")->click();
    });
    dlg.OpenScopeBook();
    EXPECT_TRUE(listed);
    ASSERT_EQ(dlg.View(0).ReferenceCount(), 2);
    for (const char* row : {"CH1 živě", "CH2 živě", "CH1 volnobeh", "CH2 volnobeh"})
        EXPECT_TRUE(hasRow(dlg.View(0), row)) << row;
    ASSERT_TRUE(
        run.capturing(dlg.ConvertedGroups() + 2, [&] { return dlg.Channel(1).GetSampleCount() > 0; }));
    shoot(dlg, "charts_comparison.png");
    EXPECT_FALSE(dlg.HasEnded()) << dlg.LastBoxText();
}

} // namespace
} // namespace wavix::test
