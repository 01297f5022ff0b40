#pragma once
// The context menu of a display view as data: which items it holds, their
// command identifiers, texts and checked/enabled states. The window builds its
// pop-up from this and hands the chosen identifier back to HandleViewCommand.
//
// Identifier = action * 256 + index; index is the channel number - 1 for the
// per-channel items and 0 otherwise. Every identifier is above 15, which keeps
// them apart from the main menu's.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace wavix {

enum class ViewAction : int {
    BackgroundColour = 0x10,
    GridColour = 0x11,
    FullDisplay = 0x12,
    HalfDisplay = 0x13,
    LoadCapture = 0x14,
    SaveCapture = 0x15,
    HideScrollBar = 0x16,
    ShowScrollBar = 0x17,
    ChannelInfo = 0x19,
    LoadedInfo = 0x1A,
    RemoveLoaded = 0x1B,
    ChannelColour = 0x1C,
    LoadedColour = 0x1D,
    DrawChannel = 0x1E,
    DrawLoaded = 0x1F,
    DrawLimits = 0x20,
};

// The items that do what a toolbar button does; locked with the toolbar while a roll log is recorded.
constexpr bool IsLockedByRollLog(ViewAction action) {
    return action == ViewAction::LoadCapture || action == ViewAction::SaveCapture;
}

constexpr int ViewCommandId(ViewAction action, int index = 0) {
    return static_cast<int>(action) * 256 + index;
}

struct ViewCommand {
    ViewAction action = ViewAction::BackgroundColour;
    int index = 0; // channel number - 1 for per-channel actions
};

// False for an identifier that is no view command (main menu, unknown action,
// an index on an action that takes none, a channel index past 8).
bool DecodeViewCommand(int id, ViewCommand& out);

// A channel as the menu lists it: its number 1..4 (the text), its index in the
// command identifier and whether its trace is drawn.
struct ViewMenuChannel {
    int number = 1;
    int index = 0;
    bool shown = true;
};

// What the menu is built from.
struct ViewMenuState {
    int view = 0; // 0..3 for "Scope A".."Scope D"
    bool halfMode = false;
    bool scrollBar = false;
    bool limits = false;
    bool anyLoaded = false; // any view holds loaded traces
    bool rollLog = false;   // a roll log is being recorded
    std::vector<ViewMenuChannel> live;
    std::vector<ViewMenuChannel> loaded;
};

struct ViewMenuItem {
    enum class Kind { Command, Submenu, Separator };
    Kind kind = Kind::Command;
    int id = 0;
    std::string text;
    bool checkable = false;
    bool checked = false;
    bool enabled = true;
    std::vector<ViewMenuItem> children;
};

struct ViewMenuModel {
    std::string title;
    std::vector<ViewMenuItem> items;
};

// Text of a language key ("TXT_202").
using TextLookup = std::function<std::string(std::string_view key)>;
// The built-in texts.
std::string BuiltinLookup(std::string_view key);

// " Scope A " .. " Scope D ", " Scope ? " for any other view.
std::string ViewMenuTitle(int view, const TextLookup& text);

ViewMenuModel BuildViewMenu(const ViewMenuState& state, const TextLookup& text = BuiltinLookup);

// The item with the identifier anywhere in the model, or nullptr.
const ViewMenuItem* FindViewMenuItem(const ViewMenuModel& model, int id);

} // namespace wavix
