#pragma once
// The strip above the toolbar with the control panels: timebase, trigger,
// time-axis measurement and one panel per channel. Panel clicks go on to the
// main window; a channel panel's right click opens the channel's menu here
// (trace colour, load or remove the probe).

#include "core/settings/langtexts.h"
#include "core/support/messages.h"
#include "ui/tools/toolchoosers.h"

#include <QString>
#include <QWidget>

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class QMenu;

namespace wavix {

class CChannelData;
class CScopeCtrlBase;

class CDlgScopeSettings : public QWidget, private IMessageTarget {
    Q_OBJECT
public:
    static constexpr int kPanelCount = 7; // channels 1..4, trigger, timebase, measurement
    enum MenuCommand { kCmdColour = 0, kCmdUnloadProbe = 1, kCmdLoadProbe = 2 };
    struct MenuItem {
        int command;
        QString text;
    };

    // An empty langFile keeps the built-in texts; dataDir locates the probe folder.
    explicit CDlgScopeSettings(const std::filesystem::path& langFile = {}, std::string dataDir = {},
                               QWidget* parent = nullptr);

    // Where panel clicks go (the main window).
    void SetTarget(IMessageTarget* target) { target_ = target; }
    // The zoom factor and cursor distance of the display the timebase and
    // measurement panels describe: the view the user zoomed or measured in last.
    void SetDisplaySources(std::function<double()> zoom, std::function<double()> cursorDistance);
    // Channel k on panel k; the trigger, timebase and measurement panels follow channel 1.
    void BindChannels(const std::array<CChannelData*, 4>& channels);
    void RefreshPanels();
    // UWM_DLG_SCOPE_SETTINGS, the passed-on UWM_SCOPE codes and UWM_CHANNEL_DATA_CTRL.
    void OnMessage(Msg msg, std::intptr_t wParam, std::intptr_t lParam);
    // Off while a roll-mode log is written.
    void SetControlsEnabled(bool enabled);

    CScopeCtrlBase* Panel(int i) const { return panels_.at(static_cast<std::size_t>(i)); }

    // The channel menu: " .: Kanál 2 " and its items.
    QString ChannelMenuTitle(const CChannelData& channel) const;
    std::vector<MenuItem> ChannelMenuItems(const CChannelData& channel) const;
    std::unique_ptr<QMenu> BuildChannelMenu(CChannelData& channel);
    void RunChannelCommand(CChannelData& channel, int command);
    void SetChoosers(ToolChoosers choosers) { choosers_ = std::move(choosers); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // Messages of the panels.
    void post(Msg msg, std::intptr_t wParam, std::intptr_t lParam) override;
    void openChannelMenu(std::intptr_t channel, std::intptr_t packedPoint);
    CChannelData* boundChannel(std::intptr_t channel) const;
    const std::string& text(std::string_view key) const;

    CTextTable texts_;
    CTextTable keyTips_;
    std::string dataDir_;
    IMessageTarget* target_ = nullptr;
    std::array<CScopeCtrlBase*, kPanelCount> panels_{};
    ToolChoosers choosers_;
};

} // namespace wavix
