// wavix-sdf: looks into scope data files from the command line.
//   wavix-sdf info FILE                         header, channels, probes and marks as JSON
//   wavix-sdf csv FILE [--from N] [--count M]   time and each channel's value as CSV
//   wavix-sdf measure FILE [--from N] [--count M]
//                                               each channel's automatic measurements as JSON
//   wavix-sdf png FILE OUT.png [--style N] [--half] [--size WxH] [--from N]
//                                               the capture as the program's display shows it;
//                                               of a log the 50 000 instants from N (default 0)

#include "capturepicture.h"
#include "core/export/csvexporter.h"
#include "core/files/scopefile.h"
#include "core/support/version.h"
#include "jsoninfoexporter.h"
#include "jsonmeasureexporter.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QRegularExpression>
#include <QString>
#include <QTextStream>

#include <cstring>
#include <iostream>
#include <limits>
#include <memory>
#include <vector>

using namespace wavix;

namespace {

constexpr int kExitBadFile = 1;
constexpr int kExitUsage = 2;

int fail(int code, const QString& text) {
    QTextStream(stderr) << "wavix-sdf: " << text << '\n';
    return code;
}

bool ParseCount(const QString& text, std::uint32_t& out) {
    bool ok = false;
    const qulonglong v = text.toULongLong(&ok);
    if (!ok || v > std::numeric_limits<std::uint32_t>::max())
        return false;
    out = static_cast<std::uint32_t>(v);
    return true;
}

bool ParseSize(const QString& text, QSize& out) {
    static const QRegularExpression form(QStringLiteral("^(\\d{1,5})x(\\d{1,5})$"));
    const QRegularExpressionMatch m = form.match(text);
    if (!m.hasMatch())
        return false;
    const QSize size(m.captured(1).toInt(), m.captured(2).toInt());
    if (size.width() < kPictureMinSize.width() || size.height() < kPictureMinSize.height() ||
        size.width() > kPictureMaxSize.width() || size.height() > kPictureMaxSize.height())
        return false;
    out = size;
    return true;
}

// The command word, found before any application object exists: only pictures
// need the widget machinery. Values of options are skipped.
bool WantsPicture(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        const char* a = argv[i];
        if (a[0] != '-')
            return std::strcmp(a, "png") == 0;
        const bool takesValue = std::strcmp(a, "--from") == 0 || std::strcmp(a, "--count") == 0 ||
                                std::strcmp(a, "--style") == 0 || std::strcmp(a, "--size") == 0;
        if (takesValue)
            ++i;
    }
    return false;
}

// Qt's own notes (runtime folder, fonts) would break the one-line error rule of stderr.
void KeepQtQuiet(QtMsgType type, const QMessageLogContext& /*context*/, const QString& text) {
    if (type == QtCriticalMsg || type == QtFatalMsg)
        QTextStream(stderr) << "wavix-sdf: " << text << '\n';
}

// 0, or the failure's status after its one line on stderr.
int Status(const ExportResult& r) {
    return r ? 0 : fail(kExitBadFile, QString::fromStdString(r.reason));
}

} // namespace

int main(int argc, char* argv[]) {
    // The application objects see only the program name: QApplication would take
    // "--style N" for its widget style and remove it.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    int appArgc = 1;
    std::unique_ptr<QCoreApplication> app;
    if (WantsPicture(argc, argv)) {
        // A picture needs no screen; without a platform named, draw off-screen.
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
            qputenv("QT_QPA_PLATFORM", "offscreen");
        qInstallMessageHandler(KeepQtQuiet);
        app = std::make_unique<QApplication>(appArgc, argv);
    } else {
        app = std::make_unique<QCoreApplication>(appArgc, argv);
    }
    QCoreApplication::setApplicationName("wavix-sdf");
    QCoreApplication::setApplicationVersion(QString::fromLatin1(WavixVersion()));
    QCommandLineParser parser;
    parser.setApplicationDescription("Shows the contents of scope data files (.sdf).");
    parser.addHelpOption();
    parser.addVersionOption();
    parser.addPositionalArgument(
        "command", "info: header, channels and marks as JSON; csv: samples as CSV; "
                   "measure: each channel's measurements as JSON; png: a picture of the display.");
    parser.addPositionalArgument("file", "The scope data file.");
    const QCommandLineOption fromOption(
        "from", "First sample instant of the CSV, the measurements or a log's picture (default 0).", "N",
        "0");
    const QCommandLineOption countOption(
        "count", "Number of sample instants of the CSV or the measurements (default all).", "M");
    const QCommandLineOption styleOption("style", "Draw style of the picture, 3025..3028 (default 3028).",
                                         "N", "3028");
    const QCommandLineOption halfOption("half", "Show only the positive half, at double scale.");
    const QCommandLineOption sizeOption("size", "Picture size in pixels (default 1280x720).", "WxH",
                                        "1280x720");
    parser.addOption(fromOption);
    parser.addOption(countOption);
    parser.addOption(styleOption);
    parser.addOption(halfOption);
    parser.addOption(sizeOption);
    if (!parser.parse(arguments))
        return fail(kExitUsage, parser.errorText());
    if (parser.isSet("help"))
        parser.showHelp(0);
    if (parser.isSet("version"))
        parser.showVersion();

    const QStringList args = parser.positionalArguments();
    const QString command = args.isEmpty() ? QString() : args[0];
    const bool known =
        ((command == "info" || command == "csv" || command == "measure") && args.size() == 2) ||
        (command == "png" && args.size() == 3);
    if (!known)
        return fail(kExitUsage, "usage: wavix-sdf info FILE | wavix-sdf csv FILE [--from N] [--count M] | "
                                "wavix-sdf measure FILE [--from N] [--count M] | "
                                "wavix-sdf png FILE OUT.png [--style N] [--half] [--size WxH] [--from N]");
    std::uint32_t from = 0;
    std::uint32_t count = std::numeric_limits<std::uint32_t>::max();
    if (!ParseCount(parser.value(fromOption), from))
        return fail(kExitUsage, "--from needs a whole number of sample instants");
    if (parser.isSet(countOption) && !ParseCount(parser.value(countOption), count))
        return fail(kExitUsage, "--count needs a whole number of sample instants");
    PictureOptions picture;
    bool styleOk = false;
    picture.style = parser.value(styleOption).toInt(&styleOk);
    if (!styleOk || picture.style < 3025 || picture.style > 3028)
        return fail(kExitUsage, "--style needs one of 3025, 3026, 3027, 3028");
    if (!ParseSize(parser.value(sizeOption), picture.size))
        return fail(kExitUsage, QString("--size needs WxH from %1x%2 to %3x%4 pixels")
                                    .arg(kPictureMinSize.width())
                                    .arg(kPictureMinSize.height())
                                    .arg(kPictureMaxSize.width())
                                    .arg(kPictureMaxSize.height()));
    picture.half = parser.isSet(halfOption);
    picture.logStart = from;

    const QString path = args[1];
    CScopeFile file;
    std::vector<LogMark> marks;
    const QByteArray local = path.toLocal8Bit();
    const bool wantMarks = command == "info" || command == "png";
    if (!file.Load(std::filesystem::path(local.toStdString()), wantMarks ? &marks : nullptr))
        return fail(kExitBadFile, QString("%1: not a readable scope data file").arg(path));
    const ExportCapture capture{file, {}, marks, from, count};
    if (command == "info")
        return Status(CJsonInfoExporter().Write(capture, std::cout));
    if (command == "csv")
        return Status(CCsvExporter().Write(capture, std::cout));
    if (command == "measure")
        return Status(CJsonMeasureExporter().Write(capture, std::cout));
    const CCapturePicture renderer(picture);
    return Status(
        CPngExporter(renderer).Write(capture, std::filesystem::path(args[2].toLocal8Bit().toStdString())));
}
