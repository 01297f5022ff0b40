#pragma once
// Qt menus from the menu models of the core: the view context menu and the
// main menu bar. Each command action carries its identifier as data.

#include "core/app/viewmenu.h"

#include <functional>

class QMenu;
class QMenuBar;
class QObject;

namespace wavix {

// Title as a bold, inert first entry, then the items.
void FillViewMenu(QMenu& menu, const ViewMenuModel& model);

// Menus and items of MainMenuLayout(); each item is named "cmd0x8010" etc.
void FillMainMenu(QMenuBar& bar, const TextLookup& text, const std::function<void(int)>& onCommand);

// The identifier an action of these menus carries, 0 for none.
int CommandIdOf(const QObject* action);

} // namespace wavix
