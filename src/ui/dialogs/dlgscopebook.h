#pragma once
// The modal library of sample charts: the charts of one folder, the chosen
// chart's details, and loading it (settings only, or settings and waveforms).
// Typing the access code anywhere in the dialog enables "Edit", which edits the
// chart's texts and writes them back to its file. A second tab lists the
// user's own charts, newest first, with a filter: opening one loads it as
// "settings and waveforms" does, deleting one removes its file.

#include "core/files/chartlibrary.h"

#include <QDialog>

#include <filesystem>
#include <functional>

class QLineEdit;
class QPushButton;
class QTabWidget;
class QTreeWidget;

namespace wavix {

class CCtrlScopeBookDetailList;
class CCtrlScopeBookFileList;
class CQtMessageTarget;

class CDlgScopeBook : public QDialog {
    Q_OBJECT
public:
    enum Result { kNoFolder = 0, kClosed = 1, kLoadSettings = 2, kLoadAll = 3 };

    explicit CDlgScopeBook(QWidget* parent = nullptr);
    ~CDlgScopeBook() override;

    bool SetLanguage(const std::filesystem::path& langFile);
    // The folder of the user's charts, listed by the next Run or Prepare.
    void SetUserFolder(const std::filesystem::path& folder) { userFolder_ = folder; }
    // kNoFolder without showing anything when the folder does not exist.
    int Run(const std::filesystem::path& folder);
    // Lists the folder and shows the dialog without running it (tests, screenshots).
    bool Prepare(const std::filesystem::path& folder);
    ChartRecord* SelectedRecord() const { return opened_ != nullptr ? opened_ : library_.Selected(); }
    CChartLibrary& Library() { return library_; }
    CChartLibrary& UserLibrary() { return userLibrary_; }

    // Edits a record; answers whether the user confirmed. Replaceable for tests.
    using EditFn = std::function<bool(ChartRecord&)>;
    void SetEditor(EditFn edit) { edit_ = std::move(edit); }
    // Boxes answered without showing; the last text is kept.
    void SetQuietBoxes(bool quiet) { quietBoxes_ = quiet; }
    // The question before a chart is deleted; replaceable for tests.
    using ConfirmFn = std::function<bool(const std::string& question)>;
    void SetConfirm(ConfirmFn confirm) { confirm_ = std::move(confirm); }
    const std::string& LastBoxText() const { return lastBox_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void applyTexts();
    void onListMessage(std::intptr_t record);
    void onEdit();
    void finish(int result);
    QWidget* createUserPage();
    void fillUserCharts();
    void filterUserCharts();
    ChartRecord* currentUserChart() const;
    void openUserChart();
    void deleteUserChart();
    std::string langText(std::string_view key) const;
    // Shows the language text of key and keeps it for tests.
    void box(std::string_view key);

    CChartLibrary library_;
    CChartLibrary userLibrary_;
    std::filesystem::path userFolder_;
    ChartRecord* opened_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    QLineEdit* filter_ = nullptr;
    QTreeWidget* userList_ = nullptr;
    QPushButton* openUser_ = nullptr;
    QPushButton* deleteUser_ = nullptr;
    ConfirmFn confirm_;
    std::filesystem::path langFile_;
    CCtrlScopeBookFileList* files_ = nullptr;
    CCtrlScopeBookDetailList* details_ = nullptr;
    QPushButton* close_ = nullptr;
    QPushButton* editButton_ = nullptr;
    QPushButton* loadSettings_ = nullptr;
    QPushButton* loadAll_ = nullptr;
    CQtMessageTarget* target_ = nullptr;
    EditFn edit_;
    bool quietBoxes_ = false;
    std::string lastBox_;
    int result_ = kClosed;
};

} // namespace wavix
