#include "ui/main/rolllogui.h"

#include "core/scope/capturestore.h"
#include "core/settings/programsettings.h"
#include "ui/dialogs/dlgsavescope.h"

namespace wavix {

CRollLogUi::CRollLogUi(QWidget& window, IMainView& view, const CMainTexts& texts,
                       const CProgramSettings& settings, CCaptureStore& capture,
                       std::function<void(bool)> showLogging)
    : window_(window), settings_(settings), capture_(capture),
      command_(
          view, texts, [this](const std::filesystem::path& folder) { return ChooseFile(folder, true); },
          std::move(showLogging)) {
    capture_.AddListener(command_);
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
