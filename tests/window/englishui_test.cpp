// With the English language file every text of every window and dialog comes
// from that file: a word the file does not hold is a text the program carries
// itself, most likely in Czech. Words of the few texts that are English in any
// language (captions, units, technical names) are listed here.

#include "core/app/mainmenu.h"
#include "core/settings/builtintexts.h"
#include "core/settings/datadirectory.h"
#include "ui/dialogs/dlgchangetimebase.h"
#include "ui/dialogs/dlgcontrollogchart.h"
#include "ui/dialogs/dlgprogressbar.h"
#include "ui/dialogs/dlgscopefileedit.h"
#include "ui/dialogs/dlgstartupoptions.h"
#include "ui/main/logchartsui.h"
#include "ui/main/menubuilder.h"
#include "ui/scope/cscope.h"
#include "ui/tools/dlgscopetoolbar.h"
#include "window/windowsupport.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFileDialog>
#include <QGroupBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QToolButton>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace wavix::test {
namespace {

std::vector<QString> wordsOf(const QString& text) {
    std::vector<QString> words;
    QString word;
    for (const QChar c : text + QLatin1Char(' ')) {
        if (c.isLetter()) {
            word += c.toLower();
        } else if (!word.isEmpty()) {
            words.push_back(word);
            word.clear();
        }
    }
    return words;
}

// Every text found, by where it was seen.
class TextWalk {
public:
    void add(const QString& where, QString text) {
        text.replace(QStringLiteral("&&"), QStringLiteral("\x01")).remove(QLatin1Char('&'));
        text.replace(QLatin1Char('\x01'), QLatin1Char('&'));
        if (!text.trimmed().isEmpty())
            texts_.emplace(text, where);
    }
    void menu(const QString& where, const QList<QAction*>& actions) {
        for (QAction* a : actions) {
            add(where, a->text());
            if (a->menu() != nullptr)
                menu(where + "/" + a->text(), a->menu()->actions());
        }
    }
    void widget(const QString& where, QWidget& root) {
        QList<QWidget*> all = root.findChildren<QWidget*>();
        all.prepend(&root);
        for (QWidget* w : all) {
            // The file chooser is the platform's own.
            if (qobject_cast<QFileDialog*>(w->window()) != nullptr)
                continue;
            // Values, not texts: the channel's and owner's details, paths, the build.
            static const QStringList data = {"owner", "program", "folder", "printerLine"};
            if (data.contains(w->objectName()) || w->objectName().startsWith(QLatin1String("field")))
                continue;
            const QString at =
                where + ":" + (w->objectName().isEmpty() ? w->metaObject()->className() : w->objectName());
            if (w->isWindow() && qobject_cast<CWavixDlg*>(w) == nullptr) // the title names the build
                add(at, w->windowTitle());
            add(at, w->toolTip());
            if (auto* l = qobject_cast<QLabel*>(w))
                add(at, l->text());
            if (auto* b = qobject_cast<QAbstractButton*>(w))
                add(at, b->text());
            if (auto* g = qobject_cast<QGroupBox*>(w))
                add(at, g->title());
            if (auto* c = qobject_cast<QComboBox*>(w))
                for (int i = 0; i < c->count(); ++i)
                    add(at, c->itemText(i));
            if (auto* t = qobject_cast<QTreeWidget*>(w))
                for (int i = 0; i < t->columnCount(); ++i)
                    add(at, t->headerItem()->text(i));
            if (auto* m = qobject_cast<QMenu*>(w))
                menu(at, m->actions());
            if (auto* m = qobject_cast<QMenuBar*>(w))
                menu(at, m->actions());
        }
    }

    // The texts with a word outside the allowed ones.
    std::string strangers(const std::set<QString>& allowed) const {
        std::string out;
        for (const auto& [text, where] : texts_)
            for (const QString& w : wordsOf(text))
                if (allowed.count(w) == 0) {
                    out += "\n  " + where.toStdString() + ": \"" + text.toStdString() + "\"";
                    break;
                }
        return out;
    }
    std::size_t size() const { return texts_.size(); }

private:
    std::map<QString, QString> texts_;
};

// English in every language: decorated captions, the tester's and the
// module's names, units, file filters and the channel options window; the
// language menu lists the language files by name.
constexpr const char* kNeutral[] = {
    "error", "info",   "ok",      "scope",   "roll",   "capture", "vexor", "reader", "wavix",  "vcal",
    "cal",   "notcal", "samples", "ch",      "sample", "rate",    "v",     "mv",     "ms",     "s",
    "us",    "hz",     "khz",     "mhz",     "db",     "mbsc",    "build", "voe",    "i",      "o",
    "zoom",  "marker", "channel", "options", "name",   "ratio",   "units", "load",   "unload", "probe",
    "color", "ac",     "dc",      "gnd",     "offset", "none",    "free",  "auto",   "norm",   "single",
    "file",  "data",   "sdf",     "open",    "tr",     "x",       "h",     "m",      "lng",    "cestina",
    "english",
};

TEST(EnglishUi, EveryWindowAndDialogShowsOnlyTextsOfTheLanguageFile) {
    WindowRun run;
    ASSERT_TRUE(run.prepare({}, {{"LangFile", "English.lng"}}));
    run.options.boxAnswer.reset();
    const std::filesystem::path lang = std::filesystem::path(run.dataDir()) / "Lang" / "English.lng";
    std::vector<std::string> english;
    ASSERT_TRUE(LoadTextTable(lang, BuiltinTexts(), english, false)) << "the English file lacks a key";
    std::set<QString> allowed;
    for (const std::string& t : english)
        for (const QString& w : wordsOf(QString::fromStdString(t)))
            allowed.insert(w);
    for (const char* w : kNeutral)
        allowed.insert(QString::fromLatin1(w));

    TextWalk walk;
    // Every modal dialog a command opens is read and closed; its boxes too.
    ModalWatcher watcher([&walk](QDialog& d) {
        walk.widget(QString::fromLatin1(d.metaObject()->className()), d);
        d.reject();
    });
    ASSERT_TRUE(run.open(StartupResult{StartupChoice::Custom, 5, 2}));
    CWavixDlg& dlg = *run.dlg;
    ASSERT_TRUE(run.capturing(3, [&] { return run.startRecordInForce(); }));
    {
        CDlgStartupOptions start(lang, StartupChoice::Custom);
        walk.widget("startup", start);
        CDlgChangeTimeBase prompt(lang, 2, 5);
        walk.widget("timebase", prompt);
        CDlgScopeFileEdit edit(nullptr, lang); // as the scope book opens it
        walk.widget("chart edit", edit);
    }
    dlg.SetToolWindowVisible(ToolWindow::Toolbar, true);
    dlg.SetToolWindowVisible(ToolWindow::Settings, true);
    const QAbstractButton* save = dlg.ToolBar()->Button(ToolbarCommand::Save);
    EXPECT_EQ(save->toolTip(), QStringLiteral("Save the capture"));
    EXPECT_EQ(save->text(), QStringLiteral("Save"));
    ASSERT_TRUE(run.moreGroups(3));
    shoot(dlg, "english-main.png");
    dlg.SetToolWindowVisible(ToolWindow::ChannelOptions, true);
    dlg.ShowChannelInfo(dlg.Channel(1));
    std::unique_ptr<QMenu> viewMenu(dlg.CreateViewMenu(0));
    walk.widget("view menu", *viewMenu);
    dlg.PrintCapture();
    dlg.SaveCapture(0);
    dlg.OpenScopeBook();
    dlg.RunCalibration();
    for (QAction* a : dlg.findChild<QMenuBar*>()->findChildren<QAction*>())
        if (CommandIdOf(a) == static_cast<int>(MainCommand::About))
            a->trigger();
    dlg.ToggleRollLog(); // refused: no roll mode
    dlg.OpenLogCharts(); // the chooser

    // The stopped scope, then a log in the viewer with its progress window.
    dlg.ToolBar()->Button(ToolbarCommand::RunStop)->click();
    runUntil([&] { return !dlg.ToolBar()->IsRunning(); }, 3000);
    for (int v = 0; v < kViewCount; ++v)
        walk.add("view message", QString::fromStdString(dlg.View(v).GetMessage()));
    walk.widget("main", dlg);
    const std::filesystem::path log = std::filesystem::path(run.dataDir()) / kLogChartsFolder / "en.sdf";
    std::filesystem::create_directories(log.parent_path());
    writeLog(log, 80000, "English", 2);
    dlg.LogCharts().OpenFile(log);
    walk.widget("progress", dlg.LogCharts().Progress());
    ASSERT_TRUE(runUntil([&] { return !dlg.LogCharts().IsBusy(); }, 10000));
    walk.widget("log control", dlg.LogCharts().Control());
    walk.widget("main with log", dlg);
    shoot(dlg, "english-log.png");
    for (const SeenBox& box : watcher.boxes) {
        walk.add("box", QString::fromStdString(box.caption));
        walk.add("box", QString::fromStdString(box.text));
    }
    EXPECT_GT(walk.size(), 150u);
    EXPECT_EQ(walk.strangers(allowed), "");
}

} // namespace
} // namespace wavix::test
