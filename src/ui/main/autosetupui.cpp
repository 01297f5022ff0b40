#include "ui/main/autosetupui.h"

#include "core/analysis/measurement.h"
#include "core/settings/builtintexts.h"

#include <QAction>
#include <QMenuBar>
#include <QStatusBar>

#include <vector>

namespace wavix {

namespace {
constexpr int kFirstText = 1740;
constexpr int kLastText = 1759;
constexpr int kTickMs = 100;
constexpr std::uint32_t kLiveMs = 2000;
} // namespace

CAutoSetupUi::CAutoSetupUi(CCaptureStore& capture, const ITickSource& ticks, QStatusBar& bar,
                           std::function<bool()> live, QObject* parent)
    : QObject(parent), capture_(capture), ticks_(ticks), setup_(ticks), live_(std::move(live)),
      texts_(BuiltinTextRange(kFirstText, kLastText)), bar_(bar) {
    capture_.AddListener(*this);
    // Without captures the run still has to end at its limit.
    tick_.setInterval(kTickMs);
    connect(&tick_, &QTimer::timeout, this, [this] {
        if (setup_.OnTick())
            finish();
    });
    // A widget of its own squeezed the panes of a laptop-wide bar into each other.
    connect(&bar_, &QStatusBar::messageChanged, this, [this](const QString& now) {
        if (now != status_)
            status_.clear();
    });
}

CAutoSetupUi::~CAutoSetupUi() {
    capture_.RemoveListener(*this);
}

void CAutoSetupUi::LoadTexts(const std::filesystem::path& langFile) {
    texts_.Load(langFile);
}

std::string CAutoSetupUi::text(std::string_view key) const {
    const int i = TextIndex(BuiltinTextRange(kFirstText, kLastText), key);
    return i >= 0 ? texts_[static_cast<std::size_t>(i)] : std::string(BuiltinText(key));
}

void CAutoSetupUi::BindMenu(QMenuBar& bar) {
    for (QAction* action : bar.findChildren<QAction*>()) {
        const int id = action->data().toInt();
        if (id != kAutoSetupCommand && id != kAutoSetupUndoCommand)
            continue;
        action->setText(QString::fromStdString(text(id == kAutoSetupCommand ? "TXT_1740" : "TXT_1741")));
        connect(action, &QAction::triggered, this, [this, id] { id == kAutoSetupCommand ? Run() : Undo(); });
    }
}

void CAutoSetupUi::show(const std::string& line, int forMs) {
    status_ = QString::fromStdString(line);
    bar_.showMessage(status_, forMs);
}

void CAutoSetupUi::Run() {
    if (setup_.IsRunning())
        return;
    if (!live_() || !sawCapture_ || ticksSince(ticks_.tickMs(), lastCapture_) > kLiveMs) {
        show(text("TXT_1749"));
        return;
    }
    setup_.Start(capture_.Data().GetSettings());
    tick_.start();
    show(text("TXT_1742"), 0);
}

void CAutoSetupUi::Undo() {
    setup_.Cancel();
    tick_.stop();
    const std::optional<tOscilExchange> before = setup_.TakeUndo();
    if (!before) {
        show(text("TXT_1751"));
        return;
    }
    // Only what the run changed goes back: a record of another run state would stop or start the module.
    tOscilExchange rec = capture_.Data().GetSettings();
    for (int ch = 1; ch <= kChannelCount; ++ch)
        rec.mux(ch) = before->mux(ch);
    rec.time_base_ENUM = before->time_base_ENUM;
    rec.TR_level = before->TR_level;
    capture_.Data().SetSettings(rec, true);
    show(text("TXT_1750"));
}

void CAutoSetupUi::OnSamplesConverted(std::uint32_t count) {
    // Roll-mode instants are no capture to measure.
    if (count != 0)
        return;
    sawCapture_ = true;
    lastCapture_ = ticks_.tickMs();
    if (!setup_.IsRunning())
        return;
    CScopeData& data = capture_.Data();
    std::vector<AutoSetupChannel> channels;
    for (int ch = 1; ch <= data.GetActiveChannelCount(); ++ch) {
        const CChannelData& c = data.GetChannel(ch);
        SignalInput signal = ChannelSignal(c);
        signal.unitsPerCount = 1.0; // ranges are picked in counts; a probe plays no part
        channels.push_back({ch, signal});
    }
    if (const std::optional<tOscilExchange> next = setup_.OnCapture(data.GetSettings(), data.IsDirty(), channels))
        data.SetSettings(*next, true);
    if (!setup_.IsRunning())
        finish();
}

void CAutoSetupUi::finish() {
    tick_.stop();
    show(AutoSetupVerdict(setup_.Missing(), setup_.MissingChannels(),
                          [this](std::string_view key) { return text(key); }));
}

} // namespace wavix
