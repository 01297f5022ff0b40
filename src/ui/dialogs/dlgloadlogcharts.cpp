#include "ui/dialogs/dlgloadlogcharts.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QPushButton>
#include <QRadioButton>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace wavix {

namespace {

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

// Index of TXT_1100 + k in the table.
enum Text {
    kTitle,
    kListGroup,
    kSortGroup,
    kByName,
    kByDate,
    kClose,
    kCheckTesterText,
    kShow,
    kColumnFile,
    kColumnDescription,
    kColumnDuration,
    kColumnDate
};

} // namespace

CDlgLoadLogCharts::CDlgLoadLogCharts(QWidget* parent) : QDialog(parent) {
    setModal(true);
    setSizeGripEnabled(true);

    listGroup_ = new QGroupBox;
    auto* listLayout = new QVBoxLayout(listGroup_);
    list_ = new QTreeWidget;
    list_->setObjectName(QStringLiteral("logList"));
    list_->setColumnCount(4);
    list_->setRootIsDecorated(false);
    list_->setUniformRowHeights(true);
    list_->setAllColumnsShowFocus(true);
    list_->setSelectionMode(QAbstractItemView::SingleSelection);
    listLayout->addWidget(list_);

    sortGroup_ = new QGroupBox;
    auto* sortLayout = new QVBoxLayout(sortGroup_);
    byName_ = new QRadioButton;
    byName_->setObjectName(QStringLiteral("sortByName"));
    byDate_ = new QRadioButton;
    byDate_->setObjectName(QStringLiteral("sortByDate"));
    byName_->setChecked(true);
    sortLayout->addWidget(byName_);
    sortLayout->addWidget(byDate_);
    sortLayout->addStretch(1);

    tester_ = new QPushButton;
    tester_->setObjectName(QStringLiteral("checkTester"));
    ok_ = new QPushButton;
    ok_->setObjectName(QStringLiteral("showLog"));
    ok_->setDefault(true);
    close_ = new QPushButton;
    close_->setObjectName(QStringLiteral("close"));

    auto* side = new QVBoxLayout;
    side->addWidget(sortGroup_);
    side->addStretch(1);
    side->addWidget(tester_);
    side->addWidget(ok_);
    side->addWidget(close_);
    auto* root = new QHBoxLayout(this);
    root->addWidget(listGroup_, 1);
    root->addLayout(side);

    connect(byName_, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            SortByName();
    });
    connect(byDate_, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            SortByDate();
    });
    connect(list_, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (item == nullptr)
            return; // a null report keeps the choice
        const auto row = static_cast<std::size_t>(list_->indexOfTopLevelItem(item));
        if (row < library_.Rows().size())
            library_.Select(library_.Rows()[row]);
    });
    connect(list_, &QTreeWidget::itemActivated, this, [this] { accept(); });
    connect(ok_, &QPushButton::clicked, this, &QDialog::accept);
    connect(close_, &QPushButton::clicked, this, &QDialog::reject);
    connect(tester_, &QPushButton::clicked, this, [this] { done(kCheckTester); });

    applyTexts();
    resize(720, 360);
}

void CDlgLoadLogCharts::SetLanguage(const std::filesystem::path& langFile) {
    texts_.Load(langFile);
    applyTexts();
}

void CDlgLoadLogCharts::applyTexts() {
    setWindowTitle(qs(texts_[kTitle]));
    listGroup_->setTitle(qs(texts_[kListGroup]));
    sortGroup_->setTitle(qs(texts_[kSortGroup]));
    byName_->setText(qs(texts_[kByName]));
    byDate_->setText(qs(texts_[kByDate]));
    close_->setText(qs(texts_[kClose]));
    tester_->setText(qs(texts_[kCheckTesterText]));
    ok_->setText(qs(texts_[kShow]));
    list_->setHeaderLabels({qs(texts_[kColumnFile]), qs(texts_[kColumnDescription]),
                            qs(texts_[kColumnDuration]), qs(texts_[kColumnDate])});
}

bool CDlgLoadLogCharts::List(const std::filesystem::path& folder) {
    choiceValid_ = false;
    chosen_.clear();
    library_.Open();
    if (library_.ListLogs(folder) == kFolderMissing)
        return false;
    if (byDate_->isChecked())
        library_.SortByDate();
    else
        library_.SortByName();
    fill();
    ok_->setEnabled(!library_.Rows().empty());
    tester_->setEnabled(testerReady_);
    return true;
}

int CDlgLoadLogCharts::Run(const std::filesystem::path& folder) {
    if (!List(folder))
        return kFolderMissing;
    const int result = exec();
    // The records (one open file object each) are not kept past the dialog.
    library_.List({});
    list_->clear();
    return result;
}

void CDlgLoadLogCharts::fill() {
    list_->clear();
    QTreeWidgetItem* current = nullptr;
    for (ChartRecord* record : library_.Rows()) {
        const ChartColumns c = ChartListColumns(*record);
        auto* item = new QTreeWidgetItem(list_, {qs(c.name), qs(c.description), qs(c.duration), qs(c.date)});
        if (record == library_.Selected())
            current = item;
    }
    // Each column as wide as the larger of its content and its title.
    for (int col = 0; col < list_->columnCount(); ++col) {
        list_->resizeColumnToContents(col);
        list_->setColumnWidth(col, std::max(list_->columnWidth(col), list_->header()->sectionSizeHint(col)));
    }
    if (current != nullptr)
        list_->setCurrentItem(current);
    else if (list_->topLevelItemCount() > 0)
        list_->setCurrentItem(list_->topLevelItem(0));
}

void CDlgLoadLogCharts::SortByName() {
    library_.SortByName();
    fill();
}

void CDlgLoadLogCharts::SortByDate() {
    library_.SortByDate();
    fill();
}

QStringList CDlgLoadLogCharts::RowNames() const {
    QStringList names;
    for (int i = 0; i < list_->topLevelItemCount(); ++i)
        names << list_->topLevelItem(i)->text(0);
    return names;
}

void CDlgLoadLogCharts::SelectRow(int row) {
    if (QTreeWidgetItem* item = list_->topLevelItem(row))
        list_->setCurrentItem(item);
}

void CDlgLoadLogCharts::done(int result) {
    if (ChartRecord* chosen = library_.Selected()) {
        choiceValid_ = true;
        chosen_ = chosen->path;
    }
    QDialog::done(result);
}

} // namespace wavix
