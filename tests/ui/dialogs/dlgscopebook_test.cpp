// The scope book over a folder of charts written here: details of the chosen
// chart, the hidden edit mode and the edited texts reaching the file; the
// user's charts with their filter, deletion and opening.

#include "ui/dialogs/dlgscopebook.h"

#include "core/scope/oscilexchange.h"
#include "ui/dialogs/ctrlscopebookfilelist.h"
#include "ui/chartfile.h"
#include "ui/dialogs/dlgscopefileedit.h"
#include "ui/uitestapp.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

namespace wavix {
namespace {

using test::child;
using test::shoot;
using test::writeChart;

class ScopeBookTest : public ::testing::Test {
protected:
    ScopeBookTest() {
        test::ensureApp();
        folder = dir.path().toStdString();
        EXPECT_TRUE(writeChart(folder / "Otacky.sdf", 6, 2, "Otáčky motoru, volnoběh"));
        EXPECT_TRUE(writeChart(folder / "Zapaleni.sdf", 4, 3, "Primár zapalování"));
        EXPECT_TRUE(writeChart(folder / "Lambda.sdf", 10, 1, "Lambda sonda"));
    }
    // The chart with this file name, chosen by keyboard.
    static void choose(CDlgScopeBook& book, const char* name) {
        auto* list = child<CCtrlScopeBookFileList>(book, "fileList");
        list->setFocus();
        for (int row = 0; row < list->topLevelItemCount(); ++row)
            if (list->topLevelItem(row)->text(0) == QLatin1String(name))
                list->setCurrentItem(list->topLevelItem(row));
        QCoreApplication::processEvents();
    }

    QTemporaryDir dir;
    std::filesystem::path folder;
};

TEST_F(ScopeBookTest, ShowsDetailsAndEditsTextsOnlyAfterTheAccessCode) {
    CDlgScopeBook book;
    ASSERT_TRUE(book.Prepare(folder));
    book.SetQuietBoxes(true);
    book.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&book));
    auto* list = child<CCtrlScopeBookFileList>(book, "fileList");
    auto* details = child<CCtrlScopeBookDetailList>(book, "detailList");
    auto* edit = child<QPushButton>(book, "editButton");
    ASSERT_EQ(list->topLevelItemCount(), 3);
    EXPECT_EQ(list->topLevelItem(0)->text(0), QStringLiteral("Lambda"));
    EXPECT_FALSE(edit->isEnabled());

    // Typed on any control, before it handles the keys.
    auto* close = child<QPushButton>(book, "closeButton");
    close->setFocus();
    QTest::keyClicks(close, "xquvma");
    EXPECT_FALSE(edit->isEnabled());
    QTest::keyClicks(close, "t");
    EXPECT_TRUE(edit->isEnabled());

    choose(book, "Zapaleni");
    ASSERT_NE(book.SelectedRecord(), nullptr);
    const auto rows = book.Library().DetailRows();
    ASSERT_EQ(details->topLevelItemCount(), static_cast<int>(rows.size()));
    EXPECT_EQ(details->topLevelItem(0)->text(1), QStringLiteral("Primár zapalování"));
    EXPECT_EQ(details->topLevelItem(1)->text(1), QStringLiteral(" 3 "));
    shoot(book, "scopebook_details_edit.png");

    // The editor renames the chart and its second channel; the file then holds them.
    book.SetEditor([](ChartRecord& record) {
        ChartEdit e = CChartLibrary::EditFields(record);
        e.description = "Primár, 4 válce";
        e.channels[1].name = "Cívka 2";
        CChartLibrary::ApplyEdit(record, e);
        return true;
    });
    QTest::mouseClick(edit, Qt::LeftButton);
    EXPECT_EQ(book.LastBoxText(), "");
    EXPECT_EQ(book.SelectedRecord(), nullptr);
    EXPECT_EQ(details->topLevelItemCount(), 0);
    CScopeFile saved;
    ASSERT_TRUE(saved.Load(folder / "Zapaleni.sdf"));
    EXPECT_EQ(saved.GetHeaderText(), "Primár, 4 válce");
    EXPECT_EQ(saved.GetChannel(1)->GetName(), "Cívka 2");
    EXPECT_EQ(saved.GetChannelCount(), 3);
    EXPECT_EQ(list->topLevelItem(2)->text(1), QStringLiteral("Primár, 4 válce"));

    // A fresh opening forgets the code.
    ASSERT_TRUE(book.Prepare(folder));
    EXPECT_FALSE(edit->isEnabled());
    QTest::keyClicks(list, "mat");
    EXPECT_FALSE(edit->isEnabled());
}

TEST_F(ScopeBookTest, LoadButtonsAnswerTheirCodeWithTheChosenChart) {
    for (const auto& [button, code] :
         {std::pair{"loadSettingsButton", 2}, std::pair{"loadAllButton", 3}, std::pair{"closeButton", 1}}) {
        CDlgScopeBook book;
        QTimer::singleShot(0, &book, [&book, button = button] {
            choose(book, "Otacky");
            QTest::mouseClick(child<QPushButton>(book, button), Qt::LeftButton);
        });
        EXPECT_EQ(book.Run(folder), code) << button;
        ASSERT_NE(book.SelectedRecord(), nullptr);
        EXPECT_EQ(book.SelectedRecord()->Name(), "Otacky");
    }
    CDlgScopeBook book;
    EXPECT_EQ(book.Run(folder / "missing"), 0);

    // An empty folder: nothing to choose, so Edit only tells to choose first.
    QTemporaryDir empty;
    ASSERT_TRUE(book.Prepare(empty.path().toStdString()));
    book.SetQuietBoxes(true);
    book.show();
    QTest::keyClicks(&book, "quvmat");
    QTest::mouseClick(child<QPushButton>(book, "editButton"), Qt::LeftButton);
    EXPECT_EQ(book.LastBoxText(), BuiltinText(kMsgSelectFirst));
    EXPECT_EQ(book.SelectedRecord(), nullptr);
}

TEST_F(ScopeBookTest, UserChartsTabFiltersOpensAndDeletes) {
    QTemporaryDir userDir;
    const std::filesystem::path user = userDir.path().toStdString();
    // Newest first, so Octavia, saved last, heads the list even across a second.
    ASSERT_TRUE(writeChart(user / "Fabia.sdf", 8, 4, "Fabia startování"));
    ASSERT_TRUE(writeChart(user / "2026-12-07_08-10 Octavia.sdf", 6, 2, "Octavia volnoběh"));
    CDlgScopeBook book;
    book.SetUserFolder(user);
    book.SetQuietBoxes(true);
    std::vector<std::string> questions;
    bool yes = false;
    book.SetConfirm([&](const std::string& q) {
        questions.push_back(q);
        return yes;
    });
    ASSERT_TRUE(book.Prepare(folder));
    book.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&book));
    child<QTabWidget>(book, "bookTabs")->setCurrentIndex(1);
    EXPECT_FALSE(child<QPushButton>(book, "loadAllButton")->isVisible());
    auto* list = child<QTreeWidget>(book, "userList");
    ASSERT_EQ(list->topLevelItemCount(), 2);
    QTreeWidgetItem* octavia = list->topLevelItem(0);
    QTreeWidgetItem* fabia = list->topLevelItem(1);
    EXPECT_EQ(octavia->text(0), QStringLiteral("Octavia volnoběh"));
    EXPECT_EQ(fabia->text(3), QStringLiteral("1, 2, 3, 4"));
    EXPECT_FALSE(fabia->text(1).isEmpty());
    EXPECT_FALSE(fabia->text(2).isEmpty());
    EXPECT_FALSE(fabia->icon(4).isNull()); // the picture of its traces
    shoot(book, "scopebook_user_charts.png");

    // Name typed at save or file name, whatever the case; nothing found, nothing to open.
    auto* filter = child<QLineEdit>(book, "userFilter");
    auto* open = child<QPushButton>(book, "openUserButton");
    const std::pair<const char*, std::pair<bool, bool>> filters[] = {{"FABIA", {false, true}},
                                                                     {"2026-12", {true, false}},
                                                                     {"volnoběh", {true, false}},
                                                                     {"", {true, true}}};
    for (const auto& [typed, shown] : filters) {
        filter->setText(QString::fromUtf8(typed));
        EXPECT_EQ(!octavia->isHidden(), shown.first) << typed;
        EXPECT_EQ(!fabia->isHidden(), shown.second) << typed;
    }
    filter->setText(QStringLiteral("nic"));
    EXPECT_FALSE(open->isEnabled());
    filter->clear();
    EXPECT_TRUE(open->isEnabled());

    // Delete asks first: No keeps the file, Yes removes it and its row.
    list->setCurrentItem(fabia);
    QTest::mouseClick(child<QPushButton>(book, "deleteUserButton"), Qt::LeftButton);
    ASSERT_EQ(questions.size(), 1u);
    EXPECT_NE(questions[0].find("Fabia startování"), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(user / "Fabia.sdf"));
    yes = true;
    list->setCurrentItem(fabia);
    QTest::mouseClick(child<QPushButton>(book, "deleteUserButton"), Qt::LeftButton);
    EXPECT_FALSE(std::filesystem::exists(user / "Fabia.sdf"));
    EXPECT_EQ(list->topLevelItemCount(), 1);
    EXPECT_EQ(book.LastBoxText(), "");
    book.hide();

    // Open answers "settings and waveforms" with the user's chart.
    QTimer::singleShot(0, &book, [&book] {
        child<QTabWidget>(book, "bookTabs")->setCurrentIndex(1);
        QTest::mouseClick(child<QPushButton>(book, "openUserButton"), Qt::LeftButton);
    });
    EXPECT_EQ(book.Run(folder), CDlgScopeBook::kLoadAll);
    ASSERT_NE(book.SelectedRecord(), nullptr);
    EXPECT_EQ(book.SelectedRecord()->file->GetHeaderText(), "Octavia volnoběh");
}

TEST_F(ScopeBookTest, FileEditEnablesOnlyTheChannelsOfTheChart) {
    CChartLibrary lib;
    ASSERT_TRUE(lib.List(folder));
    ChartRecord* otacky = lib.Rows()[1];
    ASSERT_EQ(otacky->Name(), "Otacky");
    CDlgScopeFileEdit dlg;
    dlg.Prepare(*otacky);
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    EXPECT_EQ(child<QLineEdit>(dlg, "chartName")->text(), QStringLiteral("Otáčky motoru, volnoběh"));
    for (const char* name : {"nameA", "descriptionA", "nameB", "descriptionB"})
        EXPECT_TRUE(child<QLineEdit>(dlg, name)->isEnabled()) << name;
    for (const char* name : {"nameC", "descriptionC", "nameD", "descriptionD"})
        EXPECT_FALSE(child<QLineEdit>(dlg, name)->isEnabled()) << name;
    shoot(dlg, "scopefileedit.png");

    // Longer than the file's field: cut on a character boundary.
    child<QLineEdit>(dlg, "descriptionB")->setText(QString(300, QChar(u'č')));
    const ChartEdit fields = dlg.Fields();
    EXPECT_LE(fields.channels[1].description.size(), 255u);
    EXPECT_EQ(QString::fromStdString(fields.channels[1].description), QString(127, QChar(u'č')));
    EXPECT_FALSE(fields.channels[2].enabled);
}

} // namespace
} // namespace wavix
