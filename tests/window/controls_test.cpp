// The main window's controls explain themselves against vexor-sim: tool tips
// on menu items, toolbar buttons and panel keys, the menu items and keys of
// the toolbar's commands, F1, the language menu, the channel configurator
// button and the mouse wheel; the plot's labels are the scope view tests'.
// With WAVIX_SHOT_DIR set it leaves pictures.

#include "core/app/mainmenu.h"
#include "ui/dialogs/dlghelpkeys.h"
#include "ui/main/menubuilder.h"
#include "ui/panels/scopectrlbase.h"
#include "ui/scope/cscope.h"
#include "ui/tools/dlgchanneloptions.h"
#include "ui/tools/dlgscopesettings.h"
#include "ui/tools/dlgscopetoolbar.h"
#include "window/windowsupport.h"

#include <QAction>
#include <QApplication>
#include <QHelpEvent>
#include <QMenuBar>
#include <QPainter>
#include <QToolButton>
#include <QToolTip>
#include <QWheelEvent>

#include <gtest/gtest.h>

#include <map>

namespace wavix::test {
namespace {

QAction* menuItem(const CWavixDlg& dlg, int id) {
    return dlg.findChild<QAction*>(QStringLiteral("cmd0x%1").arg(id, 0, 16));
}

// Hovers w at pos: the tool tip shown, or null.
QWidget* hover(QWidget& w, const QPoint& pos) {
    QHelpEvent help(QEvent::ToolTip, pos, w.mapToGlobal(pos));
    QCoreApplication::sendEvent(&w, &help);
    runUntil([] { return QToolTip::isVisible(); }, 3000);
    for (QWidget* top : QApplication::topLevelWidgets())
        if (top->inherits("QTipLabel") && top->isVisible())
            return top;
    return nullptr;
}

void wheel(CScope& view, const QPoint& at, int delta, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QWheelEvent e(at, view.mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, modifiers,
                  Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(&view, &e);
}

TEST(WindowControls, MenusKeysTipsWheelAndLanguage) {
    WindowRun run;
    ASSERT_TRUE(run.start(StartupResult{StartupChoice::Custom, 5, 2}));
    CWavixDlg& dlg = *run.dlg;
    ASSERT_TRUE(run.capturing(3, [&] { return dlg.Record().chann_num == 2; }));
    CDlgScopeToolBar* bar = dlg.ToolBar();
    CDlgScopeSettings* strip = dlg.SettingsWindow();
    ASSERT_TRUE(bar != nullptr && strip != nullptr);

    // Every menu item has a tool tip; the toolbar's commands are in the menus with keys.
    auto* menuBar = dlg.findChild<QMenuBar*>(QStringLiteral("mainMenu"));
    ASSERT_NE(menuBar, nullptr);
    int items = 0;
    for (QAction* a : menuBar->findChildren<QAction*>())
        if (CommandIdOf(a) != 0) {
            ++items;
            EXPECT_FALSE(a->toolTip().isEmpty()) << a->text().toStdString();
        }
    EXPECT_GE(items, 18);
    for (const ToolbarCommand c :
         {ToolbarCommand::Save, ToolbarCommand::Load, ToolbarCommand::Print, ToolbarCommand::SampleCharts,
          ToolbarCommand::LogCharts, ToolbarCommand::RollLog, ToolbarCommand::ViewMode,
          ToolbarCommand::RunStop, ToolbarCommand::ShowMode}) {
        QAction* a = menuItem(dlg, ToolbarItem(c));
        ASSERT_NE(a, nullptr) << Encode(c);
        EXPECT_FALSE(a->shortcut().isEmpty()) << Encode(c);
        EXPECT_TRUE(a->toolTip().contains(a->shortcut().toString(QKeySequence::NativeText)));
    }
    // No key is taken twice.
    std::map<QString, int> keys;
    for (QAction* a : dlg.findChildren<QAction*>())
        if (!a->shortcut().isEmpty()) {
            EXPECT_EQ(++keys[a->shortcut().toString()], 1) << a->shortcut().toString().toStdString();
        }

    // Hovering a toolbar button shows its tip.
    QToolButton* print = bar->Button(ToolbarCommand::Print);
    QWidget* tip = hover(*print, print->rect().center());
    ASSERT_NE(tip, nullptr);
    EXPECT_EQ(QToolTip::text(), QStringLiteral("Vytisknout aktuálni údaje"));
    if (shotsWanted()) {
        QImage shot = dlg.grab().toImage();
        QPainter p(&shot);
        p.drawImage(dlg.mapFromGlobal(tip->pos()), tip->grab().toImage());
        p.end();
        shoot(shot, "controls_tooltip.png");
    }
    QToolTip::hideText();
    // Panel keys are drawn, not widgets: each still has its tip.
    for (int i = 0; i < CDlgScopeSettings::kPanelCount; ++i) {
        CScopeCtrlBase* panel = strip->Panel(i);
        for (int k = 0; k < panel->KeyCount(); ++k) {
            ASSERT_FALSE(panel->Key(k).tip.empty()) << i << " " << k;
            QToolTip::hideText();
            ASSERT_NE(hover(*panel, panel->KeyRect(k).center()), nullptr) << i << " " << k;
            EXPECT_EQ(QToolTip::text().toStdString(), panel->Key(k).tip);
        }
    }
    EXPECT_EQ(strip->Panel(0)->Key(2).tip, "Vstupní vazba AC / DC (C)");
    QToolTip::hideText();

    // F1: the page of keys, in the user's language.
    menuItem(dlg, kHelpKeysItem)->trigger();
    CDlgHelpKeys* help = dlg.KeysHelp();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_EQ(menuItem(dlg, kHelpKeysItem)->shortcut(), QKeySequence(Qt::Key_F1));
    for (const char* line : {"Ctrl+P", "Tisk", "Shift + kolečko myši: posun po časové ose", "F4"})
        EXPECT_TRUE(help->PlainText().contains(QString::fromUtf8(line))) << line;
    shoot(*help, "controls_help.png");
    help->close();

    // The channel configurator button opens the channel options.
    EXPECT_FALSE(dlg.IsToolWindowVisible(ToolWindow::ChannelOptions));
    bar->Button(ToolbarCommand::Configurator)->click();
    ASSERT_TRUE(runUntil([&] { return dlg.IsToolWindowVisible(ToolWindow::ChannelOptions); }, 5000));
    dlg.SetToolWindowVisible(ToolWindow::ChannelOptions, false);

    // The menu's view item (F4) is the toolbar's button: one view per channel.
    menuItem(dlg, ToolbarItem(ToolbarCommand::ViewMode))->trigger();
    ASSERT_TRUE(runUntil([&] { return dlg.View(1).isVisible() && !bar->IsSingleView(); }, 5000));

    // The wheel zooms about the pointer in every view; Shift moves along.
    CScope& a = dlg.View(0);
    const ScopeLayout l = a.CurrentLayout();
    const QPoint at(l.plot.left + l.plot.Width() / 4, (l.plot.top + l.plot.bottom) / 2);
    wheel(a, at, 240);
    ASSERT_TRUE(a.Zoom().IsZoomed());
    EXPECT_NEAR(a.Zoom().Factor(), CScopeZoom::kWheelStep * CScopeZoom::kWheelStep, 1e-9);
    ASSERT_TRUE(runUntil([&] { return dlg.View(1).Zoom().Factor() == a.Zoom().Factor(); }, 5000));
    const double start = a.Zoom().Start();
    wheel(a, at, -120, Qt::ShiftModifier);
    EXPECT_GT(a.Zoom().Start(), start);
    ASSERT_TRUE(runUntil([&] { return dlg.View(1).Zoom().Start() == a.Zoom().Start(); }, 5000));
    wheel(a, at, -120 * 10);
    EXPECT_FALSE(a.Zoom().IsZoomed());
    ASSERT_TRUE(runUntil([&] { return !dlg.View(1).Zoom().IsZoomed(); }, 5000));

    // The language menu lists the files found and keeps the choice for the next start.
    auto* czech = dlg.findChild<QAction*>(QStringLiteral("language:Cestina.lng"));
    auto* english = dlg.findChild<QAction*>(QStringLiteral("language:English.lng"));
    ASSERT_TRUE(czech != nullptr && english != nullptr);
    EXPECT_TRUE(czech->isChecked());
    english->trigger();
    EXPECT_EQ(dlg.LastBoxText(), "The language English.lng applies from the next start of the program.");
    EXPECT_TRUE(dlg.findChild<QAction*>(QStringLiteral("language:English.lng"))->isChecked());
    // The texts of this run stay.
    EXPECT_EQ(menuItem(dlg, ToolbarItem(ToolbarCommand::Print))->text(), QStringLiteral("Tisk ..."));
    shoot(dlg, "controls_labels.png");
}

} // namespace
} // namespace wavix::test
