#include "ui/dialogs/dlgstartupoptions.h"

#include "ui/dialogs/dialogbuttons.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace wavix {

namespace {

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

CDlgStartupOptions::CDlgStartupOptions(const std::filesystem::path& langFile, StartupChoice initial,
                                       QWidget* parent)
    : QDialog(parent), options_(initial) {
    if (!langFile.empty())
        options_.LoadTexts(langFile);
    using T = CStartupOptions;
    setWindowTitle(qs(options_.Texts(T::kTitle)));
    setModal(true);

    choices_ = new QButtonGroup(this);
    const auto addChoice = [this](StartupChoice choice, T::Text text) {
        auto* button = new QRadioButton(qs(options_.Texts(text)));
        button->setObjectName(QStringLiteral("choice%1").arg(static_cast<int>(choice)));
        choices_->addButton(button, static_cast<int>(choice));
        return button;
    };

    auto* sampleGroup = new QGroupBox(qs(options_.Texts(T::kSampleChartGroup)));
    auto* sampleLayout = new QVBoxLayout(sampleGroup);
    sampleLayout->addWidget(addChoice(StartupChoice::SampleChart, T::kChoiceSampleChart));

    auto* customGroup = new QGroupBox(qs(options_.Texts(T::kCustomGroup)));
    auto* customLayout = new QGridLayout(customGroup);
    customLayout->addWidget(addChoice(StartupChoice::Custom, T::kChoiceCustom), 0, 0, 1, 2);
    timebaseLabel_ = new QLabel(qs(options_.Texts(T::kTimebaseLabel)));
    timebaseList_ = new QComboBox;
    timebaseList_->setObjectName(QStringLiteral("timebaseList"));
    for (const auto& entry : options_.TimebaseEntries())
        timebaseList_->addItem(qs(entry));
    timebaseLabel_->setBuddy(timebaseList_);
    channelLabel_ = new QLabel(qs(options_.Texts(T::kChannelCountLabel)));
    channelList_ = new QComboBox;
    channelList_->setObjectName(QStringLiteral("channelList"));
    for (const auto& entry : options_.ChannelCountEntries())
        channelList_->addItem(qs(entry));
    channelLabel_->setBuddy(channelList_);
    customLayout->addWidget(timebaseLabel_, 1, 0);
    customLayout->addWidget(timebaseList_, 1, 1);
    customLayout->addWidget(channelLabel_, 2, 0);
    customLayout->addWidget(channelList_, 2, 1);
    customLayout->setColumnStretch(1, 1);
    // The list entries are aligned with leading blanks; a fixed-pitch font keeps them aligned.
    QFont mono = timebaseList_->font();
    mono.setFamily(QStringLiteral("monospace"));
    mono.setStyleHint(QFont::Monospace);
    timebaseList_->setFont(mono);

    QDialogButtonBox* buttons =
        AcceptRejectButtons(*this, qs(options_.Texts(T::kOk)), qs(options_.Texts(T::kCancel)));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(addChoice(StartupChoice::Tester, T::kChoiceTester));
    layout->addWidget(addChoice(StartupChoice::LastOnPc, T::kChoiceLastOnPc));
    layout->addWidget(sampleGroup);
    layout->addWidget(customGroup);
    layout->addStretch(1);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(choices_, &QButtonGroup::idClicked, this, &CDlgStartupOptions::choose);
    connect(choices_, &QButtonGroup::idToggled, this, [this](int id, bool on) {
        if (on)
            choose(id);
    });
    auto* first = choices_->button(static_cast<int>(initial));
    if (first == nullptr)
        first = choices_->button(static_cast<int>(StartupChoice::Tester));
    first->setChecked(true);
    choose(choices_->id(first));
    first->setFocus();
}

void CDlgStartupOptions::choose(int choice) {
    options_.SetChoice(static_cast<StartupChoice>(choice));
    const bool custom = options_.CustomControlsEnabled();
    for (QWidget* w : {static_cast<QWidget*>(timebaseLabel_), static_cast<QWidget*>(timebaseList_),
                       static_cast<QWidget*>(channelLabel_), static_cast<QWidget*>(channelList_)})
        w->setEnabled(custom);
}

void CDlgStartupOptions::accept() {
    options_.SetTimebaseEntry(timebaseList_->currentIndex());
    options_.SetChannelCountEntry(channelList_->currentIndex());
    QDialog::accept();
}

} // namespace wavix
