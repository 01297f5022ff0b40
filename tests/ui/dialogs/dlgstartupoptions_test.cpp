#include "ui/dialogs/dlgstartupoptions.h"

#include "ui/panels/panelsupport.h"

#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>

namespace wavix {
namespace {

using test::child;
using test::kLangDir;
using test::shoot;

class StartupDialogTest : public ::testing::Test {
protected:
    StartupDialogTest() { test::ensureApp(); }
};

TEST_F(StartupDialogTest, OwnSettingsByKeyboardGiveTheNamedStepAndChannelCount) {
    CDlgStartupOptions dlg(kLangDir / "Cestina.lng", StartupChoice::Tester);
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    auto* timebase = child<QComboBox>(dlg, "timebaseList");
    auto* channels = child<QComboBox>(dlg, "channelList");
    auto* custom = child<QRadioButton>(dlg, "choice4");
    ASSERT_TRUE(timebase && channels && custom);
    EXPECT_TRUE(child<QRadioButton>(dlg, "choice1")->isChecked());
    EXPECT_FALSE(timebase->isEnabled());
    EXPECT_FALSE(channels->isEnabled());

    QTest::mouseClick(custom, Qt::LeftButton);
    EXPECT_TRUE(timebase->isEnabled());
    EXPECT_TRUE(channels->isEnabled());
    timebase->setFocus();
    QTest::keyClick(timebase, Qt::Key_End);
    EXPECT_EQ(timebase->currentText(), QStringLiteral("   1 s/dílek"));
    channels->setFocus();
    QTest::keyClick(channels, Qt::Key_Down);
    QTest::keyClick(channels, Qt::Key_Down);
    EXPECT_EQ(channels->currentText(), QStringLiteral("3 kanálový osciloskop"));
    shoot(dlg, "startup_custom_cs.png");

    QTest::keyClick(&dlg, Qt::Key_Return);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.Result(), (StartupResult{StartupChoice::Custom, 12, 3}));
}

TEST_F(StartupDialogTest, LeavingOwnSettingsDisablesTheListsAgainAndQuitRejects) {
    CDlgStartupOptions dlg(kLangDir / "English.lng", StartupChoice::LastOnPc);
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    EXPECT_TRUE(child<QRadioButton>(dlg, "choice2")->isChecked());
    QTest::mouseClick(child<QRadioButton>(dlg, "choice4"), Qt::LeftButton);
    QTest::mouseClick(child<QRadioButton>(dlg, "choice3"), Qt::LeftButton);
    EXPECT_FALSE(child<QComboBox>(dlg, "timebaseList")->isEnabled());
    EXPECT_EQ(dlg.Result().choice, StartupChoice::SampleChart);
    shoot(dlg, "startup_sample_en.png");

    QTest::mouseClick(child<QPushButton>(dlg, "cancelButton"), Qt::LeftButton);
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
}

} // namespace
} // namespace wavix
