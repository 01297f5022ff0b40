// The main window's tool strips and view bands against vexor-sim: hiding a
// strip gives its height to the views, multi-view stacks the views, the show
// flags are saved. With WAVIX_SHOTS_DIR set it also leaves pictures there.

#include "integration/simulator.h"
#include "ui/main/wavixdlg.h"
#include "ui/panels/scopectrlbase.h"
#include "ui/scope/cscope.h"
#include "ui/tools/dlgchannelinfo.h"
#include "ui/tools/dlgchanneloptions.h"
#include "ui/tools/dlgscopesettings.h"
#include "ui/tools/dlgscopetoolbar.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QTemporaryDir>
#include <QToolButton>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

namespace wavix::test {
namespace {

// The shipped data tree with the reader port moved to the simulator's.
bool copyData(const QString& to, std::uint16_t port) {
    const QString from = qEnvironmentVariable("WAVIX_BIN_DIR") + "/../Data";
    QDirIterator it(from, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString target = to + "/" + QDir(from).relativeFilePath(file);
        QDir().mkpath(QFileInfo(target).path());
        if (!QFile::copy(file, target))
            return false;
    }
    QFile general(to + "/Settings/General.ini");
    if (!general.open(QIODevice::ReadOnly))
        return false;
    QByteArray ini = general.readAll();
    general.close();
    ini.replace("ReaderPort=10000", "ReaderPort=" + QByteArray::number(port));
    return general.open(QIODevice::WriteOnly | QIODevice::Truncate) && general.write(ini) == ini.size();
}

bool waitFor(const std::function<bool()>& done, int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

void shot(QWidget& w, const char* name) {
    const char* dir = std::getenv("WAVIX_SHOTS_DIR");
    if (dir == nullptr || *dir == '\0')
        return;
    QDir().mkpath(QString::fromLocal8Bit(dir));
    w.grab().save(QString::fromLocal8Bit(dir) + "/" + name + ".png", "PNG");
}

TEST(WindowTools, StripsAndViewBandsShareTheClientAreaAndTheFlagsAreSaved) {
    Simulator sim;
    const std::uint16_t port = Simulator::freePort();
    ASSERT_TRUE(sim.start(port)) << sim.output().toStdString();
    QTemporaryDir dir;
    ASSERT_TRUE(copyData(dir.path(), port));
    WavixDlgOptions options;
    options.start = StartupResult{StartupChoice::Custom, 5, 2};
    options.dataDir = (dir.path() + "/").toStdString();
    options.boxAnswer = BoxAnswer::No;
    CWavixDlg dlg(options);
    ASSERT_TRUE(dlg.Initialise()) << dlg.LastBoxText();
    dlg.show();
    ASSERT_TRUE(
        waitFor([&] { return (dlg.Record().chann_num == 2 && dlg.ConvertedGroups() >= 3) || dlg.HasEnded(); },
                15000));
    ASSERT_FALSE(dlg.HasEnded()) << dlg.LastBoxText();

    // The shipped settings show both strips: toolbar at the bottom, settings above it.
    CDlgScopeToolBar* bar = dlg.ToolBar();
    CDlgScopeSettings* strip = dlg.SettingsWindow();
    ASSERT_TRUE(bar != nullptr && strip != nullptr);
    ASSERT_TRUE(bar->isVisible() && strip->isVisible());
    EXPECT_EQ(bar->height(), 80);
    EXPECT_EQ(strip->height(), 90);
    EXPECT_EQ(strip->geometry().bottom() + 1, bar->geometry().top());
    // The patched record is in force once the tester has answered it.
    EXPECT_TRUE(waitFor([&] { return bar->ChannelCountText() == QStringLiteral("Počet kanálů: 2"); }, 10000))
        << bar->ChannelCountText().toStdString();
    EXPECT_LE(dlg.View(0).geometry().bottom(), strip->geometry().top());
    // The information line fits its pane.
    auto* name = dlg.findChild<QLabel*>(QStringLiteral("ModuleName"));
    ASSERT_NE(name, nullptr);
    EXPECT_TRUE(name->text().startsWith(QStringLiteral("Samples/CH=")));
    EXPECT_GE(name->width(), name->fontMetrics().horizontalAdvance(name->text()));
    const int groups = dlg.ConvertedGroups();
    waitFor([&] { return dlg.ConvertedGroups() >= groups + 3; }, 5000);
    shot(dlg, "main_window");

    const int full = dlg.View(0).height();
    dlg.SetToolWindowVisible(ToolWindow::Toolbar, false);
    EXPECT_FALSE(bar->isVisible());
    EXPECT_EQ(dlg.View(0).height(), full + 80);
    dlg.SetToolWindowVisible(ToolWindow::Settings, false);
    EXPECT_EQ(dlg.View(0).height(), full + 170);
    dlg.SaveAllSettings();
    CProgramSettings saved;
    ASSERT_TRUE(saved.Load(options.dataDir, DefaultOscilExchange()));
    EXPECT_FALSE(saved.ShowToolbar());
    EXPECT_FALSE(saved.ShowSettingsWindow());
    dlg.SetToolWindowVisible(ToolWindow::Toolbar, true);
    dlg.SetToolWindowVisible(ToolWindow::Settings, true);
    EXPECT_EQ(dlg.View(0).height(), full);

    // The toolbar's view button: two channels in two equal bands, A above B.
    bar->Button(CDlgScopeToolBar::kViewMode)->click();
    ASSERT_TRUE(waitFor([&] { return dlg.View(1).isVisible() && !bar->IsSingleView(); }, 5000));
    const QRect a = dlg.View(0).geometry();
    const QRect b = dlg.View(1).geometry();
    EXPECT_LE(a.bottom(), b.top());
    EXPECT_LE(std::abs(a.height() - b.height()), 1);
    EXPECT_GE(a.height() + b.height(), full - 2);
    EXPECT_FALSE(dlg.View(2).isVisible());
    const int multiGroups = dlg.ConvertedGroups();
    waitFor([&] { return dlg.ConvertedGroups() >= multiGroups + 3; }, 5000);
    shot(dlg, "main_window_multiview");

    // Run/stop reaches the tester and comes back as the toolbar's state.
    bar->Button(CDlgScopeToolBar::kRunStop)->click();
    ASSERT_TRUE(waitFor([&] { return !bar->IsRunning(); }, 5000));
    EXPECT_EQ(bar->Button(CDlgScopeToolBar::kRunStop)->toolTip(),
              QStringLiteral("Zapnout aktualizaci grafu"));
    bar->Button(CDlgScopeToolBar::kRunStop)->click();
    ASSERT_TRUE(waitFor([&] { return bar->IsRunning(); }, 5000));

    // The logging look: only the log button is left, the panels are off.
    dlg.SetLoggingLook(true);
    EXPECT_FALSE(bar->Button(CDlgScopeToolBar::kPrint)->isEnabled());
    EXPECT_FALSE(strip->Panel(0)->isEnabled());
    shot(*bar, "toolbar_logging");
    dlg.SetLoggingLook(false);
    shot(*bar, "toolbar");
    shot(*strip, "settings_strip");

    // Channel options were filled by the rearrangement; show them.
    dlg.SetToolWindowVisible(ToolWindow::ChannelOptions, true);
    ASSERT_TRUE(waitFor([&] { return dlg.ChannelOptions()->List().Count() == 2; }, 5000));
    EXPECT_TRUE(dlg.IsToolWindowVisible(ToolWindow::ChannelOptions));
    EXPECT_EQ(dlg.ChannelOptions()->ShownTitle(), QStringLiteral("Channel 1"));
    shot(*dlg.ChannelOptions(), "channel_options");

    dlg.ShowChannelInfo(dlg.Channel(2));
    EXPECT_TRUE(dlg.IsToolWindowVisible(ToolWindow::ChannelInfo));
    EXPECT_EQ(dlg.ChannelInfoWindow()->FieldText(CDlgChannelInfo::kName), QStringLiteral(" Kanál 2 "));
    shot(*dlg.ChannelInfoWindow(), "channel_info");

    if (std::getenv("WAVIX_SHOTS_DIR") != nullptr) {
        auto menu = strip->BuildChannelMenu(const_cast<CChannelData&>(dlg.Channel(2)));
        menu->popup(strip->mapToGlobal(QPoint(40, 40)));
        waitFor([] { return false; }, 50);
        shot(*menu, "channel_menu");
        menu->close();
    }
}

} // namespace
} // namespace wavix::test
