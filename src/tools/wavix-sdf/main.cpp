// wavix-sdf: looks into scope data files from the command line.
//   wavix-sdf info FILE                         header, channels, probes and marks as JSON
//   wavix-sdf csv FILE [--from N] [--count M]   time and each channel's value as CSV
//   wavix-sdf png FILE OUT.png [--style N] [--half] [--size WxH] [--from N]
//                                               the capture as the program's display shows it;
//                                               of a log the 50 000 instants from N (default 0)

#include "capturepicture.h"
#include "core/analysis/channelscale.h"
#include "core/files/scopefile.h"
#include "core/support/numberlocale.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QString>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <cstring>
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

QString qs(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// Waveforms carry the module's own divider; logs only the step, so the table rate applies.
double SampleSeconds(const CScopeFile& file, const CChannelData& first) {
    if (!file.IsLog() && first.GetTimeBase() > 0)
        return SamplesToSeconds(1.0, first.GetTimeBase());
    return SamplePeriod(first.GetTimeBaseStep());
}

int Info(const CScopeFile& file, const std::vector<LogMark>& marks) {
    QJsonObject root;
    root["header"] = qs(file.GetHeaderText());
    root["version"] = static_cast<int>(file.GetVersion());
    const FileTime& t = file.GetTime();
    root["time"] = QString::asprintf("%04u-%02u-%02uT%02u:%02u:%02u.%03uZ", t.year, t.month, t.day, t.hour,
                                     t.minute, t.second, t.milliseconds);
    root["log"] = file.IsLog();
    if (file.IsLog())
        root["logSamplesPerChannel"] = static_cast<double>(file.GetLogSamplesPerChannel());
    root["timeBaseStep"] = file.GetTimeBaseStep();
    QJsonArray channels;
    for (int i = 0; i < file.GetChannelCount(); ++i) {
        const CChannelData& ch = *file.GetChannel(i);
        QJsonObject c;
        c["number"] = ch.GetChannel();
        c["name"] = qs(ch.GetName());
        c["description"] = qs(ch.GetDescription());
        c["range"] = ch.GetRange();
        c["voltsPerDiv"] = static_cast<double>(ch.GetVoltPerDiv());
        c["coupling"] = QString::fromLatin1(CouplingText(ch.GetCoupling()).data(),
                                            static_cast<qsizetype>(CouplingText(ch.GetCoupling()).size()));
        c["msPerDiv"] = static_cast<double>(ch.GetMsPerDiv());
        c["divider"] = static_cast<double>(ch.GetTimeBase());
        c["capacity"] = static_cast<double>(ch.GetCapacity());
        c["samples"] = static_cast<double>(ch.GetSampleCount());
        c["colour"] = static_cast<double>(ch.GetColor());
        QJsonObject trigger;
        trigger["channel"] = ch.GetTriggerChannel();
        trigger["level"] = ch.GetTriggerLevel();
        trigger["mode"] = ch.GetTriggerMode();
        trigger["edge"] = ch.GetTriggerEdge();
        trigger["position"] = static_cast<double>(ch.GetTriggerPosition());
        c["trigger"] = trigger;
        QJsonObject probe;
        probe["loaded"] = ch.GetProbe().IsLoaded();
        probe["name"] = qs(ch.GetProbe().GetName());
        probe["units"] = qs(ch.GetProbe().GetUnits());
        probe["ratio"] = static_cast<double>(ch.GetProbe().GetRatio());
        c["probe"] = probe;
        channels.append(c);
    }
    root["channels"] = channels;
    QJsonArray list;
    for (const LogMark& m : marks)
        list.append(QJsonObject{
            {"number", m.number}, {"position", static_cast<double>(m.position)}, {"kind", m.kind}});
    root["marks"] = list;
    // The list stops at the first kMaxLogMarks; the count covers the whole log.
    root["markCount"] = static_cast<double>(file.GetLogMarkCount());
    const QByteArray json = QJsonDocument(root).toJson(QJsonDocument::Indented);
    std::fwrite(json.constData(), 1, static_cast<std::size_t>(json.size()), stdout);
    return 0;
}

int Csv(const CScopeFile& file, std::uint32_t from, std::uint32_t count) {
    // A decimal comma would split every value into two fields.
    const CNumberLocale c;
    const int n = file.GetChannelCount();
    const CChannelData& first = *file.GetChannel(0);
    const double period = SampleSeconds(file, first);
    std::vector<CChannelScale> scales;
    std::string head = "time [s]";
    for (int i = 0; i < n; ++i) {
        const CChannelData& ch = *file.GetChannel(i);
        scales.emplace_back(ch);
        head += ",CH" + std::to_string(ch.GetChannel()) + " [" + scales.back().Unit() + "]";
    }
    std::printf("%s\n", head.c_str());

    auto row = [&](std::uint32_t instant, auto&& countsOf) {
        std::printf("%.9g", instant * period);
        for (int i = 0; i < n; ++i)
            std::printf(",%.6g", scales[static_cast<std::size_t>(i)].Value(countsOf(i)));
        std::printf("\n");
    };

    if (!file.IsLog()) {
        std::uint32_t total = 0;
        for (int i = 0; i < n; ++i)
            total = std::max(total, file.GetChannel(i)->GetSampleCount());
        const std::uint32_t end = from < total ? from + std::min(count, total - from) : from;
        for (std::uint32_t k = from; k < end; ++k)
            row(k, [&](int i) { return static_cast<int>(file.GetChannel(i)->GetSample(k)); });
        return 0;
    }

    // Logs can be far larger than memory; read them a slice at a time.
    constexpr std::uint32_t kSlice = 65536;
    const std::uint32_t total = file.GetLogSamplesPerChannel();
    const std::uint32_t end = from < total ? from + std::min(count, total - from) : from;
    std::vector<std::uint16_t> words;
    for (std::uint32_t at = from; at < end; at += kSlice) {
        const std::uint32_t take = std::min(kSlice, end - at);
        if (!file.ReadLogWords(at, take, words) ||
            words.size() != std::size_t{take} * static_cast<std::size_t>(n))
            return fail(kExitBadFile, "cannot read the samples of the log");
        for (std::uint32_t k = 0; k < take; ++k)
            row(at + k, [&](int i) {
                return LogWordValue(
                    words[std::size_t{k} * static_cast<std::size_t>(n) + static_cast<std::size_t>(i)]);
            });
    }
    return 0;
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

int Png(CScopeFile& file, const std::vector<LogMark>& marks, const PictureOptions& options,
        const QString& out) {
    QImage image;
    QString error;
    if (!RenderCapture(file, marks, options, image, error))
        return fail(kExitBadFile, error);
    if (!image.save(out, "PNG"))
        return fail(kExitBadFile, QString("%1: cannot write the picture").arg(out));
    return 0;
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
    QCommandLineParser parser;
    parser.setApplicationDescription("Shows the contents of scope data files (.sdf).");
    parser.addHelpOption();
    parser.addPositionalArgument("command", "info: header, channels and marks as JSON; csv: samples as CSV; "
                                            "png: a picture of the display.");
    parser.addPositionalArgument("file", "The scope data file.");
    const QCommandLineOption fromOption(
        "from", "First sample instant of the CSV or of a log's picture (default 0).", "N", "0");
    const QCommandLineOption countOption("count", "Number of sample instants of the CSV (default all).", "M");
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

    const QStringList args = parser.positionalArguments();
    const QString command = args.isEmpty() ? QString() : args[0];
    const bool known = ((command == "info" || command == "csv") && args.size() == 2) ||
                       (command == "png" && args.size() == 3);
    if (!known)
        return fail(kExitUsage, "usage: wavix-sdf info FILE | wavix-sdf csv FILE [--from N] [--count M] | "
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
    const bool wantMarks = command != "csv";
    if (!file.Load(std::filesystem::path(local.toStdString()), wantMarks ? &marks : nullptr))
        return fail(kExitBadFile, QString("%1: not a readable scope data file").arg(path));
    if (command == "info")
        return Info(file, marks);
    if (command == "csv")
        return Csv(file, from, count);
    return Png(file, marks, picture, args[2]);
}
