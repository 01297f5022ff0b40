#pragma once
// The tester's log download inside the main window: the download window, the
// driver with its file link, and the module link it borrows (shut before the
// file link opens, given back on leaving). The controller hands it the
// window's buttons and the file link's notices.

#include "core/app/windowparts.h"

#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class QWidget;

namespace wavix {

class CDlgGetLogFiles;
class CLogDownloadDriver;
class IMessageTarget;
class CModuleSession;

class CLogDownloadUi : public ILogDownloadEvents {
public:
    // reopenLink: the module link again, with the retry question; left: the
    // download window closed and both links are as they were.
    CLogDownloadUi(QWidget& window, IMessageTarget& target, CModuleSession& session,
                   std::function<void()> reopenLink, std::function<void()> left);
    ~CLogDownloadUi() override;
    CLogDownloadUi(const CLogDownloadUi&) = delete;
    CLogDownloadUi& operator=(const CLogDownloadUi&) = delete;

    // Where "Open" hands the first file fetched, after leaving the download.
    void SetOpenLog(std::function<void(const std::filesystem::path&)> open) { openLog_ = std::move(open); }

    // Scripted runs: the overwrite question answered at once.
    void SetAutoAnswer(std::optional<bool> overwrite) { autoAnswer_ = overwrite; }

    // Lists the tester's logs into logFolder. False when the file link could
    // not be opened; the download has then been left.
    bool Start(const std::filesystem::path& logFolder, const std::filesystem::path& langFile,
               const std::string& address, std::uint32_t port);
    CDlgGetLogFiles* Dialog() const { return dialog_; }

    void OnLogFilesButton(std::intptr_t code) override;
    void OnFileLinkNotice(Msg msg, std::intptr_t wParam, std::intptr_t lParam) override;

private:
    void leave();
    void openFirst();

    QWidget& window_;
    IMessageTarget& target_;
    CModuleSession& session_;
    std::function<void()> reopenLink_;
    std::function<void()> left_;
    std::function<void(const std::filesystem::path&)> openLog_;
    std::optional<bool> autoAnswer_;
    CDlgGetLogFiles* dialog_ = nullptr; // a child of the window
    std::unique_ptr<CLogDownloadDriver> driver_;
};

} // namespace wavix
