#include "ui/dialogs/dlgcalibration.h"

#include "core/app/calibrationrecord.h"
#include "ui/modalwatcher.h"
#include "ui/uitestapp.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace wavix {
namespace {

QString field(const QDialog& dlg, const char* name) {
    auto* edit = dlg.findChild<QLineEdit*>(QString::fromLatin1(name));
    return edit != nullptr ? edit->text() : QStringLiteral("<missing %1>").arg(QLatin1String(name));
}

TEST(CalibrationDialog, ShowsTheRecordsHeadAndRefusesAPasswordOutsideAWord) {
    test::ensureApp();
    CDlgCalibration dlg(PrepareCalibrationRecord({2008, 10, 15}));
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral(".: Kalibrace"));
    EXPECT_EQ(field(dlg, "version"), "1");
    EXPECT_EQ(field(dlg, "size"), "204");
    EXPECT_EQ(field(dlg, "sum"), "0");
    EXPECT_EQ(field(dlg, "password"), "0");
    EXPECT_EQ(field(dlg, "date"), "15102008");
    EXPECT_EQ(field(dlg, "calLow"), "512 / 152 / 152");
    test::shoot(dlg, "calibration_dialog.png");

    // Only a whole number within a word leaves the dialog (which texts are one is
    // checked with the parser); anything else keeps it open behind the limit box.
    auto* password = dlg.findChild<QLineEdit*>(QStringLiteral("password"));
    ASSERT_NE(password, nullptr);
    password->setText(QStringLiteral("65536"));
    {
        test::ModalWatcher watcher;
        watcher.shootBoxesAs({"calibration_password_limits.png"});
        QTest::mouseClick(dlg.findChild<QPushButton*>(QStringLiteral("okButton")), Qt::LeftButton);
        ASSERT_EQ(watcher.boxes.size(), 1u);
        EXPECT_EQ(watcher.boxes[0].caption, ".: Error ...");
        EXPECT_EQ(watcher.boxes[0].text, "Položka Password je mimo povolené limity!");
        EXPECT_EQ(watcher.boxes[0].icon, QMessageBox::Critical);
        EXPECT_TRUE(dlg.isVisible());
        EXPECT_NE(dlg.result(), QDialog::Accepted);
    }

    password->setText(QStringLiteral("65535"));
    QTest::mouseClick(dlg.findChild<QPushButton*>(QStringLiteral("okButton")), Qt::LeftButton);
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.Record().reserved2, 65535);
    EXPECT_EQ(dlg.Record().state, 1);
}

} // namespace
} // namespace wavix
