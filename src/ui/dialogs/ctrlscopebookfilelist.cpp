#include "ui/dialogs/ctrlscopebookfilelist.h"

#include <QHeaderView>

namespace wavix {

namespace {

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

void sizeColumns(QTreeWidget& list) {
    // Each column as wide as the wider of its content and its title.
    for (int c = 0; c < list.columnCount(); ++c) {
        list.resizeColumnToContents(c);
        const int title = list.header()->sectionSizeHint(c);
        list.setColumnWidth(c, std::max(list.columnWidth(c), title));
    }
}

} // namespace

CCtrlScopeBookFileList::CCtrlScopeBookFileList(QWidget* parent) : QTreeWidget(parent) {
    setRootIsDecorated(false);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setAllColumnsShowFocus(true);
    setColumnCount(0);
    connect(this, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        if (item != nullptr)
            postTo(owner_, Msg::UWM_CTRL_SCOPE_BOOK_LIST_MSG, 0,
                   reinterpret_cast<std::intptr_t>(item->data(0, Qt::UserRole).value<void*>()));
    });
}

void CCtrlScopeBookFileList::SetColumnTitles12(const std::string& first, const std::string& second) {
    titles_[0] = qs(first);
    titles_[1] = qs(second);
}

void CCtrlScopeBookFileList::SetColumnTitles34(const std::string& third, const std::string& fourth) {
    titles_[2] = qs(third);
    titles_[3] = qs(fourth);
}

void CCtrlScopeBookFileList::Clear() {
    setUpdatesEnabled(false);
    clear();
    setUpdatesEnabled(true);
}

bool CCtrlScopeBookFileList::AddRow(ChartRecord* record, const ChartColumns& columns) {
    if (record == nullptr)
        return false;
    const int n = fourColumns_ ? 4 : 2;
    if (columnCount() != n) {
        setColumnCount(n);
        setHeaderLabels(titles_.mid(0, n));
    }
    QStringList texts{qs(columns.name), qs(columns.description)};
    if (fourColumns_)
        texts << qs(columns.duration) << qs(columns.date);
    auto* item = new QTreeWidgetItem(this, texts);
    item->setData(0, Qt::UserRole, QVariant::fromValue(static_cast<void*>(record)));
    return true;
}

void CCtrlScopeBookFileList::Fill(const CChartLibrary& library) {
    const QSignalBlocker quiet(this);
    Clear();
    for (ChartRecord* record : library.Rows())
        AddRow(record, ChartListColumns(*record));
    SizeColumns();
}

void CCtrlScopeBookFileList::SizeColumns() {
    sizeColumns(*this);
}

ChartRecord* CCtrlScopeBookFileList::SelectedRecord() const {
    const auto items = selectedItems();
    if (items.isEmpty())
        return nullptr;
    return static_cast<ChartRecord*>(items.front()->data(0, Qt::UserRole).value<void*>());
}

CCtrlScopeBookDetailList::CCtrlScopeBookDetailList(QWidget* parent) : QTreeWidget(parent) {
    setRootIsDecorated(false);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setAllColumnsShowFocus(true);
    setColumnCount(2);
    setHeaderLabels({QStringLiteral("Položka"), QStringLiteral("Hodnota")});
}

void CCtrlScopeBookDetailList::SetColumnTitles(const std::string& item, const std::string& value) {
    setHeaderLabels({qs(item), qs(value)});
}

void CCtrlScopeBookDetailList::Fill(const std::vector<ChartDetailRow>& rows) {
    setUpdatesEnabled(false);
    clear();
    for (const ChartDetailRow& row : rows)
        new QTreeWidgetItem(this, {qs(row.item), qs(row.value)});
    setUpdatesEnabled(true);
    SizeColumns();
}

void CCtrlScopeBookDetailList::SizeColumns() {
    sizeColumns(*this);
}

} // namespace wavix
