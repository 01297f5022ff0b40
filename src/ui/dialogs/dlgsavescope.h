#pragma once
// The modal question for a chart's name and file name when a capture or a
// roll-mode log is saved. The folder comes from the caller and may be changed
// with the browse button; OK refuses a path whose folder does not exist, and
// says so apart when no file name was given. Until the file name is edited,
// it follows the chart name: date, time and name.

#include "core/files/scopefile.h"

#include <QDialog>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;

namespace wavix {

class CDlgSaveScope : public QDialog {
    Q_OBJECT

public:
    // The save-file chooser: title, the file to start from; an empty answer is a cancel.
    using Browser = std::function<QString(QWidget* parent, const QString& title, const QString& start)>;
    // The refusal of an invalid path: caption and text.
    using ErrorBox = std::function<void(const QString& caption, const QString& text)>;

    CDlgSaveScope(QWidget* parent, const std::filesystem::path& folder);

    // The title says whether all measurements or only the current chart's are saved.
    void SetSaveAll(bool all);
    // Texts from the language file; a missing key keeps the built-in ones.
    void SetLanguage(const std::filesystem::path& langFile);
    void SetBrowser(Browser browser) { browser_ = std::move(browser); }
    void SetErrorBox(ErrorBox box) { errorBox_ = std::move(box); }
    // The time of the proposed file name (local time by default).
    void SetClock(FileClock clock);

    // QDialog::Accepted or QDialog::Rejected; after Accepted the name and full path hold.
    int Run() { return exec(); }
    const std::string& ChartName() const { return chartName_; }
    const std::filesystem::path& FullPath() const { return fullPath_; }
    const std::filesystem::path& Folder() const { return folder_; }

    void accept() override;

private:
    void browse();
    void applyTexts();
    void showFolder();
    void propose();

    std::filesystem::path folder_;
    bool saveAll_ = false;
    std::vector<std::string> texts_; // TXT_900 .. TXT_905
    std::vector<std::string> extra_; // TXT_906, TXT_907
    std::string errorCaption_;
    std::string missingName_; // TXT_1593
    std::filesystem::path langFile_;
    FileClock clock_;
    bool fileEdited_ = false;
    std::string chartName_;
    std::filesystem::path fullPath_;
    Browser browser_;
    ErrorBox errorBox_;

    QLabel* nameLabel_ = nullptr;
    QLineEdit* name_ = nullptr;
    QLabel* fileLabel_ = nullptr;
    QLineEdit* file_ = nullptr;
    QPushButton* browseButton_ = nullptr;
    QLabel* folderLabel_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

} // namespace wavix
