#include "ui/panels/scopectrlbase.h"
#include "ui/scope/cscope.h"
#include "ui/tools/dlgscopesettings.h"
#include "ui/tools/dlgscopetoolbar.h"
#include "window/windowsupport.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QApplication>
#include <QKeyEvent>

#include <cstring>

namespace wavix::test {
namespace {

const StartupResult kTester{StartupChoice::Tester, 1, 1};

void press(QWidget* w, Qt::Key key) {
    QKeyEvent e(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
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
    if (shotsWanted())
        run.dlg->grab().save(QString::fromLocal8Bit(std::getenv("WAVIX_SHOT_DIR")) + "/no-tester.png");

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
    EXPECT_TRUE(runUntil([&] { return run.dlg->PaneText(Pane::Link).contains(QStringLiteral("běží")); }, 3000))
        << run.dlg->PaneText(Pane::Link).toStdString();
    ASSERT_EQ(panels.Panel(0)->GetValues().size(), 1u);
    EXPECT_NE(panels.Panel(0)->GetValues()[0].find(" V/dílek"), std::string::npos) << panels.Panel(0)->GetValues()[0];
    EXPECT_NE(panels.Panel(5)->GetValues()[0].find("s/dílek"), std::string::npos) << panels.Panel(5)->GetValues()[0];
    const QString count = QStringLiteral("Počet kanálů: %1").arg(run.dlg->Record().chann_num);
    EXPECT_TRUE(runUntil([&] { return run.dlg->ToolBar()->ChannelCountText() == count; }, 5000))
        << run.dlg->ToolBar()->ChannelCountText().toStdString();
}

TEST(WindowLink, ThePaneShowsTheRunAndALossMarksTheLastCapture) {
    WindowRun run;
    ASSERT_TRUE(run.start(kTester));
    ASSERT_TRUE(run.capturing(5));
    // Captures per second are counted over a whole second; the word takes the form of the number.
    const QRegularExpression running(QStringLiteral("^127\\.0\\.0\\.2:\\d+: běží, ([1-9]\\d*) (záznam|záznamy|záznamů)/s$"));
    QRegularExpressionMatch shown;
    ASSERT_TRUE(runUntil([&] { return (shown = running.match(run.dlg->PaneText(Pane::Link))).hasMatch(); }, 4000))
        << run.dlg->PaneText(Pane::Link).toStdString();
    const int rate = shown.captured(1).toInt();
    EXPECT_EQ(shown.captured(2), rate == 1 ? QStringLiteral("záznam")
                                 : rate <= 4 ? QStringLiteral("záznamy")
                                             : QStringLiteral("záznamů"));
    if (shotsWanted())
        run.dlg->grab().save(QString::fromLocal8Bit(std::getenv("WAVIX_SHOT_DIR")) + "/link-running.png");

    // Lost first, then no answer: the trace on screen stays marked as the last capture all along.
    ASSERT_TRUE(run.sim.stop());
    ASSERT_TRUE(runUntil([&] { return run.dlg->PaneText(Pane::Link).contains(QStringLiteral("ztraceno")); }, 5000))
        << run.dlg->PaneText(Pane::Link).toStdString();
    EXPECT_NE(run.dlg->View(0).GetMessage().find("Poslední záznam "), std::string::npos)
        << run.dlg->View(0).GetMessage();
    ASSERT_TRUE(runUntil([&] { return run.dlg->PaneText(Pane::Link).endsWith(QStringLiteral(": neodpovídá")); }, 8000))
        << run.dlg->PaneText(Pane::Link).toStdString();
    EXPECT_NE(run.dlg->View(0).GetMessage().find("Poslední záznam "), std::string::npos)
        << run.dlg->View(0).GetMessage();
    EXPECT_FALSE(run.dlg->HasEnded());
}

TEST(WindowLink, TheConnectionDialogChecksStoresAndReconnects) {
    WindowRun run;
    ASSERT_TRUE(copyDataTree(run.dir.path(), Simulator::freePort())); // nobody there
    run.options.dataDir = run.dataDir();
    ASSERT_TRUE(run.open(kTester));
    ASSERT_TRUE(runUntil([&] { return run.dlg->PaneText(Pane::Link).contains(QStringLiteral("neodpovídá")); },
                         3500));
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
        if (shotsWanted())
            dlg.grab().save(QString::fromLocal8Bit(std::getenv("WAVIX_SHOT_DIR")) + "/connection.png");
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
    EXPECT_TRUE(run.dlg->PaneText(Pane::Link).startsWith(QString::fromStdString(
        std::string(Simulator::kAddress) + ":" + std::to_string(port))));
}

} // namespace
} // namespace wavix::test
