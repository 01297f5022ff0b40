#include "core/settings/builtintexts.h"
#include "ui/panels/scopectrlbase.h"
#include "ui/scope/cscope.h"
#include "ui/tools/dlgscopesettings.h"
#include "ui/tools/dlgscopetoolbar.h"
#include "window/windowsupport.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QRegularExpression>
#include <QToolButton>

#include <cstring>

namespace wavix::test {
namespace {

const StartupResult kTester{StartupChoice::Tester, 1, 1};

// A panel takes no second key press while the first one still flashes.
void press(CScopeCtrlBase* panel, Qt::Key key) {
    runUntil([&] { return !panel->IsKeyFlashing(); }, 5000);
    QKeyEvent e(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(panel, &e);
}

TEST(WindowLink, NoTesterAtTheAddressIsSaidWithinThreeSeconds) {
    WindowRun run;
    const std::uint16_t port = Simulator::freePort(); // nobody listens there
    ASSERT_TRUE(copyDataTree(run.dir.path(), port));
    run.options.dataDir = run.dataDir();
    QElapsedTimer since;
    since.start();
    ASSERT_TRUE(run.open(kTester));
    const std::string endpoint = std::string(Simulator::kAddress) + ":" + std::to_string(port);
    const std::string said = "Tester na adrese " + endpoint + " neodpovídá, zkouším to znovu ...";
    ASSERT_TRUE(runUntil([&] { return run.dlg->PaneText(Pane::ModuleStatus).toStdString() == said; }, 3500))
        << run.dlg->PaneText(Pane::ModuleStatus).toStdString();
    EXPECT_LT(since.elapsed(), 3000);
    EXPECT_EQ(run.dlg->View(0).GetMessage(), said);
    EXPECT_EQ(run.dlg->PaneText(Pane::Link).toStdString(), endpoint + ": neodpovídá");
    shoot(*run.dlg, "no-tester.png");

    // No record in force: no panel shows a value made up from an empty record, no key edits one.
    const CDlgScopeSettings& panels = *run.dlg->SettingsWindow();
    const std::vector<std::string> none{"--"};
    for (int i = 0; i < CDlgScopeSettings::kPanelCount; ++i)
        EXPECT_EQ(panels.Panel(i)->GetValues(), none) << "panel " << i;
    EXPECT_EQ(panels.Panel(4)->GetText(), " .: Spouštění ");
    EXPECT_EQ(run.dlg->ToolBar()->ChannelCountText().toStdString(), "Počet kanálů: --");
    const tOscilExchange before = run.dlg->Record();
    for (const Qt::Key key : {Qt::Key_Up, Qt::Key_Down, Qt::Key_C})
        press(panels.Panel(0), key);
    press(panels.Panel(5), Qt::Key_Right);
    EXPECT_EQ(std::memcmp(&before, &run.dlg->Record(), sizeof before), 0);

    // A tester that comes up later is found without a click, and its record fills the panels.
    ASSERT_TRUE(run.sim.start(port));
    EXPECT_TRUE(run.capturing(3));
    EXPECT_TRUE(
        runUntil([&] { return run.dlg->PaneText(Pane::Link).contains(QStringLiteral("běží")); }, 3000))
        << run.dlg->PaneText(Pane::Link).toStdString();
    ASSERT_EQ(panels.Panel(0)->GetValues().size(), 1u);
    // The panels follow the record's notices, which may trail the first groups.
    EXPECT_TRUE(runUntil(
        [&] {
            const auto values = panels.Panel(5)->GetValues();
            return !values.empty() && values[0].find("s/dílek") != std::string::npos;
        },
        5000));
    EXPECT_NE(panels.Panel(0)->GetValues()[0].find(" V/dílek"), std::string::npos)
        << panels.Panel(0)->GetValues()[0];
    EXPECT_NE(panels.Panel(5)->GetValues()[0].find("s/dílek"), std::string::npos)
        << panels.Panel(5)->GetValues()[0];
    const QString count = QStringLiteral("Počet kanálů: %1").arg(run.dlg->Record().chann_num);
    EXPECT_TRUE(runUntil([&] { return run.dlg->ToolBar()->ChannelCountText() == count; }, 5000))
        << run.dlg->ToolBar()->ChannelCountText().toStdString();
}

TEST(WindowLink, ThePaneShowsTheRunAndALossMarksTheLastCapture) {
    WindowRun run;
    ASSERT_TRUE(run.start(kTester));
    ASSERT_TRUE(run.capturing(5));
    // Captures per second are counted over a whole second; the word takes the form of the number.
    const QRegularExpression running(
        QStringLiteral("^127\\.0\\.0\\.2:\\d+: běží, ([1-9]\\d*) (záznam|záznamy|záznamů)/s$"));
    QRegularExpressionMatch shown;
    ASSERT_TRUE(
        runUntil([&] { return (shown = running.match(run.dlg->PaneText(Pane::Link))).hasMatch(); }, 4000))
        << run.dlg->PaneText(Pane::Link).toStdString();
    const int rate = shown.captured(1).toInt();
    EXPECT_EQ(shown.captured(2), rate == 1   ? QStringLiteral("záznam")
                                 : rate <= 4 ? QStringLiteral("záznamy")
                                             : QStringLiteral("záznamů"));
    shoot(*run.dlg, "link-running.png");

    // Lost first, then no answer: the trace on screen stays marked as the last capture all along.
    ASSERT_TRUE(run.sim.stop());
    ASSERT_TRUE(
        runUntil([&] { return run.dlg->PaneText(Pane::Link).contains(QStringLiteral("ztraceno")); }, 5000))
        << run.dlg->PaneText(Pane::Link).toStdString();
    EXPECT_NE(run.dlg->View(0).GetMessage().find("Poslední záznam "), std::string::npos)
        << run.dlg->View(0).GetMessage();
    ASSERT_TRUE(runUntil(
        [&] { return run.dlg->PaneText(Pane::Link).endsWith(QStringLiteral(": neodpovídá")); }, 8000))
        << run.dlg->PaneText(Pane::Link).toStdString();
    EXPECT_NE(run.dlg->View(0).GetMessage().find("Poslední záznam "), std::string::npos)
        << run.dlg->View(0).GetMessage();
    EXPECT_FALSE(run.dlg->HasEnded());
}

// Waits until the channels hold the record the window last sent: an edit made
// while the tester still answers an earlier one would be undone by that answer.
bool inForce(WindowRun& run) {
    return runUntil(
        [&] {
            const CChannelData& ch = run.dlg->Channel(1);
            const tOscilExchange& rec = run.dlg->Record();
            return static_cast<std::uint32_t>(ch.GetTimeBaseStep()) == rec.time_base_ENUM &&
                   ch.GetTriggerMode() == rec.TR_mode && run.dlg->View(0).LiveCount() == rec.chann_num;
        },
        10000);
}

TEST(WindowLink, TheSetUpMadeInTheWindowComesBackAfterATesterRestart) {
    constexpr std::uint32_t kStep = 6; // 5 ms/div
    WindowRun run;
    // The first power cycle comes once the set-up is made; the loss is seen 3 s later.
    ASSERT_TRUE(run.start(kTester, {"--restart-every", "15"}));
    ASSERT_TRUE(run.capturing(2));
    CWavixDlg& dlg = *run.dlg;
    ASSERT_TRUE(inForce(run));
    const CDlgScopeSettings& panels = *dlg.SettingsWindow();
    for (int i = 0; i < 14 && dlg.Record().time_base_ENUM != kStep; ++i) {
        press(panels.Panel(5), dlg.Record().time_base_ENUM < kStep ? Qt::Key_Right : Qt::Key_Left);
        ASSERT_TRUE(inForce(run));
    }
    for (int i = 0; i < 4 && dlg.Record().chann_num != 4; ++i) {
        dlg.PostToSelf(Msg::UWM_DLG_SCOPE_TOOL_BAR, 0, Encode(ToolbarCommand::ChannelsUp));
        ASSERT_TRUE(
            runUntil([&] { return dlg.Record().chann_num > i + 1 || dlg.Record().chann_num == 4; }, 5000));
        ASSERT_TRUE(inForce(run));
    }
    ASSERT_EQ(dlg.Record().time_base_ENUM, kStep);
    ASSERT_EQ(dlg.Record().chann_num, 4);
    const qsizetype madeAt = run.sim.output().size();

    ASSERT_TRUE(runUntil([&] { return run.sim.output().indexOf("power cycle", madeAt) >= 0; }, 25000));
    // The status line tells, and the set-up is in force again with captures coming.
    const QString restored = QString::fromUtf8(BuiltinText("TXT_1530"));
    bool told = false;
    ASSERT_TRUE(runUntil(
        [&] {
            told = told || dlg.PaneText(Pane::ModuleStatus) == restored;
            return told && dlg.Channel(1).GetTimeBaseStep() == static_cast<int>(kStep) &&
                   dlg.View(0).LiveCount() == 4;
        },
        15000))
        << told << " " << dlg.PaneText(Pane::ModuleStatus).toStdString() << " step "
        << dlg.Channel(1).GetTimeBaseStep();
    ASSERT_TRUE(run.moreGroups(3));
    EXPECT_EQ(dlg.Record().time_base_ENUM, kStep);
    EXPECT_EQ(dlg.Record().chann_num, 4);
    // Still there to be read while the captures come.
    EXPECT_EQ(dlg.PaneText(Pane::ModuleStatus), restored);
    shoot(dlg, "restored.png");

    // The tester itself was given the set-up again after its power cycle.
    const QByteArray log = run.sim.output();
    const qsizetype cycle = log.indexOf("power cycle", madeAt);
    EXPECT_GT(log.indexOf("settings applied: 4 ch, 5 ms/div", cycle), cycle) << log.mid(madeAt).toStdString();

    // The next edit has the status line again.
    press(panels.Panel(5), Qt::Key_Left);
    EXPECT_TRUE(runUntil([&] { return dlg.PaneText(Pane::ModuleStatus) != restored; }, 5000));
}

TEST(WindowLink, RunSingleAndConnectButtonsTellTheTruth) {
    WindowRun run;
    run.options.boxAnswer = BoxAnswer::Yes;
    ASSERT_TRUE(run.start(kTester));
    ASSERT_TRUE(run.capturing(2));
    CWavixDlg& dlg = *run.dlg;
    QToolButton* runStop = dlg.ToolBar()->Button(ToolbarCommand::RunStop);
    QToolButton* connect = dlg.ToolBar()->Button(ToolbarCommand::Connect);
    ASSERT_TRUE(runStop != nullptr && connect != nullptr);
    ASSERT_TRUE(inForce(run));
    dlg.PostToSelf(Msg::UWM_DLG_SCOPE_TOOL_BAR, 0, Encode(ToolbarCommand::RunStop));
    ASSERT_TRUE(runUntil([&] { return runStop->text() == QStringLiteral("Start"); }, 5000));
    EXPECT_EQ(runStop->toolTip(), QStringLiteral("Zapnout aktualizaci grafu"));
    ASSERT_TRUE(inForce(run)); // an answer still under way would undo the chart's record

    // "Nahrát nastavení i průběhy" while stopped: the chart's record goes out and runs.
    auto chart = std::make_unique<CScopeFile>();
    ASSERT_TRUE(chart->Load(std::filesystem::path(run.dataDir()) / "Scope" / "SampleCharts" /
                            "Vackova_hridel_Hall.sdf"));
    const int chartMode = chart->GetChannel(0)->GetTriggerMode();
    dlg.LoadBookChart(std::move(chart), true);
    ASSERT_EQ(dlg.Record().TR_mode, chartMode);
    ASSERT_TRUE(inForce(run));
    ASSERT_TRUE(run.moreGroups(3));
    EXPECT_EQ(runStop->text(), QStringLiteral("Stop"));
    EXPECT_EQ(runStop->toolTip(), QStringLiteral("Vypnout aktualizaci grafu"));

    // The connect button says what it will do.
    EXPECT_EQ(connect->text(), QStringLiteral("Odpojit"));
    dlg.PostToSelf(Msg::UWM_DLG_SCOPE_TOOL_BAR, 0, Encode(ToolbarCommand::Connect));
    EXPECT_TRUE(runUntil([&] { return connect->text() == QStringLiteral("Připojit"); }, 5000))
        << connect->text().toStdString();
    dlg.PostToSelf(Msg::UWM_DLG_SCOPE_TOOL_BAR, 0, Encode(ToolbarCommand::Connect));
    EXPECT_TRUE(runUntil([&] { return connect->text() == QStringLiteral("Odpojit"); }, 5000))
        << connect->text().toStdString();
    ASSERT_TRUE(run.moreGroups(3));

    // SINGLE from the trigger panel's mode key: after its shot the button offers the next one.
    for (int i = 0; i < 4 && (dlg.Channel(1).GetTriggerMode() & ~kStopBit) != TM_SINGLE; ++i) {
        press(dlg.SettingsWindow()->Panel(4), Qt::Key_M);
        ASSERT_TRUE(inForce(run));
    }
    const auto shotTaken = [&] {
        return runStop->text() == QStringLiteral("Start") &&
               runStop->toolTip() == QStringLiteral("Zachytit další jeden odměr (F5)") &&
               dlg.View(0).GetMessage() == "Jeden odměr hotov: Start (F5) zachytí další";
    };
    ASSERT_TRUE(runUntil(shotTaken, 10000))
        << runStop->text().toStdString() << " " << dlg.View(0).GetMessage();
    QAction* f5 = nullptr;
    for (QAction* a : dlg.findChildren<QAction*>())
        if (a->shortcut() == QKeySequence(Qt::Key_F5))
            f5 = a;
    ASSERT_NE(f5, nullptr);
    for (int shot = 0; shot < 2; ++shot) {
        SCOPED_TRACE(shot);
        const int groups = dlg.ConvertedGroups();
        f5->trigger(); // once
        ASSERT_TRUE(runUntil([&] { return dlg.ConvertedGroups() > groups && shotTaken(); }, 10000))
            << dlg.ConvertedGroups() << " " << runStop->text().toStdString() << " "
            << dlg.View(0).GetMessage();
    }
}

TEST(WindowLink, TheConnectionDialogChecksStoresAndReconnects) {
    WindowRun run;
    ASSERT_TRUE(copyDataTree(run.dir.path(), Simulator::freePort())); // nobody there
    run.options.dataDir = run.dataDir();
    ASSERT_TRUE(run.open(kTester));
    ASSERT_TRUE(
        runUntil([&] { return run.dlg->PaneText(Pane::Link).contains(QStringLiteral("neodpovídá")); }, 3500));
    const std::uint16_t port = Simulator::freePort();
    ASSERT_TRUE(run.sim.start(port));

    std::vector<std::string> faults;
    run.dlg->SetConnectionHook([&](QDialog& dlg) {
        auto* address = dlg.findChild<QLineEdit*>(QStringLiteral("address"));
        auto* portEdit = dlg.findChild<QLineEdit*>(QStringLiteral("port"));
        auto* fault = dlg.findChild<QLabel*>(QStringLiteral("fault"));
        ASSERT_TRUE(address != nullptr && portEdit != nullptr && fault != nullptr);
        const std::pair<const char*, const char*> typed[] = {{"127.0.0.300", "1"}, {"127.0.0.2", "70000"}};
        for (const auto& [a, p] : typed) {
            address->setText(QString::fromLatin1(a));
            portEdit->setText(QString::fromLatin1(p));
            dlg.accept();
            faults.push_back(fault->text().toStdString());
        }
        if (shotsWanted()) { // the dialog over the window it was opened from
            QPixmap shot = run.dlg->grab();
            const QPixmap over = dlg.grab();
            QPainter(&shot).drawPixmap((shot.width() - over.width()) / 2, (shot.height() - over.height()) / 2,
                                       over);
            shot.save(QString::fromLocal8Bit(std::getenv("WAVIX_SHOT_DIR")) + "/connection.png");
        }
        EXPECT_EQ(dlg.result(), QDialog::Rejected);
        address->setText(QString::fromLatin1(Simulator::kAddress));
        portEdit->setText(QString::number(port));
        dlg.accept();
    });
    run.dlg->OpenConnection();
    EXPECT_EQ(faults, (std::vector<std::string>{
                          "Adresa musí být IPv4 adresa (např. 192.168.1.50) nebo název počítače.",
                          "Port musí být číslo od 1 do 65535."}));
    EXPECT_TRUE(run.capturing(3));
    QFile ini(run.dir.path() + "/Settings/General.ini");
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    EXPECT_TRUE(ini.readAll().contains("ReaderPort=" + QByteArray::number(port)));
    EXPECT_TRUE(run.dlg->PaneText(Pane::Link)
                    .startsWith(QString::fromStdString(std::string(Simulator::kAddress) + ":" +
                                                       std::to_string(port))));
}

} // namespace
} // namespace wavix::test
