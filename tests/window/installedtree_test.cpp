// An installed program (PREFIX/bin with a read-only PREFIX/share/wavix/Data)
// started three times for a user whose home is a scratch folder: the first
// start makes the per-user tree and says so in the status line, the second
// adds what went missing and keeps what the user changed, the third says
// nothing. The about box names the tree every time. Without a home the start
// ends with the reason.

#include "core/app/mainmenu.h"
#include "core/tempdir.h"
#include "ui/main/menubuilder.h"
#include "window/windowsupport.h"

#include <QAction>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>

#include <gtest/gtest.h>

#include <fstream>

namespace wavix::test {
namespace {

namespace fs = std::filesystem;

// The about box's caption and folder lines, read while it is open.
std::pair<std::string, std::string> aboutTree(CWavixDlg& dlg, const std::string& shot) {
    std::pair<std::string, std::string> seen;
    ModalWatcher watcher([&](QDialog& about) {
        if (auto* caption = about.findChild<QLabel*>(QStringLiteral("dataTreeCaption")))
            seen.first = caption->text().toStdString();
        if (auto* folder = about.findChild<QLabel*>(QStringLiteral("folder")))
            seen.second = folder->text().toStdString();
        if (!shot.empty())
            shoot(about, shot);
        about.reject();
    });
    for (QAction* a : dlg.findChild<QMenuBar*>()->findChildren<QAction*>())
        if (CommandIdOf(a) == static_cast<int>(MainCommand::About))
            a->trigger();
    return seen;
}

TEST(InstalledTree, FirstStartMakesTheUserTreeAndTellsWhere) {
    WindowRun run;
    ASSERT_TRUE(run.prepare());
    QTemporaryDir root;
    const fs::path prefix = fs::path(root.path().toStdString()) / "usr";
    const fs::path shipped = prefix / "share/wavix/Data";
    const fs::path home = fs::path(root.path().toStdString()) / "home";
    fs::create_directories(prefix / "bin");
    fs::create_directories(shipped);
    fs::create_directories(home);
    fs::copy(run.dataDir(), shipped, fs::copy_options::recursive);
    for (const auto& entry : fs::recursive_directory_iterator(shipped))
        if (entry.is_regular_file())
            fs::permissions(entry.path(),
                            fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    run.options.dataDir.clear();
    run.options.programFolder = (prefix / "bin").string() + "/";
    run.options.environment = DataTreeEnvironment{home.string(), ""};
    const std::string tree = (home / ".local/share/wavix/Data").string() + "/";
    const std::string from = shipped.string() + "/";

    const struct Start {
        const char* name;
        std::function<void()> before;
        DataTreeState state;
        std::string message;
    } starts[] = {
        {"first", {}, DataTreeState::Created, "Datová složka " + tree + " vytvořena z " + from},
        {"second",
         [&] {
             fs::remove(fs::path(tree) / "Lang/English.lng");
             std::ofstream(fs::path(tree) / "Settings/Wavix.ini", std::ios::app) << "; mine\n";
         },
         DataTreeState::Added, "Datová složka " + tree + " doplněna z " + from + " (nových souborů: 1)"},
        {"third", {}, DataTreeState::InUse, ""},
    };
    for (const Start& s : starts) {
        SCOPED_TRACE(s.name);
        if (s.before)
            s.before();
        run.dlg.reset();
        ASSERT_TRUE(run.open(StartupResult{StartupChoice::LastOnPc, 1, 1}));
        CWavixDlg& dlg = *run.dlg;
        EXPECT_EQ(dlg.DataTree().state, s.state) << DataTreeReport(dlg.DataTree());
        EXPECT_EQ(dlg.DataTree().dataDir, tree);
        const QStatusBar& bar = *dlg.findChild<QStatusBar*>();
        runUntil([&] { return !bar.currentMessage().isEmpty(); }, s.message.empty() ? 500 : 5000);
        EXPECT_EQ(bar.currentMessage().toStdString(), s.message);
        // The line in place of the panes, not under them.
        EXPECT_EQ(bar.findChild<QLabel*>(QStringLiteral("LinkState"))->isVisible(), s.message.empty());
        const std::string name = std::string("installed-") + s.name;
        if (!s.message.empty())
            shoot(dlg, name + "-start.png");
        EXPECT_EQ(aboutTree(dlg, s.state == DataTreeState::Created ? name + "-about.png" : ""),
                  std::make_pair(std::string("Datová složka:"), tree));
    }
    EXPECT_TRUE(fs::exists(fs::path(tree) / "Lang/English.lng"));
    EXPECT_NE(test::readFile(fs::path(tree) / "Settings/Wavix.ini").find("; mine\n"), std::string::npos);

    // Nowhere to put a tree: the start ends with the reason in a box.
    run.dlg.reset();
    run.options.environment = DataTreeEnvironment{};
    run.options.boxAnswer.reset();
    ModalWatcher watcher;
    watcher.shootBoxesAs({"installed-no-home.png"});
    CWavixDlg homeless(run.options);
    EXPECT_FALSE(homeless.Initialise());
    EXPECT_EQ(homeless.EndCode(), 1);
    ASSERT_EQ(watcher.boxes.size(), 1u);
    EXPECT_EQ(watcher.boxes[0].text, " Data directory not found ... \nno data tree made from " + from +
                                         ": neither XDG_DATA_HOME nor HOME names an absolute folder");
}

} // namespace
} // namespace wavix::test
