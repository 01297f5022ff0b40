#include "platform/logdownloaddriver.h"

#include "platform/vexorlink.h"

#include <system_error>

namespace wavix {

using Kind = LogDownloadAction::Kind;

CLogDownloadDriver::CLogDownloadDriver(std::filesystem::path logFolder, IMessageTarget& notify,
                                       ILogDownloadUi& ui, ModuleLinkControl moduleLink, CLogTrace* log)
    : notify_(notify), ui_(ui), moduleLink_(std::move(moduleLink)),
      link_(std::make_unique<CVexorLink>(nullptr, log)), download_(std::move(logFolder)) {
    probeDelay_.setSingleShot(true);
    QObject::connect(&probeDelay_, &QTimer::timeout, &probeDelay_,
                     [this] { run(download_.OnProbeDelayElapsed()); });
}

CLogDownloadDriver::~CLogDownloadDriver() {
    probeDelay_.stop();
    link_->Close();
}

bool CLogDownloadDriver::Start(const std::string& address, std::uint32_t port) {
    probeDelay_.stop();
    link_->Close();
    if (moduleLink_.isOpen && moduleLink_.isOpen()) {
        if (moduleLink_.disconnectAndClose)
            moduleLink_.disconnectAndClose();
        closedModuleLink_ = true;
    }
    active_ = true;
    if (!link_->Open(address, port, &notify_, 1)) {
        download_.Reset();
        ui_.Refresh(download_);
        ui_.ShowBox(kErrorCaption, kCannotConnect, true);
        return false;
    }
    link_->SetNotifyWindow(&notify_);
    run(download_.BeginListing());
    return true;
}

bool CLogDownloadDriver::OnMessage(Msg msg, std::intptr_t wParam, std::intptr_t lParam) {
    if (msg == Msg::UWM_RECEIVED_FILE_MSG) {
        if (active_)
            run(download_.OnReceivedFile(wParam, lParam, link_->Protocol().GetReceivedFile().GetSize()));
        return true;
    }
    if (msg == Msg::UWM_COMM_ETH_MSG) {
        if (active_ && download_.IsBusy()) {
            download_.OnLinkTraffic(lParam);
            ui_.Refresh(download_);
        }
        return true;
    }
    return false;
}

void CLogDownloadDriver::OnDownloadPressed() {
    if (active_)
        run(download_.OnDownloadPressed());
}

void CLogDownloadDriver::Leave() {
    probeDelay_.stop();
    link_->Protocol().ResetReceivedFile();
    link_->Close();
    active_ = false;
    // Someone may have connected again meanwhile; a second open would fail.
    if (moduleLink_.isOpen && !moduleLink_.isOpen() && moduleLink_.reopen)
        moduleLink_.reopen();
    closedModuleLink_ = false;
}

void CLogDownloadDriver::run(const LogDownloadActions& actions) {
    ++depth_;
    for (const LogDownloadAction& a : actions) {
        if (!active_)
            break;
        switch (a.kind) {
        case Kind::ResetReceivedFile:
            link_->Protocol().ResetReceivedFile();
            break;
        case Kind::AskFileEntry:
            if (!link_->Protocol().AskForFileEntry(a.name)) {
                ui_.ShowBox(kErrorCaption, download_.GetText(CLogListDownload::kCannotSendEntry), true);
                run(download_.OnRequestNotSent());
            }
            break;
        case Kind::AskFileContents:
            if (!link_->Protocol().AskForFileContents(a.name)) {
                ui_.ShowBox(kErrorCaption, kCannotSend, true);
                run(download_.OnRequestNotSent());
            }
            break;
        case Kind::WaitThenProbe:
            probeDelay_.start(static_cast<int>(a.delayMs));
            break;
        case Kind::AskOverwrite:
            run(download_.OnOverwriteAnswer(ui_.AskOverwrite(a.caption, a.text)));
            break;
        case Kind::ChooseFile:
            run(download_.OnFileChosen(ui_.ChooseFile(a.path, a.name)));
            break;
        case Kind::WriteFile: {
            // A fresh data tree may lack the log folder.
            std::error_code ec;
            std::filesystem::create_directories(a.path.parent_path(), ec);
            // Written beside the target and renamed only when whole and of the listed size.
            run(download_.OnFileWritten(link_->Protocol().GetReceivedFile().Save(a.path, a.size)));
            break;
        }
        case Kind::ShowInfo:
        case Kind::ShowError:
            ui_.ShowBox(a.caption, a.text, a.kind == Kind::ShowError);
            break;
        }
    }
    if (--depth_ == 0 && active_)
        ui_.Refresh(download_);
}

} // namespace wavix
