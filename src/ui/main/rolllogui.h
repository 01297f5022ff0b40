#pragma once
// The roll-mode log inside the main window: the log command (decisions in
// CRollLogCommand), the save dialog it opens and the logging look. It follows
// the capture store from construction to destruction.

#include "core/app/rolllogcommand.h"

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include <QTimer>

class QLabel;
class QStatusBar;
class QWidget;

namespace wavix {

class CCaptureStore;
class CProgramSettings;

class CRollLogUi {
public:
    // showLogging: the logging look on (true) or off.
    CRollLogUi(QWidget& window, IMainView& view, const CMainTexts& texts, const CProgramSettings& settings,
               CCaptureStore& capture, std::function<void(bool)> showLogging);
    ~CRollLogUi();
    CRollLogUi(const CRollLogUi&) = delete;
    CRollLogUi& operator=(const CRollLogUi&) = delete;

    // Scripted runs: the file the next save or log goes to, without the dialog.
    void SetScriptedPath(std::string path) { scriptedPath_ = std::move(path); }
    // The save dialog on a folder; log: the log's look of it.
    std::optional<SaveChoice> ChooseFile(const std::filesystem::path& folder, bool log);

    // The recording pane (time recorded, file size) goes into bar, shown while a
    // log records in the place of infoLine, which a log cannot change.
    void AttachStatus(QStatusBar& bar, QWidget* infoLine);
    QLabel* StatusPane() const { return statusPane_; }

    // Toolbar command 13, taken only while the tester answers.
    void Toggle(bool alive);
    CRollLogCommand& Command() { return command_; }
    const CRollLogCommand& Command() const { return command_; }

private:
    void showRecording(bool on);
    void refreshStatus();

    QWidget& window_;
    const CProgramSettings& settings_;
    CCaptureStore& capture_;
    std::string scriptedPath_;
    CRollLogCommand command_;
    QLabel* statusPane_ = nullptr; // a child of the status bar
    QWidget* infoLine_ = nullptr;
    QTimer statusTimer_;
};

} // namespace wavix
