#include "ui/main/menubuilder.h"

#include "core/app/mainmenu.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace wavix {

namespace {

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

void addItems(QMenu& menu, const std::vector<ViewMenuItem>& items) {
    for (const ViewMenuItem& item : items) {
        switch (item.kind) {
        case ViewMenuItem::Kind::Separator:
            menu.addSeparator();
            break;
        case ViewMenuItem::Kind::Submenu: {
            QMenu* sub = menu.addMenu(qs(item.text));
            sub->setEnabled(item.enabled);
            addItems(*sub, item.children);
            break;
        }
        case ViewMenuItem::Kind::Command: {
            QAction* action = menu.addAction(qs(item.text));
            action->setData(item.id);
            action->setObjectName(QStringLiteral("cmd0x%1").arg(item.id, 0, 16));
            action->setCheckable(item.checkable);
            action->setChecked(item.checked);
            action->setEnabled(item.enabled);
            break;
        }
        }
    }
}

} // namespace

void FillViewMenu(QMenu& menu, const ViewMenuModel& model) {
    menu.setTitle(qs(model.title));
    QAction* title = menu.addAction(qs(model.title));
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    title->setEnabled(false);
    menu.addSeparator();
    addItems(menu, model.items);
}

void FillMainMenu(QMenuBar& bar, const TextLookup& text, const std::function<void(int)>& onCommand) {
    QMenu* current = nullptr;
    for (const MainMenuEntry& entry : MainMenuLayout()) {
        const QString label = qs(text(entry.textKey));
        if (entry.command == 0) {
            // The first letter is the mnemonic.
            current = bar.addMenu(QLatin1Char('&') + label);
            current->setToolTipsVisible(true);
            continue;
        }
        if (current == nullptr)
            continue;
        const int id = entry.command;
        QAction* action = nullptr;
        if (id == kLanguageMenu) {
            QMenu* sub = current->addMenu(label);
            sub->setObjectName(QStringLiteral("languageMenu"));
            sub->setToolTipsVisible(true);
            action = sub->menuAction();
        } else {
            action = current->addAction(label);
            QObject::connect(action, &QAction::triggered, &bar, [onCommand, id] { onCommand(id); });
        }
        action->setData(id);
        action->setObjectName(QStringLiteral("cmd0x%1").arg(id, 0, 16));
        QString tip = entry.tipKey.empty() ? label : qs(text(entry.tipKey));
        if (!entry.shortcut.empty()) {
            const QKeySequence keys(
                QString::fromLatin1(entry.shortcut.data(), static_cast<qsizetype>(entry.shortcut.size())));
            action->setShortcut(keys);
            tip += QStringLiteral(" (%1)").arg(keys.toString(QKeySequence::NativeText));
        }
        action->setToolTip(tip);
        if (id == static_cast<int>(MainCommand::Toolbar) ||
            id == static_cast<int>(MainCommand::ScopeSettings))
            action->setCheckable(true);
    }
}

int CommandIdOf(const QObject* action) {
    const auto* a = qobject_cast<const QAction*>(action);
    return a != nullptr ? a->data().toInt() : 0;
}

} // namespace wavix
