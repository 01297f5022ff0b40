#pragma once
// The main window's menu bar as data, and the show-mode cycle of the toolbar.

#include "core/support/messagecodes.h"

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

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
    ExportCsv = 0x8040,
    ExportPicture = 0x8041,
};

// Menu items that press a toolbar button carry kToolbarItemBase + its code, so
// menu and button run the same command.
inline constexpr int kToolbarItemBase = 0x8100;
constexpr int ToolbarItem(ToolbarCommand c) {
    return kToolbarItemBase + static_cast<int>(c);
}
std::optional<ToolbarCommand> ToolbarCommandOfItem(int command);

// The page of keys and mouse actions.
inline constexpr int kHelpKeysItem = 0x8020;
// A submenu the window fills with the language files found; each of its
// items carries kLanguageItemBase + the file's place in that list.
inline constexpr int kLanguageMenu = 0x8021;
inline constexpr int kLanguageItemBase = 0x8200;
inline constexpr int kMaxLanguageItems = 64;
// The measurement table window, beside MainCommand's so that their switches stay whole.
inline constexpr int kMeasureTableCommand = 0x8030;

// One entry of the menu bar: a menu title (command 0) followed by its items.
struct MainMenuEntry {
    int command = 0; // 0: the title of the next menu
    std::string_view textKey;
    std::string_view shortcut; // key sequence in portable text, may be empty
    std::string_view tipKey;   // the tool tip
};

std::span<const MainMenuEntry> MainMenuLayout();

// One line of the keys page: a key (the portable sequence, empty for a line
// of mouse actions) and what it does.
struct KeyHelpRow {
    std::string shortcut;
    std::string text;
};
// Every menu item with a shortcut, then the mouse and panel keys.
std::vector<KeyHelpRow> KeyHelpRows(const std::function<std::string(std::string_view key)>& text);

// Draw-style codes of the views, cycled by toolbar command 5.
inline constexpr int kShowModeFirst = 3025;
inline constexpr int kShowModeLast = 3028;
// The mode after mode; anything outside the cycle starts it again.
int NextShowMode(int mode);

} // namespace wavix
