// The save dialog by keyboard: names typed, Enter for OK, the refusal of a
// folder that does not exist (the dialog stays) or of no name, the proposed
// name, the browse result, the extension rule, and the texts of the language
// file, the file choosers' included.

#include "ui/dialogs/dlgsavescope.h"

#include "core/tempdir.h"
#include "ui/dialogs/chartchooser.h"
#include "ui/uitestapp.h"

#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace wavix {
namespace {

using test::child;
using test::kLangDir;
using test::shoot;

class SaveDialogTest : public ::testing::Test {
protected:
    SaveDialogTest() { test::ensureApp(); }

    // Types into the focused field and presses Enter; false when the dialog stayed open.
    static bool typeAndEnter(CDlgSaveScope& dlg, QLineEdit* field, const QString& text) {
        field->setFocus();
        field->clear();
        QTest::keyClicks(field, text);
        QTest::keyClick(field, Qt::Key_Return);
        return !dlg.isVisible();
    }

    test::TempDir dir;
};

TEST_F(SaveDialogTest, EnterSavesWithTheExtensionRuleAndABadFolderKeepsTheDialogOpen) {
    const QString badPath =
        QStringLiteral("Zadaná cesta souboru není platná!! Prosím opravte umístění souboru.");
    const QString noName = QStringLiteral("Chybí jméno souboru. Zadejte ho prosím.");
    struct Case {
        const char* typed;
        const char* file; // empty: refused
        QString error = {};
    };
    const Case cases[] = {{"test", "test.sdf"},       {"test.", "test.sdf"}, {"test.txt", "test.txt"},
                          {"nowhere/x", "", badPath}, {"", "", noName},      {"   ", "", noName}};
    for (const Case& c : cases) {
        CDlgSaveScope dlg(nullptr, dir.path() / "");
        QStringList errors;
        dlg.SetErrorBox([&](const QString& caption, const QString& text) { errors << caption << text; });
        dlg.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
        auto* name = child<QLineEdit>(dlg, "chartName");
        QTest::keyClicks(name, QStringLiteral("Idle "));
        name->insert(QStringLiteral("volnoběh")); // typing simulates ASCII keys only
        const bool closed = typeAndEnter(dlg, child<QLineEdit>(dlg, "fileName"), QString::fromUtf8(c.typed));
        if (*c.file == '\0') {
            EXPECT_FALSE(closed) << c.typed;
            EXPECT_EQ(errors, (QStringList{QStringLiteral(" .: Chyba ..."), c.error})) << c.typed;
            dlg.reject();
            continue;
        }
        EXPECT_TRUE(closed) << c.typed;
        EXPECT_EQ(dlg.result(), QDialog::Accepted);
        EXPECT_TRUE(errors.isEmpty());
        EXPECT_EQ(dlg.FullPath(), dir.path() / c.file);
        EXPECT_EQ(dlg.ChartName(), "Idle volnoběh");
    }
}

TEST_F(SaveDialogTest, BrowseReplacesFolderAndNameAndEscapeCancels) {
    std::filesystem::create_directories(dir / "other");
    CDlgSaveScope dlg(nullptr, dir.path() / "");
    QString askedTitle;
    QString askedStart;
    const QString chosen = QString::fromStdString((dir / "other" / "picked.sdf").string());
    dlg.SetBrowser([&](QWidget*, const QString& title, const QString& start) {
        askedTitle = title;
        askedStart = start;
        return chosen;
    });
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    child<QLineEdit>(dlg, "fileName")->setText(QStringLiteral("draft"));
    child<QPushButton>(dlg, "browse")->click();
    EXPECT_EQ(askedTitle, QStringLiteral("Open Scope file .. "));
    EXPECT_EQ(askedStart, QString::fromStdString((dir.path() / "draft").string()));
    EXPECT_EQ(child<QLineEdit>(dlg, "fileName")->text(), QStringLiteral("picked.sdf"));
    EXPECT_EQ(child<QLabel>(dlg, "folder")->text(), QString::fromStdString((dir / "other").string() + "/"));
    shoot(dlg, "savedialog.png");

    QTest::keyClick(&dlg, Qt::Key_Escape);
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
    EXPECT_TRUE(dlg.FullPath().empty());
}

TEST_F(SaveDialogTest, SaveAllTitleAndErrorComeFromTheLanguageFile) {
    CDlgSaveScope dlg(nullptr, dir.path() / "");
    dlg.SetLanguage(kLangDir / "English.lng");
    // Title and buttons are walked by the English window test; the save-all title is another key.
    dlg.SetSaveAll(true);
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral(".: Save all measurements ..."));
    QStringList errors;
    dlg.SetErrorBox([&](const QString&, const QString& text) { errors << text; });
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    auto* file = child<QLineEdit>(dlg, "fileName");
    file->setText(QStringLiteral("nowhere/x"));
    child<QPushButton>(dlg, "ok")->click();
    file->clear();
    child<QPushButton>(dlg, "ok")->click();
    EXPECT_EQ(errors,
              (QStringList{QStringLiteral("The file path is not valid!! Please correct the location of "
                                          "the file."),
                           QStringLiteral("The file name is missing. Please type one.")}));
    dlg.reject();
}

TEST_F(SaveDialogTest, FileNameFollowsTheChartNameUntilTyped) {
    CDlgSaveScope dlg(nullptr, dir.path() / "");
    dlg.SetClock([] { return FileTime{2026, 12, 1, 7, 8, 5, 0, 0}; });
    auto* name = child<QLineEdit>(dlg, "chartName");
    auto* file = child<QLineEdit>(dlg, "fileName");
    EXPECT_EQ(file->text(), QStringLiteral("2026-12-07_08-05.sdf"));
    name->setText(QStringLiteral("Octavia: volnoběh"));
    EXPECT_EQ(file->text(), QStringLiteral("2026-12-07_08-05 Octavia_ volnoběh.sdf"));
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    QTest::keyClicks(file, "x");
    name->setText(QStringLiteral("jiný"));
    EXPECT_EQ(file->text(), QStringLiteral("2026-12-07_08-05 Octavia_ volnoběh.sdfx"));
    QTest::keyClick(file, Qt::Key_Return);
    EXPECT_EQ(dlg.FullPath(), dir.path() / "2026-12-07_08-05 Octavia_ volnoběh.sdfx");
}

TEST_F(SaveDialogTest, ChartChoosersSpeakTheLanguageOfTheLanguageFile) {
    struct Case {
        const char* file;
        QFileDialog::AcceptMode mode;
        const char* lookIn;
        const char* accept;
        const char* reject;
    };
    const Case cases[] = {{"Cestina.lng", QFileDialog::AcceptOpen, "Hledat v:", "Otevřít", "Zrušit"},
                          {"Cestina.lng", QFileDialog::AcceptSave, "Hledat v:", "Uložit", "Zrušit"},
                          {"English.lng", QFileDialog::AcceptOpen, "Look in:", "Open", "Cancel"}};
    for (const Case& c : cases) {
        QFileDialog chooser;
        chooser.setAcceptMode(c.mode);
        SpeakUserLanguage(chooser, kLangDir / c.file);
        // A native chooser would speak the desktop's language instead.
        EXPECT_TRUE(chooser.testOption(QFileDialog::DontUseNativeDialog)) << c.file;
        EXPECT_EQ(chooser.labelText(QFileDialog::LookIn), QString::fromUtf8(c.lookIn)) << c.file;
        EXPECT_EQ(chooser.labelText(QFileDialog::Accept), QString::fromUtf8(c.accept)) << c.file;
        EXPECT_EQ(chooser.labelText(QFileDialog::Reject), QString::fromUtf8(c.reject)) << c.file;
    }
}

} // namespace
} // namespace wavix
