#include "ui/dialogs/dlgcontrollogchart.h"

#include "ui/colorref.h"
#include "ui/scope/cscope.h"

#include <QAbstractTableModel>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QSlider>
#include <QTableView>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <climits>
#include <limits>

namespace wavix {

namespace {

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

int toSlider(std::int64_t v) {
    return static_cast<int>(std::clamp<std::int64_t>(v, 0, std::numeric_limits<int>::max()));
}

QPushButton* stepButton(const char* text, const char* name) {
    auto* b = new QPushButton(QString::fromLatin1(text));
    b->setObjectName(QString::fromLatin1(name));
    b->setFixedWidth(32);
    b->setAutoDefault(false);
    return b;
}

} // namespace

// The navigator's marks as rows; a log may hold 100 000, so nothing is copied.
class CMarkListModel : public QAbstractTableModel {
public:
    CMarkListModel(const CLogChartNavigator& nav, QObject* parent) : QAbstractTableModel(parent), nav_(nav) {
        for (const int kind : {1, 2}) {
            QPixmap swatch(10, 10);
            swatch.fill(ToQColor(LogMarkColour(kind)));
            swatches_[kind - 1] = swatch;
        }
    }
    int rowCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : static_cast<int>(std::min<std::size_t>(nav_.Marks().size(), INT_MAX));
    }
    int columnCount(const QModelIndex& parent) const override {
        return parent.isValid() ? 0 : CLogChartNavigator::kMarkColumnCount;
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || static_cast<std::size_t>(index.row()) >= nav_.Marks().size())
            return {};
        const LogMark& mark = nav_.Marks()[static_cast<std::size_t>(index.row())];
        if (role == Qt::DisplayRole) {
            switch (index.column()) {
            case CLogChartNavigator::kMarkNumber:
                return mark.number;
            case CLogChartNavigator::kMarkTime:
                return qs(nav_.MarkTimeText(mark));
            case CLogChartNavigator::kMarkKind:
                return mark.kind;
            default:
                return {};
            }
        }
        if (role == Qt::DecorationRole && index.column() == CLogChartNavigator::kMarkKind)
            return swatches_[mark.kind == 2 ? 1 : 0];
        if (role == Qt::TextAlignmentRole)
            return QVariant::fromValue(Qt::Alignment(Qt::AlignRight | Qt::AlignVCenter));
        return {};
    }
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
            section >= CLogChartNavigator::kMarkColumnCount)
            return {};
        return qs(nav_.GetText(static_cast<CLogChartNavigator::MarkColumn>(section)));
    }
    void Reload() {
        beginResetModel();
        endResetModel();
    }
    void TextsChanged() {
        emit headerDataChanged(Qt::Horizontal, 0, CLogChartNavigator::kMarkColumnCount - 1);
    }

private:
    const CLogChartNavigator& nav_;
    std::array<QPixmap, 2> swatches_;
};

CDlgControlLogChart::CDlgControlLogChart(CLogChartNavigator& navigator, IMessageTarget* target,
                                         QWidget* parent)
    : QDialog(parent, Qt::Tool), nav_(navigator), target_(target) {
    setModal(false);

    positionGroup_ = new QGroupBox;
    auto* pos = new QGridLayout(positionGroup_);
    windowText_ = new QLabel;
    windowText_->setObjectName(QStringLiteral("windowText"));
    factor_ = new QSlider(Qt::Horizontal);
    factor_->setObjectName(QStringLiteral("factorSlider"));
    factor_->setRange(CLogChartNavigator::kFactorMin, CLogChartNavigator::kFactorMax);
    factor_->setPageStep(1);
    factor_->setTickPosition(QSlider::TicksBelow);
    auto* factorDown = stepButton("<", "factorDown");
    auto* factorUp = stepButton(">", "factorUp");
    positionText_ = new QLabel;
    positionText_->setObjectName(QStringLiteral("positionText"));
    position_ = new QSlider(Qt::Horizontal);
    position_->setObjectName(QStringLiteral("positionSlider"));
    auto* back = stepButton("<", "positionBack");
    auto* forward = stepButton(">", "positionForward");
    pos->addWidget(windowText_, 0, 0, 1, 3);
    pos->addWidget(factorDown, 1, 0);
    pos->addWidget(factor_, 1, 1);
    pos->addWidget(factorUp, 1, 2);
    pos->addWidget(positionText_, 2, 0, 1, 3);
    pos->addWidget(back, 3, 0);
    pos->addWidget(position_, 3, 1);
    pos->addWidget(forward, 3, 2);

    marksGroup_ = new QGroupBox;
    auto* marks = new QGridLayout(marksGroup_);
    markCount_ = new QLabel;
    markCount_->setObjectName(QStringLiteral("markCount"));
    activeMark_ = new QLabel;
    activeMark_->setObjectName(QStringLiteral("activeMark"));
    goToMark_ = new QLabel;
    auto* previous = stepButton("<", "previousMark");
    auto* next = stepButton(">", "nextMark");
    marks->addWidget(markCount_, 0, 0, 1, 3);
    marks->addWidget(activeMark_, 1, 0, 1, 3);
    marks->addWidget(goToMark_, 2, 0);
    marks->addWidget(previous, 2, 1);
    marks->addWidget(next, 2, 2);
    markModel_ = new CMarkListModel(nav_, this);
    markList_ = new QTableView;
    markList_->setObjectName(QStringLiteral("markList"));
    markList_->setModel(markModel_);
    markList_->setSelectionBehavior(QAbstractItemView::SelectRows);
    markList_->setSelectionMode(QAbstractItemView::SingleSelection);
    markList_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    markList_->verticalHeader()->hide();
    markList_->verticalHeader()->setDefaultSectionSize(markList_->fontMetrics().height() + 4);
    markList_->horizontalHeader()->setStretchLastSection(true);
    markList_->setMinimumHeight(120);
    marks->addWidget(markList_, 3, 0, 1, 3);

    measureGroup_ = new QGroupBox;
    auto* measure = new QVBoxLayout(measureGroup_);
    measurement_ = new QLabel(QStringLiteral("--"));
    measurement_->setObjectName(QStringLiteral("measurement"));
    measure->addWidget(measurement_);

    channelsGroup_ = new QGroupBox;
    auto* chans = new QVBoxLayout(channelsGroup_);
    channels_ = new QListWidget;
    channels_->setObjectName(QStringLiteral("channelList"));
    channels_->setMinimumSize(260, 110);
    chans->addWidget(channels_);

    displayMode_ = new QPushButton;
    displayMode_->setObjectName(QStringLiteral("displayMode"));
    displayMode_->setAutoDefault(false);
    stop_ = new QPushButton;
    stop_->setObjectName(QStringLiteral("stop"));
    stop_->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(displayMode_);
    buttons->addStretch(1);
    buttons->addWidget(stop_);

    auto* left = new QVBoxLayout;
    left->addWidget(positionGroup_);
    left->addWidget(marksGroup_);
    left->addWidget(measureGroup_);
    auto* right = new QVBoxLayout;
    right->addWidget(channelsGroup_, 1);
    right->addLayout(buttons);
    auto* root = new QHBoxLayout(this);
    root->addLayout(left, 3);
    root->addLayout(right, 2);

    connect(factorUp, &QPushButton::clicked, this, &CDlgControlLogChart::PressFactorUp);
    connect(factorDown, &QPushButton::clicked, this, &CDlgControlLogChart::PressFactorDown);
    connect(forward, &QPushButton::clicked, this, &CDlgControlLogChart::PressPositionForward);
    connect(back, &QPushButton::clicked, this, &CDlgControlLogChart::PressPositionBack);
    connect(next, &QPushButton::clicked, this, &CDlgControlLogChart::PressNextMark);
    connect(previous, &QPushButton::clicked, this, &CDlgControlLogChart::PressPreviousMark);
    connect(stop_, &QPushButton::clicked, this, &CDlgControlLogChart::PressStop);
    connect(displayMode_, &QPushButton::clicked, this, &CDlgControlLogChart::PressDisplayMode);
    connect(markList_, &QTableView::doubleClicked, this,
            [this](const QModelIndex& index) { ActivateMarkRow(index.row()); });
    // A drag counts when released; keys and clicks on the groove move at once.
    connect(position_, &QSlider::sliderReleased, this, [this] { ReleasePositionSlider(position_->value()); });
    connect(position_, &QSlider::valueChanged, this, [this](int v) {
        if (!refreshing_ && !position_->isSliderDown())
            ReleasePositionSlider(v);
    });
    connect(factor_, &QSlider::sliderReleased, this, [this] { ReleaseFactorSlider(factor_->value()); });
    connect(factor_, &QSlider::valueChanged, this, [this](int v) {
        if (!refreshing_ && !factor_->isSliderDown())
            ReleaseFactorSlider(v);
    });

    ApplyTexts();
    nav_.Reset();
    Refresh();
}

void CDlgControlLogChart::ApplyTexts() {
    using N = CLogChartNavigator;
    setWindowTitle(qs(nav_.GetText(N::kTitle)));
    positionGroup_->setTitle(qs(nav_.GetText(N::kPosition)));
    marksGroup_->setTitle(qs(nav_.GetText(N::kMarksGroup)));
    goToMark_->setText(qs(nav_.GetText(N::kGoToMark)));
    measureGroup_->setTitle(qs(nav_.GetText(N::kMeasurementGroup)));
    displayMode_->setText(qs(nav_.GetText(N::kDisplayMode)));
    stop_->setText(qs(nav_.GetText(N::kStop)));
    channelsGroup_->setTitle(qs(nav_.GetText(N::kChannelsGroup)));
    markModel_->TextsChanged();
}

void CDlgControlLogChart::ShowLog(const std::vector<std::string>& channelLines) {
    channels_->clear();
    for (const auto& line : channelLines)
        channels_->addItem(qs(line));
    measurement_->setText(QStringLiteral("--"));
    markModel_->Reload();
    markList_->resizeColumnsToContents();
    Refresh();
}

void CDlgControlLogChart::Refresh() {
    refreshing_ = true;
    // The position slider spans the log; set anew with each log or window length.
    position_->setRange(0, toSlider(nav_.MaxPosition()));
    position_->setPageStep(std::max(1, toSlider(nav_.Window() / 2)));
    position_->setSingleStep(std::max(1, toSlider(nav_.Window() / 20)));
    position_->setValue(toSlider(nav_.Position()));
    factor_->setValue(nav_.Factor());
    refreshing_ = false;
    positionText_->setText(qs(nav_.PositionText()));
    windowText_->setText(qs(nav_.WindowText()));
    markCount_->setText(qs(nav_.MarkCountText()));
    activeMark_->setText(qs(nav_.ActiveMarkText()));
    // The active mark stays in sight in the list.
    if (nav_.ActiveMark() >= 1 && nav_.ActiveMark() <= markModel_->rowCount({})) {
        const QModelIndex row = markModel_->index(nav_.ActiveMark() - 1, 0);
        markList_->selectRow(row.row());
        markList_->scrollTo(row);
    } else {
        markList_->clearSelection();
    }
}

void CDlgControlLogChart::SetMeasurement(float percent, float divisor) {
    if (!nav_.HasLog())
        return;
    nav_.SetMeasurementPercentage(percent);
    nav_.SetMeasurementDivisor(divisor);
    measurement_->setText(qs(nav_.MeasurementText()));
}

void CDlgControlLogChart::moved(bool changed) {
    Refresh();
    if (changed && nav_.HasLog())
        post(LogChartNotice::WindowChanged);
}

void CDlgControlLogChart::post(LogChartNotice notice) {
    if (target_ != nullptr)
        target_->post(Msg::UWM_DLG_CONTROL_LOG_CHART_MSG, 0, Encode(notice));
}

void CDlgControlLogChart::PressFactorUp() {
    moved(nav_.FactorUp());
}

void CDlgControlLogChart::PressFactorDown() {
    moved(nav_.FactorDown());
}

void CDlgControlLogChart::PressPositionForward() {
    moved(nav_.PositionForward());
}

void CDlgControlLogChart::PressPositionBack() {
    moved(nav_.PositionBack());
}

void CDlgControlLogChart::PressNextMark() {
    moved(nav_.NextMark());
}

void CDlgControlLogChart::PressPreviousMark() {
    moved(nav_.PreviousMark());
}

void CDlgControlLogChart::ReleasePositionSlider(int value) {
    moved(nav_.SetPosition(value));
}

void CDlgControlLogChart::ReleaseFactorSlider(int value) {
    moved(nav_.SetFactor(value));
}

void CDlgControlLogChart::ActivateMarkRow(int row) {
    moved(nav_.GoToMark(row + 1));
}

void CDlgControlLogChart::PressStop() {
    post(LogChartNotice::Stop);
}

void CDlgControlLogChart::PressDisplayMode() {
    if (nav_.HasLog())
        post(LogChartNotice::DisplayMode);
}

QString CDlgControlLogChart::PositionLabel() const {
    return positionText_->text();
}
QString CDlgControlLogChart::WindowLabel() const {
    return windowText_->text();
}
QString CDlgControlLogChart::MarkCountLabel() const {
    return markCount_->text();
}
QString CDlgControlLogChart::ActiveMarkLabel() const {
    return activeMark_->text();
}
QString CDlgControlLogChart::MeasurementLabel() const {
    return measurement_->text();
}
QStringList CDlgControlLogChart::ChannelLines() const {
    QStringList lines;
    for (int i = 0; i < channels_->count(); ++i)
        lines << channels_->item(i)->text();
    return lines;
}
int CDlgControlLogChart::PositionSliderMax() const {
    return position_->maximum();
}
int CDlgControlLogChart::MarkRows() const {
    return markModel_->rowCount({});
}
QString CDlgControlLogChart::MarkCell(int row, int column) const {
    return markModel_->data(markModel_->index(row, column), Qt::DisplayRole).toString();
}
int CDlgControlLogChart::SelectedMarkRow() const {
    const QModelIndexList rows = markList_->selectionModel()->selectedRows();
    return rows.isEmpty() ? -1 : rows.front().row();
}

} // namespace wavix
