#pragma once
// The main window's menu bar as data, and the show-mode cycle of the toolbar.

#include <span>
#include <string_view>

namespace wavix {

enum class MainCommand : int {
    SaveSettings = 0x8010,
    End = 0x8006,
    Calibration = 0x8013,
    Connection = 0x8014,
    Toolbar = 0xE800,
    ScopeSettings = 0x8009,
    ChannelOptions = 0x800C,
    About = 0x8012,
};

// The measurement table window, beside MainCommand's so that their switches stay whole.
inline constexpr int kMeasureTableCommand = 0x8030;

// One entry of the menu bar: a menu title (command 0) followed by its items.
struct MainMenuEntry {
    int command = 0; // 0: the title of the next menu
    std::string_view textKey;
    std::string_view shortcut; // key sequence in portable text, may be empty
};

std::span<const MainMenuEntry> MainMenuLayout();

// Draw-style codes of the views, cycled by toolbar command 5.
inline constexpr int kShowModeFirst = 3025;
inline constexpr int kShowModeLast = 3028;
// The mode after mode; anything outside the cycle starts it again.
int NextShowMode(int mode);

} // namespace wavix
