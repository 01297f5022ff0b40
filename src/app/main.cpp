// The program: one running copy per user, the main window, and a few options
// for scripted runs (a preset start, a screenshot, a timed end).

#include "core/app/rolllogscript.h"
#include "core/app/startargument.h"
#include "core/settings/userdatatree.h"
#include "core/support/version.h"
#include "platform/runtrace.h"
#include "platform/singleinstance.h"
#include "ui/main/wavixdlg.h"
#include "ui/panels/scopectrltrigger.h"
#include "ui/tools/dlgscopesettings.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QKeyEvent>
#include <QMessageBox>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace {

QString text(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

int seconds(const QCommandLineParser& parser, const QCommandLineOption& option, bool& ok) {
    if (!parser.isSet(option))
        return -1;
    const int value = parser.value(option).toInt(&ok);
    ok = ok && value >= 0;
    return value;
}

// --roll-log: the log is started and ended by the toolbar command, as a user
// would; after a tester restart the trigger panel's mode key brings roll mode
// back and the recording goes on into the next file. Exit code 0 when the time
// was recorded, 3 when roll-mode samples never came or the log did not open,
// 4 when the log ended while the tester stayed in roll mode.
void ScriptRollLog(wavix::CWavixDlg& dlg, const QString& file, int seconds) {
    using namespace wavix;
    auto* poll = new QTimer(&dlg);
    auto clock = std::make_shared<QElapsedTimer>();
    clock->start();
    auto script = std::make_shared<CRollLogScript>(std::filesystem::path(file.toStdString()),
                                                   static_cast<std::uint32_t>(seconds) * 1000U);
    const auto partEnded = [&dlg] {
        const CRollLog& log = dlg.RollLog().Log();
        std::fprintf(stderr, "wavix: roll log of %llu instants in %s\n",
                     static_cast<unsigned long long>(log.InstantsWritten()), log.Path().c_str());
    };
    QObject::connect(poll, &QTimer::timeout, &dlg, [&dlg, poll, clock, script, partEnded] {
        const auto now = static_cast<std::uint32_t>(clock->elapsed());
        RollScriptView view;
        view.rollMode = dlg.IsRollMode();
        view.recordFree = (dlg.Record().TR_mode & ~kStopBit) == TM_FREE;
        view.logOpen = dlg.IsRollLogOpen();
        view.groups = dlg.ConvertedGroups();
        RollScriptStep step = script->Step(now, view);
        if (step.partEnded)
            partEnded();
        if (!step.message.empty())
            std::fprintf(stderr, "wavix: %s\n", step.message.c_str());
        switch (step.action) {
        case RollScriptAction::None:
            return;
        case RollScriptAction::StartLog:
            dlg.SetScriptedSavePath(step.path.string());
            dlg.ToggleRollLog();
            step = script->LogStarted(now, dlg.IsRollLogOpen());
            if (step.action != RollScriptAction::Finish)
                return;
            std::fprintf(stderr, "wavix: %s\n", step.message.c_str());
            break;
        case RollScriptAction::PressModeKey:
            if (CDlgScopeSettings* strip = dlg.SettingsWindow()) {
                for (int i = 0; i < CDlgScopeSettings::kPanelCount; ++i) {
                    if (auto* trigger = qobject_cast<CScopeCtrlTrigger*>(strip->Panel(i))) {
                        QKeyEvent key(QEvent::KeyPress, Qt::Key_M, Qt::NoModifier);
                        QApplication::sendEvent(trigger, &key);
                    }
                }
            }
            return;
        case RollScriptAction::StopLog:
            dlg.ToggleRollLog();
            partEnded();
            break;
        case RollScriptAction::Finish:
            break;
        }
        poll->stop();
        dlg.done(step.exitCode);
    });
    poll->start(50);
}

// --data-tree: the folder on stdout for scripts, what happened on stderr.
int PrintDataTree(const QString& given) {
    using namespace wavix;
    DataTreeResult tree;
    if (given.isEmpty()) {
        tree = SetUpDataDirectory();
    } else {
        tree.state = DataTreeState::Given;
        tree.dataDir = QDir(given).absolutePath().toStdString() + "/";
    }
    if (IsDataTreeNews(tree) || tree.dataDir.empty())
        std::fprintf(stderr, "wavix: %s\n", DataTreeReport(tree).c_str());
    if (tree.dataDir.empty())
        return 1;
    std::printf("%s\n", tree.dataDir.c_str());
    return 0;
}

} // namespace

int main(int argc, char* argv[]) {
    using namespace wavix;
    QCoreApplication::setApplicationName(QStringLiteral("wavix"));
    QCoreApplication::setApplicationVersion(QString::fromLatin1(WavixVersion()));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Four-channel oscilloscope of the Vexor tester"));
    const QCommandLineOption helpOpt = parser.addHelpOption();
    const QCommandLineOption versionOpt = parser.addVersionOption();
    const QCommandLineOption startOpt(QStringLiteral("start"),
                                      QStringLiteral("Startup choice without the dialog: tester, pc, "
                                                     "samples or custom:STEP:COUNT."),
                                      QStringLiteral("choice"));
    const QCommandLineOption shotOpt(QStringLiteral("screenshot"),
                                     QStringLiteral("Save the main window as a PNG file."),
                                     QStringLiteral("file"));
    const QCommandLineOption afterOpt(QStringLiteral("after"),
                                      QStringLiteral("Seconds after start for the screenshot (default 5)."),
                                      QStringLiteral("seconds"));
    const QCommandLineOption quitOpt(QStringLiteral("quit-after"),
                                     QStringLiteral("End the program after this many seconds."),
                                     QStringLiteral("seconds"));
    const QCommandLineOption dataOpt(
        QStringLiteral("data"),
        QStringLiteral("Data directory to use instead of the one beside the program or the user's own."),
        QStringLiteral("folder"));
    const QCommandLineOption dataTreeOpt(
        QStringLiteral("data-tree"),
        QStringLiteral("Print the data directory and end; an installed program makes or completes its "
                       "per-user copy first. Needs no display."));
    const QCommandLineOption rollLogOpt(
        QStringLiteral("roll-log"),
        QStringLiteral("Once roll-mode samples arrive, record a roll log into "
                       "this file, then end the log and the program. After a tester "
                       "restart roll mode is set again and the log goes on in file-2, file-3, ..."),
        QStringLiteral("file"));
    const QCommandLineOption rollSecondsOpt(
        QStringLiteral("roll-seconds"), QStringLiteral("Length of the --roll-log recording (default 10)."),
        QStringLiteral("seconds"));
    const QCommandLineOption toolbarOpt(QStringLiteral("toolbar"),
                                        QStringLiteral("Press toolbar buttons by code once started, comma "
                                                       "separated (0 one or four views, 1 run/stop)."),
                                        QStringLiteral("codes"));
    parser.addOptions(
        {startOpt, shotOpt, afterOpt, quitOpt, dataOpt, dataTreeOpt, rollLogOpt, rollSecondsOpt, toolbarOpt});

    // Help and version need no display. A line the parser refuses may still hold
    // options of Qt's own, which only the application takes out.
    QStringList raw;
    for (int i = 0; i < argc; ++i)
        raw << QString::fromLocal8Bit(argv[i]);
    if (parser.parse(raw)) {
        if (parser.isSet(helpOpt)) {
            // Without an application the parser does not know the program's name.
            QString help = parser.helpText();
            help.replace(QStringLiteral("<executable_name>"), QFileInfo(raw.first()).fileName());
            std::fputs(qPrintable(help), stdout);
            return 0;
        }
        if (parser.isSet(versionOpt)) {
            std::printf("wavix %s\n", WavixVersion());
            return 0;
        }
        if (parser.isSet(dataTreeOpt))
            return PrintDataTree(parser.isSet(dataOpt) ? parser.value(dataOpt) : QString());
    }

    QApplication app(argc, argv);
    parser.process(app);

    WavixDlgOptions options;
    if (parser.isSet(startOpt)) {
        options.start = ParseStartArgument(parser.value(startOpt).toStdString());
        if (!options.start) {
            std::fprintf(stderr,
                         "wavix: --start takes tester, pc, samples or custom:STEP(1..14):COUNT(1..4)\n");
            return 2;
        }
    }
    bool afterOk = true;
    bool quitOk = true;
    bool rollOk = true;
    const int after = seconds(parser, afterOpt, afterOk);
    const int quitAfter = seconds(parser, quitOpt, quitOk);
    const int rollSeconds = seconds(parser, rollSecondsOpt, rollOk);
    if (!afterOk || !quitOk || !rollOk) {
        std::fprintf(stderr, "wavix: --after, --quit-after and --roll-seconds take a number of seconds\n");
        return 2;
    }
    if (parser.isSet(dataOpt))
        options.dataDir = QDir(parser.value(dataOpt)).absolutePath().toStdString() + "/";
    const bool rollLog = parser.isSet(rollLogOpt);
    if (rollLog)
        options.savePath = QDir(parser.value(rollLogOpt)).absolutePath().toStdString();
    // An unattended run must not wait on a box nobody answers.
    if (quitAfter >= 0 || rollLog)
        options.boxAnswer = BoxAnswer::No;

    CSingleInstance instance;
    if (!instance.TryLock()) {
        if (options.boxAnswer) {
            std::fprintf(stderr, "wavix: %s\n", kInstanceRunningText.data());
            return 0;
        }
        QMessageBox box(QMessageBox::Warning, text(kInstanceRunningCaption), text(kInstanceRunningText),
                        QMessageBox::Ok);
        box.exec();
        return 0;
    }

    // WAVIX_TRACE=1: trace lines on stderr for the soak and budget scripts.
    CRunTrace trace;
    const char* traceEnv = std::getenv("WAVIX_TRACE");
    if (traceEnv != nullptr && *traceEnv != '\0' && *traceEnv != '0') {
        app.installEventFilter(&trace);
        options.linkObserver = [&trace](std::string_view state, std::string_view endpoint) {
            trace.Link(state, endpoint);
        };
    }

    CWavixDlg dlg(options);
    trace.SetMainWindow(&dlg);
    trace.SetCaptureSamples([&dlg] { return dlg.CaptureSamples(); });
    if (!dlg.Initialise())
        return dlg.EndCode();

    // Queued behind the start-up messages, as if pressed once the window is up.
    for (const QString& code : parser.value(toolbarOpt).split(QLatin1Char(','), Qt::SkipEmptyParts)) {
        bool ok = false;
        const int command = code.trimmed().toInt(&ok);
        if (ok && command >= 0)
            dlg.PostToSelf(Msg::UWM_DLG_SCOPE_TOOL_BAR, 0, command);
    }
    if (parser.isSet(shotOpt)) {
        const QString file = parser.value(shotOpt);
        QTimer::singleShot((after >= 0 ? after : 5) * 1000, &dlg, [&dlg, file] {
            if (dlg.grab().save(file, "PNG"))
                std::fprintf(stderr, "wavix: screenshot saved to %s\n", qPrintable(file));
            else
                std::fprintf(stderr, "wavix: cannot save the screenshot to %s\n", qPrintable(file));
        });
    }
    if (quitAfter >= 0)
        QTimer::singleShot(quitAfter * 1000, &dlg, [&dlg] { dlg.reject(); });
    if (rollLog)
        ScriptRollLog(dlg, QString::fromStdString(options.savePath), rollSeconds >= 0 ? rollSeconds : 10);

    dlg.exec();
    return dlg.HasEnded() ? dlg.EndCode() : dlg.result();
}
