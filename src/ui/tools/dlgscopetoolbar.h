#pragma once
// The button strip along the bottom of the main window. Every button posts its
// command code to the main window (UWM_DLG_SCOPE_TOOL_BAR, wParam 0, lParam
// code); the main window answers state changes with the same message, which
// OnStateMessage shows. While a roll-mode log is written only the log button
// stays usable, so the log can be ended from here.
//
// Keyboard: Tab moves between the buttons, Space presses one; the channel
// count arrows also take Left and Right.

#include "core/settings/langtexts.h"
#include "core/support/messagecodes.h"
#include "core/support/messages.h"

#include <QIcon>
#include <QWidget>

#include <array>
#include <cstdint>
#include <filesystem>
#include <map>

class QLabel;
class QToolButton;

namespace wavix {

class CScopeCtrlArrow;

class CDlgScopeToolBar : public QWidget, private IMessageTarget {
    Q_OBJECT
public:
    static constexpr int kButtonCount = 11;

    // An empty langFile keeps the built-in texts.
    explicit CDlgScopeToolBar(const std::filesystem::path& langFile = {}, QWidget* parent = nullptr);

    // Where the commands go (the main window).
    void SetTarget(IMessageTarget* target) { target_ = target; }

    // A state message of the main window: lParam a ToolbarState, wParam its value.
    void OnStateMessage(std::intptr_t wParam, std::intptr_t code);
    void SetLoggingLook(bool logging);
    bool IsLoggingLook() const { return logging_; }

    // The button that sends the command, or null.
    QToolButton* Button(ToolbarCommand command) const;
    QString ChannelCountText() const;
    CScopeCtrlArrow* ChannelArrow(bool up) const { return up ? moreChannels_ : fewerChannels_; }
    bool IsRunning() const { return running_; }
    bool IsConnected() const { return connected_; }
    bool IsSingleView() const { return singleView_; }
    int ShowMode() const { return showMode_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void post(Msg msg, std::intptr_t wParam, std::intptr_t lParam) override;
    void send(ToolbarCommand command) const;
    const std::string& text(std::string_view key) const;
    void refresh();
    // Drawn once per look: a new icon on every refresh made the button's
    // pixmaps pile up in memory over a long run.
    const QIcon& icon(ToolbarCommand command, int state);

    CTextTable texts_;
    std::map<int, QIcon> icons_;
    IMessageTarget* target_ = nullptr;
    std::array<QToolButton*, kButtonCount> buttons_{};
    CScopeCtrlArrow* fewerChannels_ = nullptr;
    CScopeCtrlArrow* moreChannels_ = nullptr;
    QLabel* channelCount_ = nullptr;

    bool running_ = true;
    bool shotTaken_ = false;
    bool connected_ = true;
    bool singleView_ = true;
    int showMode_ = 3028;
    int channels_ = 1;
    bool logging_ = false;
};

} // namespace wavix
