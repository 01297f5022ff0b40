#include "sim/simcommandline.h"

#include "core/support/version.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QHostAddress>

namespace wavix {

namespace {

bool toProbability(const QString& text, double& out) {
    bool ok = false;
    const double v = text.toDouble(&ok);
    if (!ok || !(v >= 0.0 && v <= 1.0))
        return false;
    out = v;
    return true;
}

// Accepts decimal or 0x-prefixed hexadecimal.
bool toUnsigned(const QString& text, std::uint64_t max, std::uint64_t& out) {
    bool ok = false;
    const qulonglong v = text.trimmed().toULongLong(&ok, 0);
    if (!ok || v > max)
        return false;
    out = v;
    return true;
}

} // namespace

SimCommandLine ParseSimCommandLine(const QStringList& arguments) {
    SimCommandLine result;
    SimOptions& o = result.options;
    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Simulates a Vexor tester with its four-channel Scope module on UDP.\n"
        "Answers every request to the request's source address at --port.\n"
        "Channels: 1 crankshaft sensor (60-2), 2 ignition primary, 3 injector, 4 lambda.");
    const QCommandLineOption help({"h", "help"}, "Show this help and exit.");
    const QCommandLineOption version({"v", "version"}, "Show the version and exit.");
    const QCommandLineOption addr("addr", "Address to listen on (default 127.0.0.2).", "address",
                                  "127.0.0.2");
    const QCommandLineOption port("port", "UDP port to listen on and to answer to (default 10000).", "port",
                                  "10000");
    const QCommandLineOption replyPort(
        "reply-port", "UDP source port of the answers (default --port); they still go to --port.", "port");
    const QCommandLineOption module("module", "Module number in every reply (default 0x0010).", "number",
                                    "0x0010");
    const QCommandLineOption password("password", "Calibration password, 0..65535 (default 1234).", "number",
                                      "1234");
    const QCommandLineOption rpm("rpm", "Engine idle speed in rpm, 100..8000 (default 800).", "rpm", "800");
    const QCommandLineOption uncalibrated("uncalibrated", "Report no calibration record until calibrated.");
    const QCommandLineOption oldModule(
        "old-module", "Act as a first-generation module: 40-byte settings record, no calibration.");
    const QCommandLineOption noScope("no-scope", "Act as a tester without the Scope module.");
    const QCommandLineOption linkRate(
        "link-rate", "Pace sample groups at this link rate in Mbit/s (default 100).", "mbit", "100");
    const QCommandLineOption noPacing("no-pacing",
                                      "Captures complete at once and go out unpaced (benchmarks).");
    const QCommandLineOption instantCaptures(
        "instant-captures", "Captures complete at once; groups are still paced at --link-rate.");
    const QCommandLineOption loss("loss", "Probability 0..1 that a datagram is lost.", "p", "0");
    const QCommandLineOption duplicate("duplicate", "Probability 0..1 that a datagram is sent twice.", "p",
                                       "0");
    const QCommandLineOption reorder(
        "reorder", "Probability 0..1 that a datagram swaps places with the next.", "p", "0");
    const QCommandLineOption garbage(
        "garbage", "Probability 0..1 per answer of a junk datagram (short, odd or oversize).", "p", "0");
    const QCommandLineOption silentAfter("silent-after", "Stop answering after N requests.", "n");
    const QCommandLineOption restartEvery(
        "restart-every", "Power-cycle every S seconds: forget all state, quiet for about 1 s.", "seconds");
    const QCommandLineOption files(
        "files", "Serve osclog01.sdf .. osclog10.sdf from this folder instead of three generated logs.",
        "folder");
    const QCommandLineOption maxGroupPackets(
        "max-group-packets",
        "Send only the newest samples that fit into N packets of a group, as a tester with a short send "
        "buffer does (default: whole groups).",
        "n");
    const QCommandLineOption seed("seed", "Seed of the noise and the fault injection (default 1).", "n", "1");
    parser.addOptions({help,      version,      addr,      port,        replyPort,    module,   password,
                       rpm,       uncalibrated, oldModule, noScope,     linkRate,     noPacing, loss,
                       duplicate, reorder,      garbage,   silentAfter, restartEvery, files,    seed});
    parser.addOptions({instantCaptures, maxGroupPackets});

    auto fail = [&result](const QString& why) {
        result.outcome = SimCommandLine::Outcome::Error;
        result.text = why;
        return result;
    };
    if (!parser.parse(arguments))
        return fail(parser.errorText());
    if (parser.isSet(help)) {
        result.outcome = SimCommandLine::Outcome::Help;
        result.text = parser.helpText();
        return result;
    }
    if (parser.isSet(version)) {
        result.outcome = SimCommandLine::Outcome::Version;
        result.text = QStringLiteral("vexor-sim ") + QString::fromLatin1(WavixVersion());
        return result;
    }
    if (!parser.positionalArguments().isEmpty())
        return fail("unexpected argument: " + parser.positionalArguments().first());

    if (QHostAddress(parser.value(addr)).isNull())
        return fail("--addr is not an IP address: " + parser.value(addr));
    o.address = parser.value(addr).toStdString();
    std::uint64_t v = 0;
    if (!toUnsigned(parser.value(port), 65535, v) || v == 0)
        return fail("--port must be 1..65535");
    o.port = static_cast<std::uint16_t>(v);
    if (parser.isSet(replyPort)) {
        if (!toUnsigned(parser.value(replyPort), 65535, v) || v == 0)
            return fail("--reply-port must be 1..65535");
        o.replyPort = static_cast<std::uint16_t>(v);
    }
    if (!toUnsigned(parser.value(module), 0xFFFF, v))
        return fail("--module must be 0..0xFFFF");
    o.module.moduleNum = static_cast<std::uint16_t>(v);
    if (!toUnsigned(parser.value(password), 0xFFFF, v))
        return fail("--password must be 0..65535");
    o.module.password = static_cast<std::uint16_t>(v);
    bool ok = false;
    o.module.rpm = parser.value(rpm).toDouble(&ok);
    if (!ok || o.module.rpm < 100 || o.module.rpm > 8000)
        return fail("--rpm must be 100..8000");
    const double mbit = parser.value(linkRate).toDouble(&ok);
    if (!ok || !(mbit >= 0.01 && mbit <= 100000))
        return fail("--link-rate must be 0.01..100000 Mbit/s");
    o.linkRateBitsPerSecond = mbit * 1e6;
    if (!toProbability(parser.value(loss), o.faults.loss))
        return fail("--loss must be 0..1");
    if (!toProbability(parser.value(duplicate), o.faults.duplicate))
        return fail("--duplicate must be 0..1");
    if (!toProbability(parser.value(reorder), o.faults.reorder))
        return fail("--reorder must be 0..1");
    if (!toProbability(parser.value(garbage), o.faults.garbage))
        return fail("--garbage must be 0..1");
    if (parser.isSet(silentAfter)) {
        if (!toUnsigned(parser.value(silentAfter), UINT32_MAX, v))
            return fail("--silent-after must be a count of requests");
        o.silentAfter = v;
    }
    if (parser.isSet(restartEvery)) {
        o.restartEverySeconds = parser.value(restartEvery).toDouble(&ok);
        if (!ok || !(o.restartEverySeconds >= 2.0 && o.restartEverySeconds <= 86400.0))
            return fail("--restart-every must be 2..86400 seconds");
    }
    if (parser.isSet(maxGroupPackets)) {
        if (!toUnsigned(parser.value(maxGroupPackets), 1u << 20, v) || v == 0)
            return fail("--max-group-packets must be 1..1048576");
        o.module.maxGroupPackets = static_cast<std::size_t>(v);
    }
    if (parser.isSet(files)) {
        if (!QFileInfo(parser.value(files)).isDir())
            return fail("--files is not a folder: " + parser.value(files));
        o.filesDir = parser.value(files).toStdString();
    }
    if (!toUnsigned(parser.value(seed), UINT64_MAX, v))
        return fail("--seed must be a non-negative number");
    o.seed = v;
    o.module.seed = v;
    o.module.uncalibrated = parser.isSet(uncalibrated);
    o.module.oldModule = parser.isSet(oldModule);
    o.module.noScope = parser.isSet(noScope);
    o.noPacing = parser.isSet(noPacing);
    o.module.instant = o.noPacing || parser.isSet(instantCaptures);
    result.outcome = SimCommandLine::Outcome::Run;
    return result;
}

} // namespace wavix
