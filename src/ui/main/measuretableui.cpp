#include "ui/main/measuretableui.h"

#include "core/analysis/channelscale.h"
#include "core/app/mainmenu.h"
#include "core/app/measuretable.h"
#include "core/settings/datadirectory.h"
#include "core/settings/ini.h"
#include "core/settings/programsettings.h"
#include "ui/scope/cscope.h"
#include "ui/tools/dlgmeasuretable.h"

#include <QAction>
#include <QWidget>

namespace wavix {
namespace {

// Zoom and cursors change without a notice; this often is enough to follow a drag.
constexpr int kPollMs = 200;

} // namespace

CMeasureTableUi::CMeasureTableUi(QWidget& window, CCaptureStore& capture,
                                 const std::array<CScope*, kViewCount>& views)
    : window_(window), capture_(capture), views_(views) {
    capture_.AddListener(*this);
    poll_.setInterval(kPollMs);
    QObject::connect(&poll_, &QTimer::timeout, &guard_, [this] { request(); });
}

CMeasureTableUi::~CMeasureTableUi() {
    capture_.RemoveListener(*this);
    // The window goes later, with the main window.
    if (dlg_ != nullptr)
        dlg_->SetChanged({});
}

void CMeasureTableUi::Create(const std::string& dataDir, const std::filesystem::path& langFile) {
    if (dlg_ != nullptr)
        return;
    const std::string folder = SettingsFolder(dataDir);
    if (!folder.empty())
        ini_ = folder + std::string(kProgramIniName);
    MeasureTableSettings stored;
    if (!ini_.empty())
        stored = LoadMeasureTable(CIni(ini_), table_);
    dlg_ = new CDlgMeasureTable(table_, langFile, &window_);
    dlg_->SetBetweenCursors(stored.betweenCursors);
    // The close box hides the window without the command.
    QObject::connect(dlg_, &QDialog::finished, &guard_, [this] {
        poll_.stop();
        save();
    });
    dlg_->SetChanged([this] {
        save();
        Refresh();
    });
    const QString name = QStringLiteral("cmd0x%1").arg(kMeasureTableCommand, 0, 16);
    if (auto* command = window_.findChild<QAction*>(name)) {
        // The menu bar reads the language file's menu table only; this text is the window's.
        command->setText(QString::fromStdString(dlg_->Text("TXT_1720")));
        QObject::connect(command, &QAction::triggered, &guard_, [this] { SetVisible(!IsVisible()); });
    }
    SetVisible(stored.shown);
}

void CMeasureTableUi::SetVisible(bool visible) {
    if (dlg_ == nullptr)
        return;
    const bool was = dlg_->isVisible();
    dlg_->setVisible(visible);
    if (visible) {
        dlg_->raise();
        Refresh();
        poll_.start();
    } else {
        poll_.stop();
    }
    if (was != visible)
        save();
}

bool CMeasureTableUi::IsVisible() const {
    return dlg_ != nullptr && dlg_->isVisible();
}

void CMeasureTableUi::request() {
    if (IsVisible() && !table_.Rows().empty())
        paced_.Request();
}

void CMeasureTableUi::Refresh() {
    if (dlg_ == nullptr)
        return;
    // Each channel is measured on what the first view showing it shows.
    std::array<const CChannelData*, kChannelCount> shown{};
    std::array<SampleSpan, kChannelCount> spans{};
    for (const CScope* view : views_) {
        if (view == nullptr || view->isHidden())
            continue;
        for (int slot = 0; slot < view->LiveCount(); ++slot) {
            const CChannelData* ch = view->LiveChannel(slot);
            const int c = ch != nullptr ? ch->GetChannel() - 1 : -1;
            if (c < 0 || c >= kChannelCount || shown[static_cast<std::size_t>(c)] != nullptr)
                continue;
            shown[static_cast<std::size_t>(c)] = ch;
            spans[static_cast<std::size_t>(c)] = ShownSpan(
                ch->GetSampleCount(), view->Zoom(), dlg_->BetweenCursors() ? &view->Cursors() : nullptr);
        }
    }
    std::array<SignalInput, kChannelCount> inputs{};
    for (std::size_t c = 0; c < inputs.size(); ++c)
        if (shown[c] != nullptr && spans[c].count > 0)
            inputs[c] = ChannelSignal(*shown[c], spans[c].from, spans[c].count);
    table_.Evaluate(inputs);

    std::vector<std::string> values;
    const auto rows = table_.Rows();
    const auto results = table_.Results();
    values.reserve(rows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const CChannelData* ch = shown[static_cast<std::size_t>(rows[i].channel - 1)];
        const std::string unit = ch != nullptr ? CChannelScale(*ch).Unit() : std::string("V");
        std::string text = FormatMeasureValue(*rows[i].def, results[i], unit);
        values.push_back(text.empty() ? dlg_->Text(MeasureWhyKey(results[i].why)) : std::move(text));
    }
    dlg_->ShowValues(values);
}

void CMeasureTableUi::save() const {
    if (dlg_ != nullptr && !ini_.empty())
        SaveMeasureTable(CIni(ini_), table_, {dlg_->BetweenCursors(), dlg_->isVisible()});
}

} // namespace wavix
