// The log download driven by the main window against vexor-sim: the module
// link is shut for the download, the window shows progress as blocks arrive,
// and closing the download brings the capture back without the busy question.

#include "core/settings/builtintexts.h"
#include "ui/dialogs/dlggetlogfiles.h"
#include "window/windowsupport.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace wavix::test {
namespace {

std::string randomBytes(std::size_t n, quint32 seed) {
    QRandomGenerator rng(seed);
    std::string bytes(n, '\0');
    for (char& b : bytes)
        b = static_cast<char>(rng.bounded(256));
    return bytes;
}

std::string readAll(const std::filesystem::path& p) {
    QFile file(QString::fromStdString(p.string()));
    return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
}

TEST(WindowLogDownload, ShutsTheModuleLinkDownloadsWithProgressAndResumesTheCapture) {
    QTemporaryDir testerDir;
    const std::filesystem::path tester = testerDir.path().toStdString();
    const std::string big = randomBytes(400000, 1);
    const std::string small = randomBytes(3000, 3);
    std::ofstream(tester / "osclog01.sdf", std::ios::binary) << big;
    std::ofstream(tester / "osclog03.sdf", std::ios::binary) << small;

    WindowRun run;
    ASSERT_TRUE(run.start(StartupResult{}, {"--files", testerDir.path()}));
    CWavixDlg& dlg = *run.dlg;
    ASSERT_TRUE(run.capturing(3));
    ASSERT_TRUE(dlg.IsModuleLinkOpen());

    ASSERT_TRUE(dlg.StartLogDownload());
    EXPECT_FALSE(dlg.IsModuleLinkOpen());
    CDlgGetLogFiles* files = dlg.LogFilesDialog();
    ASSERT_NE(files, nullptr);
    EXPECT_TRUE(files->isVisible());
    auto* download = files->findChild<QPushButton*>("downloadButton");
    auto* close = files->findChild<QPushButton*>("closeButton");
    auto* progress = files->findChild<QProgressBar*>("progress");
    auto* message = files->findChild<QLabel*>("message");
    ASSERT_TRUE(download && close && progress && message);
    ASSERT_TRUE(runUntil([&] { return download->isEnabled(); }, 20000)) << message->text().toStdString();

    download->click();
    EXPECT_FALSE(download->isEnabled());
    // The window keeps answering while blocks arrive: the bar moves on its own.
    ASSERT_TRUE(runUntil([&] { return progress->value() >= 150; }, 30000)) << progress->value();
    EXPECT_FALSE(close->isEnabled());
    EXPECT_EQ(progress->maximum(), 391);
    shoot(*files, "logdownload_progress.png");

    ASSERT_TRUE(runUntil([&] { return close->isEnabled(); }, 60000));
    EXPECT_EQ(message->text().toStdString(), BuiltinText("TXT_1310")) << files->LastBoxText();
    const std::filesystem::path logs = std::filesystem::path(run.dataDir()) / "Scope" / "LogCharts";
    EXPECT_TRUE(readAll(logs / "osclog01.sdf") == big) << readAll(logs / "osclog01.sdf").size();
    EXPECT_TRUE(readAll(logs / "osclog03.sdf") == small) << readAll(logs / "osclog03.sdf").size();

    const int groups = dlg.ConvertedGroups();
    close->click();
    ASSERT_TRUE(runUntil([&] { return !files->isVisible(); }, 2000));
    EXPECT_TRUE(dlg.IsModuleLinkOpen());
    ASSERT_TRUE(run.capturing(groups + 3));
    dlg.reject();
}

} // namespace
} // namespace wavix::test
