#include "ui/main/logdownloadui.h"

#include "platform/logdownloaddriver.h"
#include "platform/modulesession.h"
#include "ui/dialogs/dlggetlogfiles.h"

namespace wavix {

CLogDownloadUi::CLogDownloadUi(QWidget& window, IMessageTarget& target, CModuleSession& session,
                               std::function<void()> reopenLink, std::function<void()> left)
    : window_(window), target_(target), session_(session), reopenLink_(std::move(reopenLink)),
      left_(std::move(left)) {}

CLogDownloadUi::~CLogDownloadUi() = default;

bool CLogDownloadUi::Start(const std::filesystem::path& logFolder, const std::filesystem::path& langFile,
                           const std::string& address, std::uint32_t port) {
    if (!dialog_) {
        dialog_ = new CDlgGetLogFiles(&target_, &window_);
        dialog_->setObjectName(QStringLiteral("logFiles"));
        if (autoAnswer_)
            dialog_->SetAutoAnswer(*autoAnswer_);
        dialog_->SetOpenHandler([this] { openFirst(); });
        ModuleLinkControl module;
        module.isOpen = [this] { return session_.IsOpen(); };
        module.disconnectAndClose = [this] {
            // The tester stops the scope before the port changes hands.
            session_.protocol().build_ScopeSafeDisconnect_packet();
            session_.protocol().Stop();
            session_.Close();
        };
        module.reopen = [this] { reopenLink_(); };
        driver_ = std::make_unique<CLogDownloadDriver>(logFolder, target_, *dialog_, std::move(module));
    }
    driver_->SetLanguage(langFile);
    dialog_->SetTexts(driver_->State(), langFile);
    dialog_->show();
    dialog_->raise();
    if (!driver_->Start(address, port)) {
        // The module link was shut for the file link; leaving gives it back.
        leave();
        return false;
    }
    return true;
}

void CLogDownloadUi::OnLogFilesButton(std::intptr_t code) {
    if (!driver_)
        return;
    if (code == 1) {
        driver_->Choose(dialog_->Chosen());
        driver_->OnDownloadPressed();
    } else if (code == 0)
        leave();
}

void CLogDownloadUi::OnFileLinkNotice(Msg msg, std::intptr_t wParam, std::intptr_t lParam) {
    if (driver_)
        driver_->OnMessage(msg, wParam, lParam);
}

void CLogDownloadUi::openFirst() {
    if (!driver_ || driver_->State().Saved().empty() || driver_->State().IsBusy())
        return;
    const std::filesystem::path first = driver_->State().Saved().front();
    leave();
    if (openLog_)
        openLog_(first);
}

void CLogDownloadUi::leave() {
    dialog_->hide();
    driver_->Leave();
    left_();
}

} // namespace wavix
