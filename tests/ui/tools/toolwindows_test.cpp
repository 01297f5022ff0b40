// The tool windows on their own: toolbar commands and states, the settings
// strip's channel menu, the channel options protocol and the channel info texts.

#include "../panels/panelsupport.h"

#include "core/app/channeloptionslist.h"
#include "core/scope/channeldata.h"
#include "ui/panels/scopectrlarrow.h"
#include "ui/panels/scopectrlbase.h"
#include "ui/tools/dlgchannelinfo.h"
#include "ui/tools/dlgchanneloptions.h"
#include "ui/tools/dlgscopesettings.h"
#include "ui/tools/dlgscopetoolbar.h"

#include <QComboBox>
#include <QFile>
#include <QMenu>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace wavix {
namespace {

std::intptr_t ptr(CChannelData& ch) {
    return reinterpret_cast<std::intptr_t>(&ch);
}

std::vector<std::intptr_t> toolbarCodes(const CRecordingTarget& t) {
    std::vector<std::intptr_t> codes;
    for (const PostedMessage& m : t.messages) {
        EXPECT_EQ(m.msg, Msg::UWM_DLG_SCOPE_TOOL_BAR);
        EXPECT_EQ(m.wParam, 0);
        codes.push_back(m.lParam);
    }
    return codes;
}

// A probe file in a temporary data tree.
QString writeProbe(const QTemporaryDir& dir, const char* name, const char* body) {
    const QString path = dir.path() + "/" + name;
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(body);
    return path;
}

constexpr const char* kProbe10 = "[PROBE]\nName=Sonda 10:1\nUnits=V\nRatio=0.1\nAlowedChannels=F\n";

TEST(ScopeToolBar, EveryButtonAndTheChannelArrowsPostTheirCode) {
    test::ensureApp();
    CDlgScopeToolBar bar;
    CRecordingTarget main;
    bar.SetTarget(&main);
    using enum ToolbarCommand;
    std::vector<std::intptr_t> codes;
    for (const ToolbarCommand command : {RunStop, ViewMode, Print, Load, Save, ShowMode, Configurator,
                                         Connect, SampleCharts, LogCharts, RollLog}) {
        codes.push_back(Encode(command));
        QToolButton* b = bar.Button(command);
        ASSERT_NE(b, nullptr) << codes.back();
        EXPECT_FALSE(b->toolTip().isEmpty()) << codes.back();
        QTest::mouseClick(b, Qt::LeftButton);
    }
    EXPECT_EQ(toolbarCodes(main), codes);

    // Keyboard: Space on a focused button, the arrows' own keys.
    main.clear();
    QTest::keyClick(bar.Button(ToolbarCommand::ShowMode), Qt::Key_Space);
    QTest::mouseClick(bar.ChannelArrow(true), Qt::LeftButton);
    QTest::mouseClick(bar.ChannelArrow(false), Qt::LeftButton);
    QTest::keyClick(bar.ChannelArrow(true), Qt::Key_Right);
    EXPECT_EQ(toolbarCodes(main),
              (std::vector{Encode(ShowMode), Encode(ChannelsUp), Encode(ChannelsDown), Encode(ChannelsUp)}));
}

TEST(ScopeToolBar, StateMessagesChangeTipsAndLabelsAndTheLoggingLookLeavesOnlyTheLogButton) {
    test::ensureApp();
    CDlgScopeToolBar bar;
    QToolButton* run = bar.Button(ToolbarCommand::RunStop);
    bar.OnStateMessage(1, Encode(ToolbarState::Running));
    EXPECT_EQ(run->toolTip(), QStringLiteral("Vypnout aktualizaci grafu"));
    const qint64 runningIcon = run->icon().cacheKey();
    bar.OnStateMessage(0, Encode(ToolbarState::Running));
    EXPECT_EQ(run->toolTip(), QStringLiteral("Zapnout aktualizaci grafu"));
    EXPECT_FALSE(bar.IsRunning());
    EXPECT_NE(run->icon().cacheKey(), runningIcon);
    // Every session restart refreshes the bar: the same look must reuse its icon,
    // or the pixmaps pile up over a long run.
    const qint64 stoppedIcon = run->icon().cacheKey();
    bar.OnStateMessage(3, Encode(ToolbarState::ChannelCount));
    bar.OnStateMessage(0, Encode(ToolbarState::Running));
    EXPECT_EQ(run->icon().cacheKey(), stoppedIcon);

    bar.OnStateMessage(static_cast<std::intptr_t>(RunState::ShotTaken), Encode(ToolbarState::Running));
    EXPECT_FALSE(bar.IsRunning());
    EXPECT_EQ(run->text(), QStringLiteral("Start"));
    EXPECT_EQ(run->toolTip(), QStringLiteral("Zachytit další jeden odměr (F5)"));
    QToolButton* connect = bar.Button(ToolbarCommand::Connect);
    EXPECT_EQ(connect->text(), QStringLiteral("Odpojit"));
    bar.OnStateMessage(0, Encode(ToolbarState::Connected));
    EXPECT_EQ(connect->text(), QStringLiteral("Připojit"));
    EXPECT_EQ(connect->toolTip(), QStringLiteral("Připojit Vexor Reader"));
    bar.OnStateMessage(1, Encode(ToolbarState::Connected));
    EXPECT_EQ(connect->toolTip(), QStringLiteral("Odpojit Vexor Reader"));

    bar.OnStateMessage(3, Encode(ToolbarState::ChannelCount));
    EXPECT_EQ(bar.ChannelCountText(), QStringLiteral("Počet kanálů: 3"));
    bar.OnStateMessage(0, Encode(ToolbarState::SingleView));
    EXPECT_FALSE(bar.IsSingleView());
    bar.OnStateMessage(3026, Encode(ToolbarState::ShowMode));
    EXPECT_EQ(bar.Button(ToolbarCommand::ShowMode)->text(), QStringLiteral("Režim 2"));
    // An unknown code changes nothing; a wild count is held to what the module has.
    bar.OnStateMessage(1, 99);
    EXPECT_FALSE(bar.IsRunning());
    bar.OnStateMessage(1000, Encode(ToolbarState::ChannelCount));
    EXPECT_EQ(bar.ChannelCountText(), QStringLiteral("Počet kanálů: 4"));

    CRecordingTarget main;
    bar.SetTarget(&main);
    bar.SetLoggingLook(true);
    QToolButton* log = bar.Button(ToolbarCommand::RollLog);
    EXPECT_TRUE(log->isEnabled());
    EXPECT_EQ(log->text(), QStringLiteral("REC"));
    using enum ToolbarCommand;
    for (const ToolbarCommand command :
         {ViewMode, RunStop, Print, Save, Load, ShowMode, Configurator, Connect, SampleCharts, LogCharts})
        EXPECT_FALSE(bar.Button(command)->isEnabled()) << Encode(command);
    QTest::keyClick(bar.ChannelArrow(true), Qt::Key_Right);
    QTest::mouseClick(log, Qt::LeftButton);
    EXPECT_EQ(toolbarCodes(main), (std::vector{Encode(ToolbarCommand::RollLog)}));
    bar.SetLoggingLook(false);
    EXPECT_TRUE(run->isEnabled());
    EXPECT_NE(log->text(), QStringLiteral("REC"));
}

class ScopeSettingsTest : public ::testing::Test {
protected:
    void SetUp() override {
        test::ensureApp();
        ASSERT_EQ(data_.AcceptSettings(test::fourChannels()), AcceptResult::Accepted);
    }
    std::array<CChannelData*, 4> channels() {
        return {&data_.GetChannel(1), &data_.GetChannel(2), &data_.GetChannel(3), &data_.GetChannel(4)};
    }
    CScopeData data_;
};

TEST_F(ScopeSettingsTest, PanelClicksGoToTheMainWindowAndTheStripCanBeSwitchedOff) {
    CDlgScopeSettings strip;
    CRecordingTarget main;
    strip.SetTarget(&main);
    strip.BindChannels(channels());
    EXPECT_EQ(strip.Panel(0)->GetTitle(), "Kanál");
    EXPECT_EQ(strip.Panel(5)->GetTitle(), "Časová základna");
    QKeyEvent coupling(QEvent::KeyPress, Qt::Key_C, Qt::NoModifier);
    QApplication::sendEvent(strip.Panel(1), &coupling);
    ASSERT_FALSE(main.messages.empty());
    EXPECT_EQ(main.messages.front(),
              (PostedMessage{Msg::UWM_SCOPE_CTRL_BASE, 2, Encode(PanelNotice::ChannelClicked)}));

    strip.SetControlsEnabled(false);
    for (int i = 0; i < CDlgScopeSettings::kPanelCount; ++i)
        EXPECT_FALSE(strip.Panel(i)->isEnabled()) << i;
}

TEST_F(ScopeSettingsTest, ChannelMenuOffersLoadOrRemoveAndItsCommandsActOnTheChannel) {
    QTemporaryDir dir;
    const QString probe = writeProbe(dir, "p10.ini", kProbe10);
    CDlgScopeSettings strip;
    strip.BindChannels(channels());
    std::vector<QString> folders;
    ToolChoosers choosers;
    choosers.colour = [](QWidget*, std::uint32_t) { return std::optional<std::uint32_t>(0x00123456); };
    choosers.probeFile = [&](QWidget*, const QString& folder) {
        folders.push_back(folder);
        return probe;
    };
    strip.SetChoosers(choosers);
    CChannelData& ch = data_.GetChannel(2);

    EXPECT_EQ(strip.ChannelMenuTitle(ch), QStringLiteral(" .: Kanál 2 "));
    auto items = strip.ChannelMenuItems(ch);
    ASSERT_EQ(items.size(), 2u);
    EXPECT_EQ(items[1].command, CDlgScopeSettings::kCmdLoadProbe);

    strip.RunChannelCommand(ch, CDlgScopeSettings::kCmdColour);
    EXPECT_EQ(ch.GetColor(), 0x00123456u);
    strip.RunChannelCommand(ch, CDlgScopeSettings::kCmdLoadProbe);
    ASSERT_TRUE(ch.GetProbe().IsLoaded());
    EXPECT_EQ(folders.size(), 1u);
    items = strip.ChannelMenuItems(ch);
    EXPECT_EQ(items[1].command, CDlgScopeSettings::kCmdUnloadProbe);
    EXPECT_NE(strip.Panel(1)->GetText().find("Sonda 10:1"), std::string::npos);
    strip.RunChannelCommand(ch, CDlgScopeSettings::kCmdUnloadProbe);
    EXPECT_FALSE(ch.GetProbe().IsLoaded());

    // Cancelled choosers change nothing.
    choosers.colour = [](QWidget*, std::uint32_t) { return std::optional<std::uint32_t>(); };
    choosers.probeFile = [](QWidget*, const QString&) { return QString(); };
    strip.SetChoosers(choosers);
    strip.RunChannelCommand(ch, CDlgScopeSettings::kCmdColour);
    strip.RunChannelCommand(ch, CDlgScopeSettings::kCmdLoadProbe);
    EXPECT_EQ(ch.GetColor(), 0x00123456u);
    EXPECT_FALSE(ch.GetProbe().IsLoaded());

    // A probe file without its channel mask is refused, and the user is told.
    const QString bad = writeProbe(dir, "bad.ini", "[PROBE]\nName=X\nUnits=A\nRatio=0.1\n");
    QString refused;
    choosers.probeFile = [&](QWidget*, const QString&) { return bad; };
    choosers.probeRefused = [&](QWidget*, const QString& file) { refused = file; };
    strip.SetChoosers(choosers);
    strip.RunChannelCommand(ch, CDlgScopeSettings::kCmdLoadProbe);
    EXPECT_EQ(refused, bad);
    EXPECT_FALSE(ch.GetProbe().IsLoaded());
}

class ChannelOptionsTest : public ScopeSettingsTest {};

TEST_F(ChannelOptionsTest, ProtocolFillsTheChooserAndShowsAChannelEditableUnlessQuiet) {
    CDlgChannelOptions dlg;
    auto* chooser = dlg.findChild<QComboBox*>(QStringLiteral("channelChooser"));
    ASSERT_NE(chooser, nullptr);
    dlg.OnControl(0, Encode(ChannelOptionsNotice::Clear));
    for (int k = 1; k <= 4; ++k)
        dlg.OnControl(ptr(data_.GetChannel(k)), Encode(ChannelOptionsNotice::Append));
    dlg.OnControl(1, Encode(ChannelOptionsNotice::Show));
    EXPECT_EQ(chooser->count(), 4);
    EXPECT_EQ(chooser->itemText(3), QStringLiteral("Channel 4"));
    EXPECT_EQ(dlg.ShownTitle(), QStringLiteral("Channel 1"));
    EXPECT_TRUE(dlg.findChild<QPushButton*>(QStringLiteral("modeDC"))->isChecked());

    dlg.OnControl(3, Encode(ChannelOptionsNotice::Show));
    EXPECT_EQ(dlg.ShownTitle(), QStringLiteral("Channel 3"));
    EXPECT_TRUE(dlg.findChild<QPushButton*>(QStringLiteral("modeAC"))->isChecked());
    EXPECT_EQ(chooser->currentIndex(), 2);
    EXPECT_TRUE(dlg.findChild<QPushButton*>(QStringLiteral("loadProbe"))->isEnabled());

    // A quiet channel (a loaded chart's) is shown but not editable.
    data_.GetChannel(2).SetQuiet(true);
    dlg.OnControl(0, Encode(ChannelOptionsNotice::Clear));
    dlg.OnControl(ptr(data_.GetChannel(2)), Encode(ChannelOptionsNotice::Append));
    dlg.OnControl(2, Encode(ChannelOptionsNotice::Show));
    EXPECT_EQ(dlg.ShownTitle(), QStringLiteral("Channel 2"));
    EXPECT_FALSE(dlg.findChild<QPushButton*>(QStringLiteral("loadProbe"))->isEnabled());
}

TEST_F(ChannelOptionsTest, ControlsEditTheShownChannelAndForgettingItHidesTheWindow) {
    QTemporaryDir dir;
    const QString probe = writeProbe(dir, "p10.ini", kProbe10);
    CDlgChannelOptions dlg;
    ToolChoosers choosers;
    choosers.probeFile = [&](QWidget*, const QString&) { return probe; };
    dlg.SetChoosers(choosers);

    // Nothing shown: the controls are off and do nothing.
    dlg.StepGain(-1);
    EXPECT_FALSE(dlg.findChild<QToolButton*>(QStringLiteral("gainUp"))->isEnabled());

    dlg.OnControl(0, Encode(ChannelOptionsNotice::Clear));
    dlg.OnControl(ptr(data_.GetChannel(4)), Encode(ChannelOptionsNotice::Append));
    dlg.OnControl(4, Encode(ChannelOptionsNotice::Show));
    const int range = data_.GetSettings().CH4_mux;
    QTest::mouseClick(dlg.findChild<QToolButton*>(QStringLiteral("gainUp")), Qt::LeftButton);
    EXPECT_EQ(data_.GetSettings().CH4_mux, range + 1);
    QTest::mouseClick(dlg.findChild<QPushButton*>(QStringLiteral("modeDC")), Qt::LeftButton);
    EXPECT_EQ(data_.GetSettings().CH4_dc_on, CPL_DC);
    const int offset = data_.GetChannel(4).GetOffset();
    QTest::mouseClick(dlg.findChild<QToolButton*>(QStringLiteral("offsetUp")), Qt::LeftButton);
    // A tenth of a division, not one count.
    EXPECT_EQ(data_.GetChannel(4).GetOffset(), offset + CChannelOptionsList::kOffsetStepCounts);
    dlg.LoadProbe();
    EXPECT_EQ(dlg.ProbeNameText(), QStringLiteral("Name: Sonda 10:1"));
    dlg.UnloadProbe();
    EXPECT_FALSE(data_.GetChannel(4).GetProbe().IsLoaded());

    dlg.show();
    dlg.Forget(&data_.GetChannel(3)); // not listed: stays
    EXPECT_TRUE(dlg.isVisible());
    dlg.Forget(&data_.GetChannel(4));
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.List().Count(), 0u);
}

TEST_F(ChannelOptionsTest, ChannelInfoShowsTheRecordedSettingsAndKeepsNoLinkToTheChannel) {
    QTemporaryDir dir;
    auto channel = std::make_unique<CChannelData>();
    std::array<std::uint8_t, kChannelHeaderSize> header{};
    data_.GetChannel(1).ExportHeader(header, ByteOrder::Little);
    channel->ImportHeader(header, ByteOrder::Little);
    channel->SetName(" Kanál 1 ");
    channel->SetDescription(" Sonda osciloskopu 1");
    channel->SetColor(0x001F8FDA);
    ASSERT_TRUE(channel->LoadProbe(writeProbe(dir, "p10.ini", kProbe10).toStdString()));

    CDlgChannelInfo info;
    info.SetChannel(*channel);
    channel.reset();
    EXPECT_EQ(info.FieldText(CDlgChannelInfo::kName), QStringLiteral(" Kanál 1 "));
    EXPECT_EQ(info.FieldText(CDlgChannelInfo::kCoupling), QStringLiteral("DC"));
    EXPECT_EQ(info.FieldText(CDlgChannelInfo::kProbeName), QStringLiteral("Sonda 10:1"));
    EXPECT_EQ(info.FieldText(CDlgChannelInfo::kProbeRatio), QStringLiteral("0.10"));
    EXPECT_EQ(info.FieldText(CDlgChannelInfo::kTriggerEdge), QStringLiteral("Náběžná"));
    EXPECT_EQ(info.FieldText(CDlgChannelInfo::kTriggerMode), QStringLiteral("AUTO"));
    // Range 2 through a 10:1 probe, in the probe's units.
    EXPECT_TRUE(info.FieldText(CDlgChannelInfo::kGain).endsWith(QStringLiteral(" V/dílek")));
    EXPECT_EQ(info.Info().colour, 0x001F8FDAu);
}

} // namespace
} // namespace wavix
