#pragma once
// The modeless window of the log download: what the tester holds (a list with
// a check box per file), the download's progress, and the questions on the way.
// It only shows what CLogListDownload keeps; its two buttons post
// UWM_DLG_GET_LOG_FILES_MSG to the main window (lParam 1 Download, 0 close),
// which drives the file link; Open hands the first file fetched to the log viewer.

#include "core/settings/langtexts.h"
#include "platform/logdownloaddriver.h"

#include <QDialog>

#include <functional>
#include <vector>

class QLabel;
class QProgressBar;
class QPushButton;
class QTreeWidget;

namespace wavix {

class CDlgGetLogFiles : public QDialog, public ILogDownloadUi {
    Q_OBJECT
public:
    CDlgGetLogFiles(IMessageTarget* owner, QWidget* parent = nullptr);

    // Title, labels, list headings and buttons; a missing key keeps the texts already there.
    void SetTexts(const CLogListDownload& state, const std::filesystem::path& langFile = {});

    // ILogDownloadUi
    void Refresh(const CLogListDownload& state) override;
    bool AskOverwrite(const std::string& caption, const std::string& text) override;
    std::optional<std::filesystem::path> ChooseFile(const std::filesystem::path& folder,
                                                    const std::string& name) override;
    void ShowBox(const std::string& caption, const std::string& text, bool error) override;

    // Which listed files the user left checked, in the order found.
    std::vector<bool> Chosen() const;
    void SetOpenHandler(std::function<void()> open) { open_ = std::move(open); }

    // Scripted runs and tests: boxes are not shown, they answer this.
    void SetAutoAnswer(std::optional<bool> overwrite) { autoAnswer_ = overwrite; }
    const std::string& LastBoxText() const { return lastBox_; }

    void reject() override; // Escape and the close box act as the close button while allowed

private:
    void fillList(const CLogListDownload& state);
    void refreshButtons();

    IMessageTarget* owner_;
    std::function<void()> open_;
    CTextTable texts_;
    QTreeWidget* list_ = nullptr;
    QPushButton* openButton_ = nullptr;
    bool listed_ = false; // the list shows the last listing
    bool downloadAllowed_ = false;
    bool openAllowed_ = false;
    QLabel* statusLabel_ = nullptr;
    QLabel* status_ = nullptr;
    QLabel* countLabel_ = nullptr;
    QLabel* count_ = nullptr;
    QLabel* message_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QPushButton* download_ = nullptr;
    QPushButton* close_ = nullptr;
    std::optional<bool> autoAnswer_;
    std::string lastBox_;
};

} // namespace wavix
