#pragma once
// Carries out what the log download asks for: the file link to the tester, the
// probe delay, the received file written to disk, and the questions and boxes,
// which go to the window through ILogDownloadUi. The owner hands it the link's
// notifications (OnMessage) and the window's two buttons.
//
// The file link answers at the module link's port, so the module link is shut
// (safe disconnect first, so the tester stops sending scope data) before the
// file link opens, and opened again on leaving, but only when it is still
// closed: opening a link that is open again fails and asks the user whether
// the interface is busy, where "No" ends the program.

#include "core/files/loglistdownload.h"
#include "core/support/messages.h"

#include <QTimer>

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace wavix {

class CVexorLink;
class CLogTrace;

class ILogDownloadUi {
public:
    virtual ~ILogDownloadUi() = default;
    // Texts, button states and progress changed.
    virtual void Refresh(const CLogListDownload& state) = 0;
    virtual bool AskOverwrite(const std::string& caption, const std::string& text) = 0;
    virtual std::optional<std::filesystem::path> ChooseFile(const std::filesystem::path& folder,
                                                            const std::string& name) = 0;
    virtual void ShowBox(const std::string& caption, const std::string& text, bool error) = 0;
};

// The module link as the download sees it.
struct ModuleLinkControl {
    std::function<bool()> isOpen;
    std::function<void()> disconnectAndClose;
    std::function<void()> reopen;
};

class CLogDownloadDriver {
public:
    static constexpr const char* kCannotConnect = "Can not connect";
    static constexpr const char* kCannotSend = " Nelze odeslat paket. Malo pameti ... ";
    static constexpr const char* kErrorCaption = " .: ERROR ... ";

    // `notify` receives the file link's notifications and must hand them to OnMessage.
    CLogDownloadDriver(std::filesystem::path logFolder, IMessageTarget& notify, ILogDownloadUi& ui,
                       ModuleLinkControl moduleLink = {}, CLogTrace* log = nullptr);
    ~CLogDownloadDriver();
    CLogDownloadDriver(const CLogDownloadDriver&) = delete;
    CLogDownloadDriver& operator=(const CLogDownloadDriver&) = delete;

    bool SetLanguage(const std::filesystem::path& langFile) { return download_.SetLanguage(langFile); }

    // Shuts the module link, opens the file link and starts the listing.
    // False (after the "Can not connect" box) when the file link does not open.
    bool Start(const std::string& address, std::uint32_t port);
    // UWM_RECEIVED_FILE_MSG and UWM_COMM_ETH_MSG; false for other messages.
    bool OnMessage(Msg msg, std::intptr_t wParam, std::intptr_t lParam);
    // Which listed files the next Download fetches, in the order found.
    void Choose(const std::vector<bool>& chosen) {
        for (std::size_t i = 0; i < chosen.size(); ++i)
            download_.SetChosen(i, chosen[i]);
    }
    void OnDownloadPressed();
    // The window closed: the file link goes, the module link comes back if still closed.
    void Leave();

    bool IsActive() const { return active_; }
    bool ClosedModuleLink() const { return closedModuleLink_; }
    const CLogListDownload& State() const { return download_; }
    CVexorLink& Link() { return *link_; }

private:
    void run(const LogDownloadActions& actions);

    IMessageTarget& notify_;
    ILogDownloadUi& ui_;
    ModuleLinkControl moduleLink_;
    std::unique_ptr<CVexorLink> link_;
    CLogListDownload download_;
    QTimer probeDelay_;
    bool active_ = false;
    bool closedModuleLink_ = false;
    int depth_ = 0;
};

} // namespace wavix
