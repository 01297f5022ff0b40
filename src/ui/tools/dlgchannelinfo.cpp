#include "ui/tools/dlgchannelinfo.h"

#include "core/settings/builtintexts.h"
#include "ui/colorref.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace wavix {
namespace {

constexpr int kFirstKey = 950;
constexpr int kLastKey = 965;

// The caption key of each field.
constexpr std::array<const char*, CDlgChannelInfo::kFieldCount> kCaptionKeys{
    "TXT_952", "TXT_953", "TXT_954", "TXT_956", "TXT_957", "TXT_958",
    "TXT_959", "TXT_960", "TXT_961", "TXT_962", "TXT_963", "TXT_964"};

QString qs(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

} // namespace

CDlgChannelInfo::CDlgChannelInfo(std::filesystem::path langFile, QWidget* parent)
    : QDialog(parent), langFile_(std::move(langFile)), texts_(BuiltinTextRange(kFirstKey, kLastKey)) {
    if (!langFile_.empty())
        texts_.Load(langFile_);
    setObjectName(QStringLiteral("ChannelInfo"));
    setModal(false);
    setWindowTitle(qs(text("TXT_950")));

    auto* about = new QGroupBox(qs(text("TXT_951")), this);
    auto* recorded = new QGroupBox(qs(text("TXT_955")), this);
    auto* aboutGrid = new QGridLayout(about);
    auto* recordedGrid = new QGridLayout(recorded);
    for (int f = 0; f < kFieldCount; ++f) {
        QGroupBox* box = f <= kColour ? about : recorded;
        QGridLayout* grid = f <= kColour ? aboutGrid : recordedGrid;
        const int row = f <= kColour ? f : f - kGain;
        auto* caption = new QLabel(qs(text(kCaptionKeys[static_cast<std::size_t>(f)])), box);
        auto* value = new QLabel(box);
        value->setObjectName(QStringLiteral("field%1").arg(f));
        value->setTextInteractionFlags(Qt::TextSelectableByMouse);
        caption->setBuddy(value);
        grid->addWidget(caption, row, 0);
        grid->addWidget(value, row, 1);
        grid->setColumnStretch(1, 1);
        captions_[static_cast<std::size_t>(f)] = caption;
        values_[static_cast<std::size_t>(f)] = value;
    }
    QLabel* swatch = values_[kColour];
    swatch->setAutoFillBackground(true);
    swatch->setFrameStyle(QFrame::Box | QFrame::Plain);
    swatch->setMinimumSize(60, 18);

    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ok = buttons->addButton(qs(text("TXT_965")), QDialogButtonBox::AcceptRole);
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::hide);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(about);
    layout->addWidget(recorded);
    layout->addWidget(buttons);
    setMinimumWidth(320);
}

const std::string& CDlgChannelInfo::text(std::string_view key) const {
    return texts_[static_cast<std::size_t>(
        std::max(TextIndex(BuiltinTextRange(kFirstKey, kLastKey), key), 0))];
}

void CDlgChannelInfo::SetChannel(const CChannelData& channel) {
    info_ = DescribeChannel(channel, langFile_);
    const std::array<const std::string*, kFieldCount> texts{
        &info_.name,        &info_.description, nullptr,           &info_.gain,     &info_.coupling,
        &info_.probeName,   &info_.probeRatio,  &info_.probeUnits, &info_.timeBase, &info_.triggerLevel,
        &info_.triggerEdge, &info_.triggerMode};
    for (std::size_t f = 0; f < texts.size(); ++f)
        if (texts[f] != nullptr)
            values_[f]->setText(qs(*texts[f]));
    QPalette swatch = values_[kColour]->palette();
    swatch.setColor(QPalette::Window, ToQColor(info_.colour));
    values_[kColour]->setPalette(swatch);
    values_[kColour]->setToolTip(ToQColor(info_.colour).name());
}

QString CDlgChannelInfo::FieldText(Field field) const {
    return values_.at(static_cast<std::size_t>(field))->text();
}

QString CDlgChannelInfo::Caption(Field field) const {
    return captions_.at(static_cast<std::size_t>(field))->text();
}

} // namespace wavix
