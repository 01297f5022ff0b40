// The log download driven by the main window against vexor-sim: the module
// link is shut for the download, the window shows progress as blocks arrive,
// and closing the download brings the capture back without the busy question.

#include "core/settings/builtintexts.h"
#include "core/support/strformat.h"
#include "ui/dialogs/dlggetlogfiles.h"
#include "ui/main/logchartsui.h"
#include "window/windowsupport.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTreeWidget>

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

// The list shows every log with its size, all checked; only the checked ones are
// fetched, a log already on the PC is not replaced without asking, and Open shows
// the first one fetched in the log viewer.
TEST(WindowLogDownload, ChecksChooseTheLogsKeepsThePcsOwnAndOpensTheFirst) {
    QTemporaryDir testerDir;
    const std::filesystem::path tester = testerDir.path().toStdString();
    writeLog(tester / "osclog01.sdf", 20000, "Tester log", 1);
    const std::string second = randomBytes(3000, 5);
    std::ofstream(tester / "osclog02.sdf", std::ios::binary) << second;
    std::ofstream(tester / "osclog04.sdf", std::ios::binary) << randomBytes(1500, 7);

    WindowRun run;
    ASSERT_TRUE(run.prepare({"--files", testerDir.path()}));
    const std::filesystem::path logs = std::filesystem::path(run.dataDir()) / "Scope" / "LogCharts";
    std::filesystem::create_directories(logs);
    std::ofstream(logs / "osclog02.sdf", std::ios::binary) << "the PC's own";
    ASSERT_TRUE(run.open(StartupResult{}));
    CWavixDlg& dlg = *run.dlg;
    ASSERT_TRUE(run.capturing(3));

    ASSERT_TRUE(dlg.StartLogDownload());
    CDlgGetLogFiles* files = dlg.LogFilesDialog();
    ASSERT_NE(files, nullptr);
    auto* list = files->findChild<QTreeWidget*>("files");
    auto* download = files->findChild<QPushButton*>("downloadButton");
    auto* open = files->findChild<QPushButton*>("openButton");
    ASSERT_TRUE(list && download && open);
    EXPECT_EQ(open->text(), QStringLiteral("Otevřít"));
    EXPECT_EQ(list->headerItem()->text(1), QStringLiteral("Velikost"));
    ASSERT_TRUE(runUntil([&] { return download->isEnabled(); }, 20000));
    ASSERT_EQ(list->topLevelItemCount(), 3);
    const QString sizes[] = {
        QString::fromStdString(FormatByteSize(std::filesystem::file_size(tester / "osclog01.sdf"))),
        QStringLiteral("2.9 kB"), QStringLiteral("1.5 kB")};
    const char* names[] = {"osclog01.sdf", "osclog02.sdf", "osclog04.sdf"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(list->topLevelItem(i)->text(0), QLatin1String(names[i]));
        EXPECT_EQ(list->topLevelItem(i)->text(1), sizes[i]);
        EXPECT_EQ(list->topLevelItem(i)->checkState(0), Qt::Checked);
    }
    EXPECT_FALSE(open->isEnabled());
    shoot(*files, "logdownload_list.png");
    // Nothing checked, nothing to download.
    for (int i = 0; i < 3; ++i)
        list->topLevelItem(i)->setCheckState(0, Qt::Unchecked);
    EXPECT_FALSE(download->isEnabled());
    list->topLevelItem(0)->setCheckState(0, Qt::Checked);
    list->topLevelItem(1)->setCheckState(0, Qt::Checked);

    download->click();
    ASSERT_TRUE(runUntil([&] { return open->isEnabled(); }, 30000)) << files->LastBoxText();
    EXPECT_TRUE(std::filesystem::exists(logs / "osclog01.sdf"));
    EXPECT_FALSE(std::filesystem::exists(logs / "osclog04.sdf")) << "unchecked";
    // The boxes answer No: the PC's own file stays as it was, and the user was asked.
    EXPECT_EQ(readAll(logs / "osclog02.sdf"), "the PC's own");
    EXPECT_EQ(files->LastBoxText(), BuiltinText("TXT_1309"));

    open->click();
    ASSERT_TRUE(runUntil(
        [&] {
            return !files->isVisible() && !dlg.LogCharts().IsBusy() &&
                   dlg.LogCharts().Viewer().Navigator().HasLog();
        },
        20000));
    EXPECT_EQ(dlg.LogCharts().Viewer().Navigator().Total(), 20000);
    shoot(dlg, "logdownload_opened.png");
    dlg.reject();
}

} // namespace
} // namespace wavix::test
