// The program: one running copy per user, the main window, and a few options
// for scripted runs (a preset start, a screenshot, a timed end).

#include "core/app/startargument.h"
#include "platform/runtrace.h"
#include "platform/singleinstance.h"
#include "ui/main/wavixdlg.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QMessageBox>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

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

} // namespace

int main(int argc, char* argv[]) {
    using namespace wavix;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("wavix"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Four-channel oscilloscope of the Vexor tester"));
    parser.addHelpOption();
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
    const QCommandLineOption toolbarOpt(QStringLiteral("toolbar"),
                                        QStringLiteral("Press toolbar buttons by code once started, comma "
                                                       "separated (0 one or four views, 1 run/stop)."),
                                        QStringLiteral("codes"));
    parser.addOptions({startOpt, shotOpt, afterOpt, quitOpt, toolbarOpt});
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
    const int after = seconds(parser, afterOpt, afterOk);
    const int quitAfter = seconds(parser, quitOpt, quitOk);
    if (!afterOk || !quitOk) {
        std::fprintf(stderr, "wavix: --after and --quit-after take a number of seconds\n");
        return 2;
    }
    // An unattended run must not wait on a box nobody answers.
    if (quitAfter >= 0)
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
    RunTrace trace;
    const char* traceEnv = std::getenv("WAVIX_TRACE");
    if (traceEnv != nullptr && *traceEnv != '\0' && *traceEnv != '0')
        app.installEventFilter(&trace);

    CWavixDlg dlg(options);
    trace.SetMainWindow(&dlg);
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

    dlg.exec();
    return dlg.HasEnded() ? dlg.EndCode() : dlg.result();
}
