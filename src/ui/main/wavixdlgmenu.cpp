// The main window's menu bar: items with shortcuts and tool tips, the toolbar
// commands repeated there, the language submenu and the page of keys.

#include "core/app/mainmenu.h"
#include "core/app/wavixcontroller.h"
#include "core/protocol/ivoraprotocol.h"
#include "core/settings/builtintexts.h"
#include "core/settings/datadirectory.h"
#include "core/settings/ini.h"
#include "core/support/strformat.h"
#include "platform/modulesession.h"
#include "ui/dialogs/dlghelpkeys.h"
#include "ui/main/menubuilder.h"
#include "ui/main/wavixdlg.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace wavix {

void CWavixDlg::createMenuBar() {
    if (menuBar_ == nullptr) {
        menuBar_ = new QMenuBar(this);
        menuBar_->setObjectName(QStringLiteral("mainMenu"));
        menuBar_->show();
    }
    menuBar_->clear();
    const CTextTable& table = settings_.MainMenuTable();
    const CIni lang(settings_.LangFilePath());
    const TextLookup text = [&](std::string_view key) {
        const int i = TextIndex(MainMenuTexts(), key);
        return i >= 0 ? table[static_cast<std::size_t>(i)] : LangText(lang, key, BuiltinText(key));
    };
    FillMainMenu(*menuBar_, text, [this](int id) { onMenuCommand(id); });
    if (auto* languages = menuBar_->findChild<QMenu*>(QStringLiteral("languageMenu")))
        fillLanguageMenu(*languages);
    // The show flags may change elsewhere; the ticks follow them when a menu opens.
    for (QMenu* menu : menuBar_->findChildren<QMenu*>()) {
        connect(menu, &QMenu::aboutToShow, this, [this, menu] {
            const bool alive = session_->protocol().IsAlive();
            for (QAction* a : menu->actions()) {
                const int id = CommandIdOf(a);
                if (id == static_cast<int>(MainCommand::Toolbar))
                    a->setChecked(IsToolWindowVisible(ToolWindow::Toolbar));
                else if (id == static_cast<int>(MainCommand::ScopeSettings))
                    a->setChecked(IsToolWindowVisible(ToolWindow::Settings));
                else if (id == static_cast<int>(MainCommand::ChannelOptions))
                    a->setEnabled(alive && !IsRollLogOpen());
                else if (id == static_cast<int>(MainCommand::Calibration))
                    a->setEnabled(!IsCalibrationLocked());
                else if (const auto command = ToolbarCommandOfItem(id))
                    // While a log records only its own command may run.
                    a->setEnabled(!IsRollLogOpen() || *command == ToolbarCommand::RollLog);
            }
        });
    }
}

void CWavixDlg::fillLanguageMenu(QMenu& menu) {
    menu.clear();
    const std::vector<std::string> files = settings_.LanguageFiles();
    for (std::size_t i = 0; i < files.size() && i < static_cast<std::size_t>(kMaxLanguageItems); ++i) {
        const std::string& name = files[i];
        QAction* action = menu.addAction(QString::fromStdString(name));
        action->setObjectName(QStringLiteral("language:") + QString::fromStdString(name));
        action->setToolTip(QString::fromStdString(LangFolder(settings_.DataDirectory()) + name));
        action->setCheckable(true);
        action->setChecked(name == settings_.LangFileName());
        connect(action, &QAction::triggered, this, [this, name] { ChooseLanguage(name); });
    }
}

void CWavixDlg::ChooseLanguage(const std::string& name) {
    if (name == settings_.LangFileName())
        return;
    if (!settings_.SaveLangFile(name)) {
        const CIni lang(settings_.LangFilePath());
        MessageBox(" .: ERROR ... ", LangText(lang, "TXT_1612", BuiltinText("TXT_1612")), BoxIcon::Error,
                   BoxButtons::Ok);
        return;
    }
    // The tick moves; the item that was chosen is still running, so nothing is rebuilt.
    if (auto* languages = menuBar_->findChild<QMenu*>(QStringLiteral("languageMenu")))
        for (QAction* a : languages->actions())
            a->setChecked(a->objectName() == QStringLiteral("language:") + QString::fromStdString(name));
    // Every window took its texts at start; the note is in the language chosen.
    const CIni chosen(LangFolder(settings_.DataDirectory()) + name);
    const std::string note = LangText(chosen, "TXT_1611", BuiltinText("TXT_1611"));
    MessageBox(".: Info ...", StrFormat(note.c_str(), name.c_str()), BoxIcon::Information, BoxButtons::Ok);
}

void CWavixDlg::ShowKeysHelp() {
    if (help_ == nullptr)
        help_ = new CDlgHelpKeys(settings_.LangFilePath(), this);
    help_->show();
    help_->raise();
    help_->activateWindow();
}

void CWavixDlg::onMenuCommand(int id) {
    if (const auto command = ToolbarCommandOfItem(id)) {
        controller_->OnMessage(Msg::UWM_DLG_SCOPE_TOOL_BAR, 0, Encode(*command));
        session_->Rearm();
    } else if (id == kHelpKeysItem) {
        ShowKeysHelp();
    } else {
        onMainCommand(id);
    }
}

// Toolbar code 9, the channel configurator: the channel options window.
void CWavixDlg::OnChannelOptions() {
    onMainCommand(static_cast<int>(MainCommand::ChannelOptions));
}

} // namespace wavix
