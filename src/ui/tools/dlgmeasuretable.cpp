#include "ui/tools/dlgmeasuretable.h"

#include "core/settings/builtintexts.h"
#include "core/support/strformat.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace wavix {
namespace {

// The window's own texts and the measurements' names and reasons.
constexpr int kFirstKey = 1670;
constexpr int kLastKey = 1739;

QString qs(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

} // namespace

CDlgMeasureTable::CDlgMeasureTable(CMeasurementTable& table, std::filesystem::path langFile, QWidget* parent)
    : QDialog(parent), table_(table), texts_(BuiltinTextRange(kFirstKey, kLastKey)) {
    if (!langFile.empty())
        texts_.Load(langFile);
    setObjectName(QStringLiteral("MeasureTable"));
    setModal(false);
    setWindowTitle(qs(Text("TXT_1720")));

    grid_ = new QTableWidget(0, 3, this);
    grid_->setObjectName(QStringLiteral("rows"));
    grid_->setHorizontalHeaderLabels({qs(Text("TXT_1721")), qs(Text("TXT_1722")), qs(Text("TXT_1723"))});
    grid_->verticalHeader()->hide();
    grid_->horizontalHeader()->setStretchLastSection(true);
    grid_->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);

    channel_ = new QComboBox(this);
    channel_->setObjectName(QStringLiteral("channel"));
    for (int ch = 1; ch <= kChannelCount; ++ch)
        channel_->addItem(qs(StrFormat(Text("TXT_1724").c_str(), ch)), ch);
    measure_ = new QComboBox(this);
    measure_->setObjectName(QStringLiteral("measurement"));
    for (const MeasureDef& d : Measurements())
        measure_->addItem(qs(Text(d.textKey)), qs(d.key));
    auto* add = new QPushButton(qs(Text("TXT_1725")), this);
    add->setObjectName(QStringLiteral("add"));
    connect(add, &QPushButton::clicked, this, [this] {
        AddRow(channel_->currentData().toInt(), measure_->currentData().toString().toStdString());
    });
    auto* remove = new QPushButton(qs(Text("TXT_1726")), this);
    remove->setObjectName(QStringLiteral("remove"));
    connect(remove, &QPushButton::clicked, this, &CDlgMeasureTable::RemoveSelectedRow);
    grid_->installEventFilter(this);
    cursors_ = new QCheckBox(qs(Text("TXT_1727")), this);
    cursors_->setObjectName(QStringLiteral("betweenCursors"));
    connect(cursors_, &QCheckBox::toggled, this, [this] {
        if (changed_)
            changed_();
    });

    auto* editRow = new QHBoxLayout;
    editRow->addWidget(channel_);
    editRow->addWidget(measure_, 1);
    editRow->addWidget(add);
    editRow->addWidget(remove);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(grid_, 1);
    layout->addLayout(editRow);
    layout->addWidget(cursors_);
    setMinimumSize(420, 260);
    rebuild();
}

const std::string& CDlgMeasureTable::Text(std::string_view key) const {
    return texts_[static_cast<std::size_t>(
        std::max(TextIndex(BuiltinTextRange(kFirstKey, kLastKey), key), 0))];
}

bool CDlgMeasureTable::eventFilter(QObject* watched, QEvent* event) {
    if (watched == grid_ && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Delete) {
        RemoveSelectedRow();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

bool CDlgMeasureTable::BetweenCursors() const {
    return cursors_->isChecked();
}

void CDlgMeasureTable::SetBetweenCursors(bool on) {
    const QSignalBlocker quiet(cursors_);
    cursors_->setChecked(on);
}

bool CDlgMeasureTable::AddRow(int channel, std::string_view key) {
    if (!table_.Add(channel, key))
        return false;
    rebuild();
    grid_->selectRow(grid_->rowCount() - 1);
    if (changed_)
        changed_();
    return true;
}

void CDlgMeasureTable::RemoveSelectedRow() {
    const int row = grid_->currentRow();
    if (row < 0 || static_cast<std::size_t>(row) >= table_.Rows().size())
        return;
    table_.Remove(static_cast<std::size_t>(row));
    rebuild();
    grid_->selectRow(std::min(row, grid_->rowCount() - 1));
    if (changed_)
        changed_();
}

void CDlgMeasureTable::rebuild() {
    const auto rows = table_.Rows();
    grid_->setRowCount(static_cast<int>(rows.size()));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const int r = static_cast<int>(i);
        grid_->setItem(r, 0, new QTableWidgetItem(qs(StrFormat(Text("TXT_1724").c_str(), rows[i].channel))));
        grid_->setItem(r, 1, new QTableWidgetItem(qs(Text(rows[i].def->textKey))));
        grid_->setItem(r, 2, new QTableWidgetItem);
    }
}

void CDlgMeasureTable::ShowValues(const std::vector<std::string>& values) {
    if (static_cast<std::size_t>(grid_->rowCount()) != table_.Rows().size())
        rebuild();
    const int n = std::min(grid_->rowCount(), static_cast<int>(values.size()));
    for (int r = 0; r < n; ++r) {
        const QString text = qs(values[static_cast<std::size_t>(r)]);
        QTableWidgetItem* item = grid_->item(r, 2);
        if (item->text() != text)
            item->setText(text);
    }
}

} // namespace wavix
