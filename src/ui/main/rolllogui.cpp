#include "ui/main/rolllogui.h"

#include "core/scope/capturestore.h"
#include "core/settings/programsettings.h"
#include "ui/dialogs/dlgsavescope.h"

#include <QLabel>
#include <QStatusBar>

namespace wavix {

CRollLogUi::CRollLogUi(QWidget& window, IMainView& view, const CMainTexts& texts,
                       const CProgramSettings& settings, CCaptureStore& capture,
                       std::function<void(bool)> showLogging)
    : window_(window), settings_(settings), capture_(capture),
      command_(
          view, texts, [this](const std::filesystem::path& folder) { return ChooseFile(folder, true); },
          [this, show = std::move(showLogging)](bool on) {
              if (show)
                  show(on);
              showRecording(on);
          }) {
    capture_.AddListener(command_);
    // A second is what a person reads a clock by; the file grows with every group in between.
    statusTimer_.setInterval(1000);
    QObject::connect(&statusTimer_, &QTimer::timeout, &statusTimer_, [this] { refreshStatus(); });
}

void CRollLogUi::AttachStatus(QStatusBar& bar, QWidget* infoLine) {
    statusPane_ = new QLabel(&bar);
    statusPane_->setObjectName(QStringLiteral("RollLogStatus"));
    statusPane_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    // The bar is full at the smallest window; the samples, rate and calibration
    // of the information line stay as they are while a log records (a record
    // change ends it), so the recording takes that room.
    infoLine_ = infoLine;
    bar.insertWidget(0, statusPane_, 1);
    showRecording(command_.IsOpen());
}

void CRollLogUi::showRecording(bool on) {
    if (on)
        statusTimer_.start();
    else
        statusTimer_.stop();
    refreshStatus();
    if (statusPane_ != nullptr)
        statusPane_->setVisible(on);
    if (infoLine_ != nullptr)
        infoLine_->setVisible(!on);
}

void CRollLogUi::refreshStatus() {
    if (statusPane_ != nullptr)
        statusPane_->setText(QString::fromStdString(command_.StatusText()));
}

CRollLogUi::~CRollLogUi() {
    capture_.RemoveListener(command_);
}

std::optional<SaveChoice> CRollLogUi::ChooseFile(const std::filesystem::path& folder, bool log) {
    if (!scriptedPath_.empty())
        return SaveChoice{std::filesystem::path(scriptedPath_).stem().string(), scriptedPath_};
    CDlgSaveScope dlg(&window_, folder);
    dlg.SetLanguage(settings_.LangFilePath());
    dlg.SetSaveAll(log);
    if (dlg.Run() != QDialog::Accepted)
        return std::nullopt;
    return SaveChoice{dlg.ChartName(), dlg.FullPath()};
}

void CRollLogUi::Toggle(bool alive) {
    if (alive)
        command_.Toggle(capture_.Data(), settings_.DataDirectory());
}

} // namespace wavix
