#include "core/app/mainmenu.h"

#include "core/app/autosetup.h"

#include <array>

namespace wavix {

namespace {

constexpr int id(MainCommand c) {
    return static_cast<int>(c);
}

constexpr auto kLayout = std::to_array<MainMenuEntry>({
    {0, "TXT_600", ""},
    {id(MainCommand::SaveSettings), "TXT_601", "Ctrl+S"},
    {id(MainCommand::Calibration), "TXT_603", ""},
    {id(MainCommand::Connection), "TXT_604", ""},
    {id(MainCommand::End), "TXT_602", "Ctrl+Q"},
    {0, "TXT_610", ""},
    {id(MainCommand::Toolbar), "TXT_611", ""},
    {id(MainCommand::ScopeSettings), "TXT_612", ""},
    {id(MainCommand::ChannelOptions), "TXT_613", ""},
    {kAutoSetupCommand, "TXT_1740", "F9"},
    {kAutoSetupUndoCommand, "TXT_1741", "Shift+F9"},
    {0, "TXT_650", ""},
    {id(MainCommand::About), "TXT_651", "F1"},
});

} // namespace

std::span<const MainMenuEntry> MainMenuLayout() {
    return kLayout;
}

int NextShowMode(int mode) {
    return mode >= kShowModeFirst && mode < kShowModeLast ? mode + 1 : kShowModeFirst;
}

} // namespace wavix
