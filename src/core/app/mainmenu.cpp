#include "core/app/mainmenu.h"

#include "core/app/autosetup.h"

#include <array>

namespace wavix {

namespace {

constexpr int id(MainCommand c) {
    return static_cast<int>(c);
}

constexpr int tb(ToolbarCommand c) {
    return ToolbarItem(c);
}

// Toolbar items take the toolbar's own tool tips.
constexpr auto kLayout = std::to_array<MainMenuEntry>({
    {0, "TXT_600", "", ""},
    {tb(ToolbarCommand::Save), "TXT_1600", "Ctrl+Shift+S", "TXT_756"},
    {tb(ToolbarCommand::Load), "TXT_1601", "Ctrl+O", "TXT_755"},
    {tb(ToolbarCommand::SampleCharts), "TXT_1602", "Ctrl+B", "TXT_760"},
    {tb(ToolbarCommand::LogCharts), "TXT_1603", "Ctrl+L", "TXT_761"},
    {tb(ToolbarCommand::RollLog), "TXT_1604", "Ctrl+R", "TXT_762"},
    {tb(ToolbarCommand::Print), "TXT_1605", "Ctrl+P", "TXT_754"},
    {id(MainCommand::ExportCsv), "TXT_1760", "", "TXT_1762"},
    {id(MainCommand::ExportPicture), "TXT_1761", "", "TXT_1763"},
    {id(MainCommand::SaveSettings), "TXT_601", "Ctrl+S", "TXT_1616"},
    {id(MainCommand::Calibration), "TXT_603", "", "TXT_1617"},
    {id(MainCommand::Connection), "TXT_604", "", "TXT_1618"},
    {id(MainCommand::End), "TXT_602", "Ctrl+Q", "TXT_1619"},
    {0, "TXT_610", "", ""},
    {tb(ToolbarCommand::RunStop), "TXT_1606", "F5", "TXT_1620"},
    {tb(ToolbarCommand::ViewMode), "TXT_1607", "F4", "TXT_753"},
    {tb(ToolbarCommand::ShowMode), "TXT_1608", "F6", "TXT_757"},
    {id(MainCommand::Toolbar), "TXT_611", "", "TXT_1621"},
    {id(MainCommand::ScopeSettings), "TXT_612", "", "TXT_1622"},
    {id(MainCommand::ChannelOptions), "TXT_613", "Ctrl+K", "TXT_758"},
    {kMeasureTableCommand, "TXT_1720", "Ctrl+M", "TXT_1720"},
    {kAutoSetupCommand, "TXT_1740", "F9", "TXT_1740"},
    {kAutoSetupUndoCommand, "TXT_1741", "Shift+F9", "TXT_1741"},
    {kLanguageMenu, "TXT_1609", "", "TXT_1623"},
    {0, "TXT_650", "", ""},
    {kHelpKeysItem, "TXT_1610", "F1", "TXT_1624"},
    {id(MainCommand::About), "TXT_651", "", "TXT_1625"},
});

// Items and shortcuts are added from several places: two alike would run one command for the other.
constexpr bool AllDistinct() {
    for (std::size_t a = 0; a < kLayout.size(); ++a)
        for (std::size_t b = a + 1; b < kLayout.size(); ++b)
            if ((kLayout[a].command != 0 && kLayout[a].command == kLayout[b].command) ||
                (!kLayout[a].shortcut.empty() && kLayout[a].shortcut == kLayout[b].shortcut))
                return false;
    return true;
}
static_assert(AllDistinct(), "every menu item and shortcut once");

} // namespace

std::span<const MainMenuEntry> MainMenuLayout() {
    return kLayout;
}

std::optional<ToolbarCommand> ToolbarCommandOfItem(int command) {
    for (const MainMenuEntry& e : kLayout)
        if (e.command == command && command >= kToolbarItemBase && command < kToolbarItemBase + 0x100)
            return static_cast<ToolbarCommand>(command - kToolbarItemBase);
    return std::nullopt;
}

std::vector<KeyHelpRow> KeyHelpRows(const std::function<std::string(std::string_view key)>& text) {
    std::vector<KeyHelpRow> rows;
    for (const MainMenuEntry& e : kLayout)
        if (!e.shortcut.empty()) {
            std::string label = text(e.textKey);
            // Trailing dots say a dialog follows; in a list of keys they are noise.
            while (!label.empty() && (label.back() == '.' || label.back() == ' '))
                label.pop_back();
            rows.push_back({std::string(e.shortcut), label});
        }
    for (const char* key :
         {"TXT_1629", "TXT_1613", "TXT_1614", "TXT_1615", "TXT_1626", "TXT_1627", "TXT_1628", "TXT_1630"})
        rows.push_back({"", text(key)});
    return rows;
}

int NextShowMode(int mode) {
    return mode >= kShowModeFirst && mode < kShowModeLast ? mode + 1 : kShowModeFirst;
}

} // namespace wavix
