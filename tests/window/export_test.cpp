// File menu exports of a live capture from vexor-sim: the CSV holds the view's
// channels with names and units, one row per sample of the span, the values
// the view holds; the picture is the view at its size. Nothing shown: refused.
// With WAVIX_SHOT_DIR set the picture is also kept there for a human to look at.

#include "core/analysis/channelscale.h"
#include "core/app/mainmenu.h"
#include "core/scope/channeldata.h"
#include "ui/main/exportui.h"
#include "ui/scope/cscope.h"
#include "window/windowsupport.h"

#include <QAction>
#include <QImage>
#include <QStatusBar>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace wavix::test {
namespace {

std::vector<std::string> linesOf(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::vector<double> fieldsOf(const std::string& line) {
    std::vector<double> values;
    std::istringstream in(line);
    for (std::string field; std::getline(in, field, ',');)
        values.push_back(std::stod(field));
    return values;
}

TEST(WindowExport, CsvAndPictureOfTheLiveViewAndARefusalWithoutData) {
    WindowRun run;
    ASSERT_TRUE(run.start(StartupResult{StartupChoice::Custom, 7, 2}));
    CWavixDlg& dlg = *run.dlg;
    CScope& view = dlg.View(0);
    ASSERT_TRUE(run.capturing(3, [&] {
        return view.LiveCount() == 2 && view.LiveChannel(0)->GetSampleCount() > 0 &&
               view.LiveChannel(1)->GetSampleCount() > 0;
    }));

    std::filesystem::path asked = std::filesystem::path(run.dataDir()) / "first";
    dlg.Exports().SetChooser([&](const QString&, const QString&) { return asked; });
    ASSERT_TRUE(dlg.Exports().Export(view, ExportFormat::Csv)) << dlg.LastBoxText();
    // Compared before any event lets a new capture in.
    const CChannelData& ch1 = *view.LiveChannel(0);
    const CChannelData& ch2 = *view.LiveChannel(1);
    const CChannelScale s1(ch1);
    const CChannelScale s2(ch2);
    const std::vector<std::string> rows = linesOf(asked.string() + ".csv");
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows[0], "time [s],CH1 [" + s1.Unit() + "],CH2 [" + s2.Unit() + "]");
    EXPECT_EQ(rows.size(), std::size_t{ch1.GetSampleCount()} + 1);
    for (const std::uint32_t k : {0u, ch1.GetSampleCount() / 2, ch1.GetSampleCount() - 1}) {
        const std::vector<double> f = fieldsOf(rows.at(k + 1));
        ASSERT_EQ(f.size(), 3u) << rows.at(k + 1);
        EXPECT_NEAR(f[1], s1.Value(ch1.GetSample(k)), 1e-5 * (1 + std::abs(f[1]))) << k;
        EXPECT_NEAR(f[2], s2.Value(ch2.GetSample(k)), 1e-5 * (1 + std::abs(f[2]))) << k;
    }
    EXPECT_EQ(dlg.findChild<QStatusBar*>()->currentMessage().toStdString(),
              "Exportováno do " + asked.string() + ".csv");

    // Zoomed, the question is answered No: the whole capture still.
    ASSERT_TRUE(view.Zoom().WheelZoom(view.width() / 2, 3.0));
    ASSERT_TRUE(view.Zoom().IsZoomed());
    asked = std::filesystem::path(run.dataDir()) / "whole.CSV";
    ASSERT_TRUE(dlg.Exports().Export(view, ExportFormat::Csv));
    EXPECT_EQ(linesOf(asked).size(), std::size_t{view.LiveChannel(0)->GetSampleCount()} + 1);

    // The picture through the file menu's item, as the user picks it.
    asked = std::filesystem::path(run.dataDir()) / "view.png";
    QAction* item = dlg.findChild<QAction*>(
        QStringLiteral("cmd0x%1").arg(static_cast<int>(MainCommand::ExportPicture), 0, 16));
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->text(), QStringLiteral("Exportovat obrázek ..."));
    item->trigger();
    ASSERT_TRUE(std::filesystem::exists(asked)) << dlg.LastBoxText();
    const QImage picture(QString::fromStdString(asked.string()));
    EXPECT_EQ(picture.size(), view.size());
    EXPECT_GT(picture.size().width(), 100);
    keepFile(QString::fromStdString(asked.string()), QStringLiteral("export-view.png"));

    // A view without channels: a box says why, no chooser, no file.
    bool chosen = false;
    dlg.Exports().SetChooser([&](const QString&, const QString&) {
        chosen = true;
        return std::filesystem::path(run.dataDir()) / "empty.csv";
    });
    CScope& empty = dlg.View(3);
    empty.ClearChannels();
    EXPECT_FALSE(dlg.Exports().Export(empty, ExportFormat::Csv));
    EXPECT_FALSE(chosen);
    EXPECT_EQ(dlg.LastBoxText(), "Není co exportovat: zobrazení nemá žádná data.");
    dlg.reject();
}

} // namespace
} // namespace wavix::test
