#pragma once
// Auto set-up in the main window: the two commands of the view menu (F9 and
// Shift+F9), the run fed with every converted capture, its records handed to the
// sample data as an edit (sent with the next exchange), the verdict in the
// status bar.

#include "core/app/autosetup.h"
#include "core/scope/capturestore.h"
#include "core/settings/langtexts.h"

#include <QStatusBar>
#include <QObject>
#include <QTimer>

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

class QMenuBar;
class QStatusBar;

namespace wavix {

class CAutoSetupUi : public QObject, private ICaptureListener {
    Q_OBJECT
public:
    // live: the module may capture (link open, running, no log open); a capture
    // must also have come in the last two seconds.
    CAutoSetupUi(CCaptureStore& capture, const ITickSource& ticks, QStatusBar& bar,
                 std::function<bool()> live, QObject* parent = nullptr);
    ~CAutoSetupUi() override;

    void LoadTexts(const std::filesystem::path& langFile);
    // Names the two commands in the menu bar just built and runs them.
    void BindMenu(QMenuBar& bar);

    void Run();
    void Undo();
    bool IsRunning() const { return setup_.IsRunning(); }
    QString StatusText() const { return status_; }

private:
    static constexpr int kVerdictMs = 10000;
    void OnSamplesConverted(std::uint32_t count) override;
    void finish();
    void show(const std::string& text, int forMs = kVerdictMs);
    std::string text(std::string_view key) const;

    CCaptureStore& capture_;
    const ITickSource& ticks_;
    CAutoSetup setup_;
    std::uint32_t lastCapture_ = 0;
    bool sawCapture_ = false;
    std::function<bool()> live_;
    CTextTable texts_;
    QStatusBar& bar_;
    QString status_;
    QTimer tick_;
};

} // namespace wavix
