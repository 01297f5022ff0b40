// The measurement table beside live captures from vexor-sim: stored rows come
// back, values follow the simulator's engine, a row that cannot be measured says
// why, Delete removes a row, and what the user left is there at the next start.
// With WAVIX_SHOT_DIR set it leaves a picture of the window and the table.

#include "core/app/mainmenu.h"
#include "core/app/measuretable.h"
#include "core/settings/datadirectory.h"
#include "core/settings/ini.h"
#include "ui/scope/cscope.h"
#include "ui/tools/dlgmeasuretable.h"
#include "window/windowsupport.h"

#include <QAction>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QPainter>
#include <QTableWidget>

#include <gtest/gtest.h>

namespace wavix::test {
namespace {

// The number a value cell begins with; NaN for a reason text.
double leadingNumber(const QString& text) {
    bool ok = false;
    const double v = text.section(QLatin1Char(' '), 0, 0).toDouble(&ok);
    return ok ? v : std::nan("");
}

QString cell(const CDlgMeasureTable& table, int row) {
    const QTableWidgetItem* item = table.Grid().item(row, 2);
    return item != nullptr ? item->text() : QString();
}

TEST(WindowMeasureTable, MeasuresLiveCapturesAndKeepsItsRowsForTheNextStart) {
    WindowRun run;
    ASSERT_TRUE(run.prepare({QStringLiteral("--rpm"), QStringLiteral("900")}));
    const CIni ini(run.dataDir() + "Settings/Wavix.ini");
    ASSERT_TRUE(ini.WriteString(kMeasureSection, "Rows", "1:rpm,3:injector_ms,4:teeth"));
    ASSERT_TRUE(ini.WriteUnsigned(kMeasureSection, "Show", 1, 10));
    // The shipped record: 20 ms/div, the four workshop signals in ranges that hold them.
    ASSERT_TRUE(run.open(StartupResult{StartupChoice::LastOnPc, 1, 1}));
    CWavixDlg& dlg = *run.dlg;
    CDlgMeasureTable* table = dlg.MeasureTable().Window();
    ASSERT_NE(table, nullptr);
    ASSERT_TRUE(table->isVisible());
    ASSERT_EQ(table->Grid().rowCount(), 3);

    // 900 rpm wandering a little, the injector open 3 ms; no wheel on the lambda sensor.
    const auto settled = [&] {
        return std::abs(leadingNumber(cell(*table, 0)) - 900.0) < 25.0 &&
               std::abs(leadingNumber(cell(*table, 1)) - 3.0) < 0.2;
    };
    EXPECT_TRUE(run.capturing(3, settled, 30000))
        << cell(*table, 0).toStdString() << " | " << cell(*table, 1).toStdString();
    EXPECT_TRUE(cell(*table, 0).endsWith(QStringLiteral(" rpm")));
    EXPECT_TRUE(cell(*table, 1).endsWith(QStringLiteral(" ms")));
    EXPECT_EQ(cell(*table, 2).toStdString(),
              table->Text(MeasureWhyKey(dlg.MeasureTable().Table().Results()[2].why)));
    EXPECT_FALSE(dlg.MeasureTable().Table().Results()[2].ok());
    if (shotsWanted()) {
        const QImage main = dlg.grab().toImage();
        const QImage side = table->grab().toImage();
        QImage both(main.width() + side.width(), std::max(main.height(), side.height()),
                    QImage::Format_RGB32);
        both.fill(Qt::darkGray);
        QPainter p(&both);
        p.drawImage(0, 0, main);
        p.drawImage(main.width(), 0, side);
        p.end();
        shoot(both, "measure_table_live.png");
    }

    // Added with the editor, removed with Delete; each edit is stored at once.
    ASSERT_TRUE(table->AddRow(2, "dwell_ms"));
    EXPECT_FALSE(table->AddRow(2, "dwell_ms")) << "a row is there once";
    table->Grid().setCurrentCell(2, 0);
    QKeyEvent del(QEvent::KeyPress, Qt::Key_Delete, Qt::NoModifier);
    QApplication::sendEvent(&table->Grid(), &del);
    EXPECT_EQ(ini.GetString(kMeasureSection, "Rows", ""), "1:rpm,3:injector_ms,2:dwell_ms");
    EXPECT_TRUE(run.moreGroups(2));
    EXPECT_GT(leadingNumber(cell(*table, 2)), 1.0) << cell(*table, 2).toStdString();

    // The span switch is kept; the view menu's command hides the window, which the next start keeps.
    table->findChild<QCheckBox*>(QStringLiteral("betweenCursors"))->setChecked(true);
    auto* command = dlg.findChild<QAction*>(QStringLiteral("cmd0x%1").arg(kMeasureTableCommand, 0, 16));
    ASSERT_NE(command, nullptr);
    command->trigger();
    EXPECT_FALSE(table->isVisible());
    run.dlg.reset();
    ASSERT_TRUE(run.open(StartupResult{StartupChoice::LastOnPc, 1, 1}));
    CDlgMeasureTable* again = run.dlg->MeasureTable().Window();
    EXPECT_FALSE(again->isVisible());
    EXPECT_TRUE(again->BetweenCursors());
    EXPECT_EQ(FormatMeasureRows(run.dlg->MeasureTable().Table()), "1:rpm,3:injector_ms,2:dwell_ms");
    command = run.dlg->findChild<QAction*>(QStringLiteral("cmd0x%1").arg(kMeasureTableCommand, 0, 16));
    command->trigger();
    EXPECT_TRUE(again->isVisible());

    // In the log viewer it measures the log's window: a sine of 2π·700 samples.
    ASSERT_TRUE(again->AddRow(1, "frequency_hz"));
    const std::filesystem::path log = std::filesystem::path(run.dataDir()) / kLogChartsFolder / "sine.sdf";
    std::filesystem::create_directories(log.parent_path());
    writeLog(log, 80000, "sine", 2);
    run.dlg->LogCharts().OpenFile(log);
    ASSERT_TRUE(runUntil([&] { return !run.dlg->LogCharts().IsBusy(); }, 10000));
    run.dlg->MeasureTable().Refresh();
    const CChannelData* shown = run.dlg->View(0).LiveChannel(0);
    ASSERT_NE(shown, nullptr);
    const double hz = 1.0 / (2.0 * M_PI * 700.0 * ChannelSignal(*shown).secondsPerSample);
    EXPECT_NEAR(leadingNumber(cell(*again, 3)), hz, hz * 0.01) << cell(*again, 3).toStdString();
    EXPECT_TRUE(cell(*again, 3).endsWith(QStringLiteral(" Hz")));
}

// Groups may come faster than the screen refreshes (about 117 a second at step
// 1 on an idle machine); a view is drawn at most once per refresh, not once per group.
TEST(WindowRepaint, GroupsFasterThanTheScreenShareDraws) {
    WindowRun run;
    ASSERT_TRUE(run.start(StartupResult{StartupChoice::Custom, 1, 4}));
    CWavixDlg& dlg = *run.dlg;
    ASSERT_TRUE(run.capturing(
        3, [&] { return run.startRecordInForce(); }, 30000));
    // Each pass of the event loop brings one group, as a fast tester does.
    QElapsedTimer clock;
    clock.start();
    const std::uint64_t renders = dlg.View(0).RenderCount();
    int passes = 0;
    while (clock.elapsed() < 300) {
        dlg.RedrawTraces();
        QCoreApplication::processEvents();
        ++passes;
    }
    runUntil([&] { return clock.elapsed() >= 340; }, 1000); // the last one drawn
    const auto drawn = static_cast<double>(dlg.View(0).RenderCount() - renders);
    const double seconds = static_cast<double>(clock.elapsed()) / 1000.0;
    EXPECT_GT(drawn, 0.0);
    EXPECT_LE(drawn, seconds * 1000.0 / CRefreshGate::kScreenIntervalMs + 2.0)
        << passes << " groups, " << drawn << " draws in " << seconds << " s";
}

} // namespace
} // namespace wavix::test
