#pragma once
// The modal library of sample charts: the charts of one folder, the chosen
// chart's details, and loading it (settings only, or settings and waveforms).
// Typing the access code anywhere in the dialog enables "Edit", which edits the
// chart's texts and writes them back to its file.

#include "core/files/chartlibrary.h"

#include <QDialog>

#include <filesystem>
#include <functional>

class QPushButton;

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
    // kNoFolder without showing anything when the folder does not exist.
    int Run(const std::filesystem::path& folder);
    // Lists the folder and shows the dialog without running it (tests, screenshots).
    bool Prepare(const std::filesystem::path& folder);
    ChartRecord* SelectedRecord() const { return library_.Selected(); }
    CChartLibrary& Library() { return library_; }

    // Edits a record; answers whether the user confirmed. Replaceable for tests.
    using EditFn = std::function<bool(ChartRecord&)>;
    void SetEditor(EditFn edit) { edit_ = std::move(edit); }
    // Boxes answered without showing; the last text is kept.
    void SetQuietBoxes(bool quiet) { quietBoxes_ = quiet; }
    const std::string& LastBoxText() const { return lastBox_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void applyTexts();
    void onListMessage(std::intptr_t record);
    void onEdit();
    void finish(int result);
    // Shows the language text of key and keeps it for tests.
    void box(std::string_view key);

    CChartLibrary library_;
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
