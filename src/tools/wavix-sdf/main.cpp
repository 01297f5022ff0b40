// wavix-sdf: looks into scope data files from the command line.
//   wavix-sdf info FILE                         header, channels, probes and marks as JSON
//   wavix-sdf csv FILE [--from N] [--count M]   time and each channel's value as CSV

#include "core/files/scopefile.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>
#include <QTextStream>

#include <algorithm>
#include <cstdio>
#include <limits>
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

// A half-swing of 512 converter counts is V/div × 3 × the range's correction volts:
// volts = counts × V/div × 3 × correction / 512; a loaded probe then reads volts / ratio.
double ChannelValue(const CChannelData& ch, int counts) {
    const double volts = counts * ch.GetVoltPerDiv() * 3.0 * RangeCorrection(ch.GetRange()) / 512.0;
    return ch.GetProbe().IsLoaded() ? volts / ch.GetProbe().GetRatio() : volts;
}

std::string ChannelUnit(const CChannelData& ch) {
    const auto& probe = ch.GetProbe();
    return probe.IsLoaded() && !probe.GetUnits().empty() ? probe.GetUnits() : std::string("V");
}

// Waveforms carry the module's own divider; logs only the step, so the table rate applies.
double SampleSeconds(const CScopeFile& file, const CChannelData& first) {
    if (!file.IsLog() && first.GetTimeBase() > 0)
        return static_cast<double>(first.GetTimeBase()) / kSampleClockHz;
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
    const QByteArray json = QJsonDocument(root).toJson(QJsonDocument::Indented);
    std::fwrite(json.constData(), 1, static_cast<std::size_t>(json.size()), stdout);
    return 0;
}

int Csv(const CScopeFile& file, std::uint32_t from, std::uint32_t count) {
    const int n = file.GetChannelCount();
    const CChannelData& first = *file.GetChannel(0);
    const double period = SampleSeconds(file, first);
    std::string head = "time [s]";
    for (int i = 0; i < n; ++i) {
        const CChannelData& ch = *file.GetChannel(i);
        head += ",CH" + std::to_string(ch.GetChannel()) + " [" + ChannelUnit(ch) + "]";
    }
    std::printf("%s\n", head.c_str());

    auto row = [&](std::uint32_t instant, auto&& countsOf) {
        std::printf("%.9g", instant * period);
        for (int i = 0; i < n; ++i)
            std::printf(",%.6g", ChannelValue(*file.GetChannel(i), countsOf(i)));
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

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName("wavix-sdf");
    QCommandLineParser parser;
    parser.setApplicationDescription("Shows the contents of scope data files (.sdf).");
    parser.addHelpOption();
    parser.addPositionalArgument("command", "info: header, channels and marks as JSON; csv: samples as CSV.");
    parser.addPositionalArgument("file", "The scope data file.");
    const QCommandLineOption fromOption("from", "First sample instant of the CSV (default 0).", "N", "0");
    const QCommandLineOption countOption("count", "Number of sample instants of the CSV (default all).", "M");
    parser.addOption(fromOption);
    parser.addOption(countOption);
    if (!parser.parse(app.arguments()))
        return fail(kExitUsage, parser.errorText());
    if (parser.isSet("help"))
        parser.showHelp(0);

    const QStringList args = parser.positionalArguments();
    if (args.size() != 2 || (args[0] != "info" && args[0] != "csv"))
        return fail(kExitUsage, "usage: wavix-sdf info FILE | wavix-sdf csv FILE [--from N] [--count M]");
    std::uint32_t from = 0;
    std::uint32_t count = std::numeric_limits<std::uint32_t>::max();
    if (!ParseCount(parser.value(fromOption), from))
        return fail(kExitUsage, "--from needs a whole number of sample instants");
    if (parser.isSet(countOption) && !ParseCount(parser.value(countOption), count))
        return fail(kExitUsage, "--count needs a whole number of sample instants");

    const QString path = args[1];
    CScopeFile file;
    std::vector<LogMark> marks;
    const QByteArray local = path.toLocal8Bit();
    if (!file.Load(std::filesystem::path(local.toStdString()), args[0] == "info" ? &marks : nullptr))
        return fail(kExitBadFile, QString("%1: not a readable scope data file").arg(path));
    return args[0] == "info" ? Info(file, marks) : Csv(file, from, count);
}
