// The program: one running copy per user, the main window, and a few options
// for scripted runs (a preset start, a screenshot, a timed end).

#include "core/app/startargument.h"
#include "platform/singleinstance.h"
#include "ui/main/wavixdlg.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QMessageBox>
#include <QTimer>

#include <cstdio>

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
    parser.addOptions({startOpt, shotOpt, afterOpt, quitOpt});
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

    CWavixDlg dlg(options);
    if (!dlg.Initialise())
        return dlg.EndCode();

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
