#pragma once
// The main window's status bar panes, addressed by name: module name (it takes
// what is left), module type, module status, the slider pane and the
// link pane (the tester's address and the link state).

#include "core/app/mainview.h"

#include <QString>

#include <array>
#include <functional>
#include <string_view>

class QLabel;
class QStatusBar;

namespace wavix {

class CStatusPanes {
public:
    // The panes go into bar, as its children; a double-click on the module
    // status or the link pane calls onDoubleClick.
    void Create(QStatusBar& bar, std::function<void()> onDoubleClick = {});
    // Empty before Create.
    QString Text(Pane pane) const;
    void SetText(Pane pane, std::string_view text);

private:
    QLabel* label(Pane pane) const;

    std::array<QLabel*, 5> panes_{};
};

} // namespace wavix
