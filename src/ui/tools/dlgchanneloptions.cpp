#include "ui/tools/dlgchanneloptions.h"

#include "core/scope/channeldata.h"
#include "ui/colorref.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolButton>
#include <QVBoxLayout>

#include <cstdio>

namespace wavix {
namespace {

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

QToolButton* arrowButton(Qt::ArrowType type, const char* name, QWidget* parent) {
    auto* b = new QToolButton(parent);
    b->setArrowType(type);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoRepeat(true);
    b->setFocusPolicy(Qt::StrongFocus);
    return b;
}

} // namespace

CDlgChannelOptions::CDlgChannelOptions(std::string dataDir, QWidget* parent,
                                       const std::filesystem::path& langFile)
    : QDialog(parent), dataDir_(std::move(dataDir)), choosers_(ToolChoosers::Standard(langFile)) {
    setWindowTitle(QStringLiteral(".: Channel options"));
    setObjectName(QStringLiteral("ChannelOptions"));
    setModal(false);

    chooser_ = new QComboBox(this);
    chooser_->setObjectName(QStringLiteral("channelChooser"));
    connect(chooser_, &QComboBox::activated, this, [this](int index) {
        if (list_.ShowIndex(index))
            showChannel();
    });
    title_ = new QLabel(this);
    title_->setObjectName(QStringLiteral("channelTitle"));
    QFont bold = title_->font();
    bold.setBold(true);
    title_->setFont(bold);

    auto* modeGroup = new QGroupBox(QStringLiteral("Input mode"), this);
    auto* modeLayout = new QHBoxLayout(modeGroup);
    auto* modeButtons = new QButtonGroup(this);
    const char* modeNames[3] = {"AC", "DC", "GND"};
    for (int i = 0; i < 3; ++i) {
        auto* b = new QPushButton(QString::fromLatin1(modeNames[i]), modeGroup);
        b->setObjectName(QStringLiteral("mode%1").arg(QString::fromLatin1(modeNames[i])));
        b->setCheckable(true);
        modeButtons->addButton(b, i);
        modeLayout->addWidget(b);
        modes_[static_cast<std::size_t>(i)] = b;
    }
    connect(modeButtons, &QButtonGroup::idClicked, this, &CDlgChannelOptions::SetCoupling);

    auto* gainGroup = new QGroupBox(QStringLiteral("Channel gain"), this);
    auto* gainLayout = new QGridLayout(gainGroup);
    gain_ = new QLineEdit(gainGroup);
    gain_->setObjectName(QStringLiteral("gain"));
    gain_->setReadOnly(true);
    gainUp_ = arrowButton(Qt::UpArrow, "gainUp", gainGroup);
    gainDown_ = arrowButton(Qt::DownArrow, "gainDown", gainGroup);
    // The up arrow is a negative step of the up-down control, as the panel's ▲ key: one range up.
    connect(gainUp_, &QToolButton::clicked, this, [this] { StepGain(-1); });
    connect(gainDown_, &QToolButton::clicked, this, [this] { StepGain(1); });
    offsetUp_ = arrowButton(Qt::UpArrow, "offsetUp", gainGroup);
    offsetDown_ = arrowButton(Qt::DownArrow, "offsetDown", gainGroup);
    connect(offsetUp_, &QToolButton::clicked, this, [this] { StepOffset(1); });
    connect(offsetDown_, &QToolButton::clicked, this, [this] { StepOffset(-1); });
    gainLayout->addWidget(new QLabel(QStringLiteral("Gain"), gainGroup), 0, 0);
    gainLayout->addWidget(gain_, 0, 1);
    gainLayout->addWidget(gainDown_, 0, 2);
    gainLayout->addWidget(gainUp_, 0, 3);
    gainLayout->addWidget(new QLabel(QStringLiteral("Offset"), gainGroup), 1, 0);
    gainLayout->addWidget(offsetDown_, 1, 2);
    gainLayout->addWidget(offsetUp_, 1, 3);

    colour_ = new QPushButton(QStringLiteral("Channel color"), this);
    colour_->setObjectName(QStringLiteral("colour"));
    connect(colour_, &QPushButton::clicked, this, &CDlgChannelOptions::ChooseColour);
    colourSwatch_ = new QLabel(this);
    colourSwatch_->setObjectName(QStringLiteral("colourSwatch"));
    colourSwatch_->setFixedSize(48, 20);
    colourSwatch_->setAutoFillBackground(true);
    colourSwatch_->setFrameStyle(QFrame::Box | QFrame::Plain);

    probeGroup_ = new QGroupBox(QStringLiteral("Probe"), this);
    auto* probeLayout = new QGridLayout(probeGroup_);
    probeRatio_ = new QLabel(probeGroup_);
    probeName_ = new QLabel(probeGroup_);
    probeUnits_ = new QLabel(probeGroup_);
    probeName_->setObjectName(QStringLiteral("probeName"));
    loadProbe_ = new QPushButton(QStringLiteral("Load probe"), probeGroup_);
    unloadProbe_ = new QPushButton(QStringLiteral("Unload probe"), probeGroup_);
    loadProbe_->setObjectName(QStringLiteral("loadProbe"));
    unloadProbe_->setObjectName(QStringLiteral("unloadProbe"));
    connect(loadProbe_, &QPushButton::clicked, this, &CDlgChannelOptions::LoadProbe);
    connect(unloadProbe_, &QPushButton::clicked, this, &CDlgChannelOptions::UnloadProbe);
    probeLayout->addWidget(probeName_, 0, 0);
    probeLayout->addWidget(probeRatio_, 1, 0);
    probeLayout->addWidget(probeUnits_, 2, 0);
    probeLayout->addWidget(loadProbe_, 0, 1);
    probeLayout->addWidget(unloadProbe_, 1, 1);
    probeLayout->setColumnStretch(0, 1);

    auto* top = new QHBoxLayout;
    top->addWidget(chooser_);
    top->addWidget(title_, 1);
    auto* colourRow = new QHBoxLayout;
    colourRow->addWidget(colour_);
    colourRow->addWidget(colourSwatch_);
    colourRow->addStretch(1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(modeGroup);
    layout->addWidget(gainGroup);
    layout->addLayout(colourRow);
    layout->addWidget(probeGroup_);
    refill();
}

void CDlgChannelOptions::OnControl(std::intptr_t wParam, std::intptr_t lParam) {
    switch (list_.OnControl(wParam, lParam)) {
    case CChannelOptionsList::Effect::Refill:
        refill();
        break;
    case CChannelOptionsList::Effect::Show:
        showChannel();
        break;
    case CChannelOptionsList::Effect::Refused:
        std::fprintf(stderr, "wavix: channel options: channel refused (%zu listed)\n", list_.Count());
        break;
    case CChannelOptionsList::Effect::None:
        break;
    }
}

void CDlgChannelOptions::Forget(const CChannelData* channel) {
    if (channel == nullptr || !list_.Contains(channel))
        return;
    list_.Clear();
    refill();
    hide();
}

void CDlgChannelOptions::refill() {
    chooser_->clear();
    for (const std::string& entry : list_.ChooserEntries())
        chooser_->addItem(qs(entry));
    setEditingEnabled(list_.EditingEnabled());
    showChannel();
}

void CDlgChannelOptions::setEditingEnabled(bool on) {
    const bool shown = list_.Shown() != nullptr;
    for (QWidget* w :
         std::initializer_list<QWidget*>{modes_[0], modes_[1], modes_[2], gainUp_, gainDown_, offsetUp_,
                                         offsetDown_, colour_, loadProbe_, unloadProbe_})
        w->setEnabled(on && shown);
}

void CDlgChannelOptions::showChannel() {
    CChannelData* ch = list_.Shown();
    setEditingEnabled(list_.EditingEnabled());
    if (ch == nullptr) {
        title_->clear();
        gain_->clear();
        for (QPushButton* b : modes_)
            b->setChecked(false);
        probeName_->clear();
        probeRatio_->clear();
        probeUnits_->clear();
        colourSwatch_->setPalette(palette());
        return;
    }
    const ChannelOptionsView v = CChannelOptionsList::Describe(*ch);
    chooser_->setCurrentIndex(list_.ShownIndex());
    title_->setText(qs(v.title));
    for (std::size_t i = 0; i < modes_.size(); ++i)
        modes_[i]->setChecked(static_cast<int>(i) == v.coupling);
    gain_->setText(qs(v.gain));
    QPalette swatch = colourSwatch_->palette();
    swatch.setColor(QPalette::Window, ToQColor(v.colour));
    colourSwatch_->setPalette(swatch);
    probeName_->setText(qs(v.probeName));
    probeRatio_->setText(qs(v.probeRatio));
    probeUnits_->setText(qs(v.probeUnits));
}

CChannelData* CDlgChannelOptions::shownForEditing() const {
    CChannelData* ch = list_.Shown();
    if (ch == nullptr)
        std::fprintf(stderr, "wavix: channel options: no channel shown\n");
    return ch;
}

void CDlgChannelOptions::SetCoupling(int coupling) {
    CChannelData* ch = shownForEditing();
    if (ch == nullptr)
        return;
    if (coupling == 0 || coupling == 1)
        ch->SetCoupling(coupling);
    else
        std::fprintf(stderr, "wavix: channel options: GND input mode\n");
    showChannel();
}

void CDlgChannelOptions::StepGain(int step) {
    if (CChannelData* ch = shownForEditing()) {
        CChannelOptionsList::StepGain(*ch, step);
        showChannel();
    }
}

void CDlgChannelOptions::StepOffset(int step) {
    if (CChannelData* ch = shownForEditing())
        CChannelOptionsList::StepOffset(*ch, step);
}

void CDlgChannelOptions::ChooseColour() {
    CChannelData* ch = shownForEditing();
    if (ch == nullptr || !choosers_.colour)
        return;
    if (const auto colour = choosers_.colour(this, ch->GetColor()))
        ch->SetColor(*colour);
    showChannel();
}

void CDlgChannelOptions::LoadProbe() {
    CChannelData* ch = shownForEditing();
    if (ch == nullptr || !choosers_.probeFile)
        return;
    const QString file = choosers_.probeFile(this, ProbeFolder(dataDir_));
    if (!file.isEmpty() && !ch->LoadProbe(file.toStdString()) && choosers_.probeRefused)
        choosers_.probeRefused(this, file);
    showChannel();
}

void CDlgChannelOptions::UnloadProbe() {
    if (CChannelData* ch = shownForEditing()) {
        ch->ResetProbe();
        showChannel();
    }
}

QString CDlgChannelOptions::ShownTitle() const {
    return title_->text();
}

QString CDlgChannelOptions::GainText() const {
    return gain_->text();
}

QString CDlgChannelOptions::ProbeNameText() const {
    return probeName_->text();
}

} // namespace wavix
