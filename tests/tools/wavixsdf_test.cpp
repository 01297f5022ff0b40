#include "core/files/scopefile.h"
#include "core/files/sdfbuilder.h"
#include "core/tempdir.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStringList>

#include <cmath>
#include <map>

using namespace wavix;
using wavix::test::SdfBuilder;
using wavix::test::TempDir;
using wavix::test::writeFile;

namespace {

struct ToolRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

ToolRun runTool(const QStringList& args) {
    ToolRun r;
    const QString dir = qEnvironmentVariable("WAVIX_BIN_DIR");
    QProcess p;
    p.start(dir + "/wavix-sdf", args);
    if (!p.waitForFinished(20000))
        return r;
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
    r.out = p.readAllStandardOutput();
    r.err = p.readAllStandardError();
    return r;
}

QString str(const std::filesystem::path& p) {
    return QString::fromStdString(p.string());
}

// Two channels of a waveform: the first with a current clamp (0.01 V per A), the second plain volts.
std::filesystem::path writeWaveform(const TempDir& dir) {
    SdfBuilder f;
    f.header(kFileVersionWave, 2, "Zapalování");
    SdfBuilder::Block a;
    a.count = 3;
    a.range = 4;
    a.divider = 320; // 200 kHz
    f.block(a).samples({0, 512, -256});
    SdfBuilder::Block b = a;
    b.channel = 2;
    b.range = 0;
    b.probeLoaded = 0;
    b.name = "druhý";
    f.block(b).samples({-512, 256, 1});
    const auto path = dir / "wave.sdf";
    writeFile(path, f.bytes());
    return path;
}

class WavixSdfTool : public ::testing::Test {
protected:
    void SetUp() override {
        if (qEnvironmentVariable("WAVIX_BIN_DIR").isEmpty())
            GTEST_SKIP() << "WAVIX_BIN_DIR not set";
    }
    TempDir dir;
};

} // namespace

TEST_F(WavixSdfTool, InfoDescribesChannelsProbesAndMarksAsJson) {
    const ToolRun wave = runTool({"info", str(writeWaveform(dir))});
    ASSERT_EQ(wave.exitCode, 0) << wave.err.constData();
    const QJsonObject w = QJsonDocument::fromJson(wave.out).object();
    EXPECT_EQ(w["header"].toString(), QString::fromUtf8("Zapalování"));
    EXPECT_EQ(w["version"].toInt(), 0x22);
    EXPECT_EQ(w["time"].toString(), "2024-05-15T13:45:30.250Z");
    const QJsonArray chans = w["channels"].toArray();
    ASSERT_EQ(chans.size(), 2);
    const QJsonObject first = chans[0].toObject();
    EXPECT_EQ(first["number"].toInt(), 1);
    EXPECT_DOUBLE_EQ(first["voltsPerDiv"].toDouble(), RangeVoltPerDiv(4));
    EXPECT_EQ(first["coupling"].toString(), QString::fromLatin1(CouplingText(1).data()));
    EXPECT_EQ(first["divider"].toInt(), 320);
    EXPECT_EQ(first["samples"].toInt(), 3);
    EXPECT_EQ(first["trigger"].toObject()["level"].toInt(), 600);
    EXPECT_EQ(first["probe"].toObject()["name"].toString(), "clamp");
    EXPECT_EQ(first["probe"].toObject()["units"].toString(), "A");
    EXPECT_NEAR(first["probe"].toObject()["ratio"].toDouble(), 0.01, 1e-6);
    EXPECT_EQ(chans[1].toObject()["name"].toString(), QString::fromUtf8("druhý"));
    EXPECT_TRUE(w["marks"].toArray().isEmpty());

    SdfBuilder f(true);
    f.header(kFileVersionTesterLog, 2, "Vexor");
    SdfBuilder::Block b;
    b.endMarker = "-123";
    b.name = "Kan\xE1l 1"; // the tester's Windows-1250
    f.block(b).block(b).words({0x0200, 0x0200, 0x0200, 0x4200});
    writeFile(dir / "osclog02.sdf", f.bytes());
    const ToolRun log = runTool({"info", str(dir / "osclog02.sdf")});
    ASSERT_EQ(log.exitCode, 0) << log.err.constData();
    const QJsonObject l = QJsonDocument::fromJson(log.out).object();
    EXPECT_EQ(l["version"].toInt(), 0x33);
    EXPECT_EQ(l["logSamplesPerChannel"].toInt(), 2);
    EXPECT_EQ(l["channels"].toArray()[1].toObject()["number"].toInt(), 2);
    EXPECT_EQ(l["channels"].toArray()[0].toObject()["name"].toString(), QString::fromUtf8("Kanál 1"));
    const QJsonArray marks = l["marks"].toArray();
    ASSERT_EQ(marks.size(), 1);
    EXPECT_EQ(marks[0].toObject()["number"].toInt(), 1);
    EXPECT_EQ(marks[0].toObject()["position"].toInt(), 2);
    EXPECT_EQ(marks[0].toObject()["kind"].toInt(), 2);
}

TEST_F(WavixSdfTool, CsvGivesSecondsAndProbeUnitsForWaveformsAndLogs) {
    const ToolRun wave = runTool({"csv", str(writeWaveform(dir)), "--from", "1", "--count", "5"});
    ASSERT_EQ(wave.exitCode, 0) << wave.err.constData();
    const QList<QByteArray> lines = wave.out.trimmed().split('\n');
    ASSERT_EQ(lines.size(), 3); // header and the two instants left after the first
    EXPECT_EQ(lines[0], "time [s],CH1 [A],CH2 [V]");
    const QList<QByteArray> row = lines[1].split(',');
    ASSERT_EQ(row.size(), 3);
    EXPECT_NEAR(row[0].toDouble(), 5e-6, 1e-12);
    // 512 counts are a half-swing: 3 divisions corrected for the range; the clamp reads 100 A per volt.
    EXPECT_NEAR(row[1].toDouble(), RangeVoltPerDiv(4) * 3 * RangeCorrection(4) / 0.01, 1e-3);
    EXPECT_NEAR(row[2].toDouble(), 256 * RangeVoltPerDiv(0) * 3 * RangeCorrection(0) / 512, 1e-4);

    SdfBuilder f;
    f.header(kFileVersionLog, 2);
    SdfBuilder::Block b;
    b.probeLoaded = 0;
    b.step = 4;
    f.block(b).block(b).words({0x8200 | 0, 512, 1024, 0x4000 | 512, 100, 200});
    writeFile(dir / "log.sdf", f.bytes());
    const ToolRun log = runTool({"csv", str(dir / "log.sdf")});
    ASSERT_EQ(log.exitCode, 0) << log.err.constData();
    const QList<QByteArray> rows = log.out.trimmed().split('\n');
    ASSERT_EQ(rows.size(), 4);
    const double scale = RangeVoltPerDiv(4) * 3 * RangeCorrection(4) / 512;
    const QList<QByteArray> r1 = rows[1].split(',');
    EXPECT_NEAR(r1[1].toDouble(), 0.0, 1e-9); // the mark bit is not part of the value
    const QList<QByteArray> r2 = rows[2].split(',');
    EXPECT_NEAR(r2[0].toDouble(), SamplePeriod(4), 1e-12);
    EXPECT_NEAR(r2[1].toDouble(), 512 * scale, 1e-4);
    EXPECT_NEAR(r2[2].toDouble(), 0.0, 1e-9);
    EXPECT_NEAR(rows[3].split(',')[1].toDouble(), (100 - 512) * scale, 1e-3);
}

// A log window of a square wave (period 40 instants, 5 kHz at step 4) beside a
// flat channel; the first channel reads amperes through its clamp.
TEST_F(WavixSdfTool, MeasureGivesSiValuesAndNullsWithReasonsForLogsAndWaveforms) {
    SdfBuilder f;
    f.header(kFileVersionLog, 2);
    SdfBuilder::Block b;
    b.step = 4;
    SdfBuilder::Block flat = b;
    flat.probeLoaded = 0;
    flat.channel = 2;
    std::vector<std::uint16_t> words;
    for (int k = 0; k < 400; ++k) {
        words.push_back(static_cast<std::uint16_t>((k % 40 < 10 ? 200 : -100) + 512));
        words.push_back(static_cast<std::uint16_t>(512 + k % 3));
    }
    f.block(b).block(flat).words(words);
    writeFile(dir / "log.sdf", f.bytes());
    const ToolRun log = runTool({"measure", str(dir / "log.sdf"), "--from", "15", "--count", "300"});
    ASSERT_EQ(log.exitCode, 0) << log.err.constData();
    const QJsonArray chans = QJsonDocument::fromJson(log.out).array();
    ASSERT_EQ(chans.size(), 2);
    const QJsonObject square = chans[0].toObject();
    const double amps = RangeVoltPerDiv(4) * 3 * RangeCorrection(4) / 512 / 0.01;
    EXPECT_EQ(square["channel"].toInt(), 1);
    EXPECT_NEAR(square["frequency_hz"].toDouble(), 1.0 / (40 * SamplePeriod(4)), 1.0);
    EXPECT_NEAR(square["period_s"].toDouble(), 40 * SamplePeriod(4), 1e-9);
    EXPECT_NEAR(square["duty_percent"].toDouble(), 25.0, 0.1);
    EXPECT_NEAR(square["vmax"].toDouble(), 200 * amps, 1e-3); // the ratio is a float
    EXPECT_NEAR(square["vpp"].toDouble(), 300 * amps, 1e-3);
    EXPECT_TRUE(square["why"].toObject().isEmpty());
    // Engine values only where the signal carries them.
    for (const char* key : {"rpm", "teeth", "missing_teeth", "injector_ms", "dwell_ms", "burn_ms", "peak_v"})
        EXPECT_FALSE(square.contains(key)) << key;
    const QJsonObject still = chans[1].toObject();
    EXPECT_TRUE(still["frequency_hz"].isNull());
    EXPECT_TRUE(still["rise_s"].isNull());
    EXPECT_EQ(still["why"].toObject()["frequency_hz"].toString(), "signal does not change");
    EXPECT_NEAR(still["mean"].toDouble(), RangeVoltPerDiv(4) * 3 * RangeCorrection(4) / 512, 1e-3);

    // Three samples of a waveform: levels, but no period; past the end, nothing at all.
    const ToolRun wave = runTool({"measure", str(writeWaveform(dir))});
    ASSERT_EQ(wave.exitCode, 0) << wave.err.constData();
    const QJsonObject w = QJsonDocument::fromJson(wave.out).array()[1].toObject();
    EXPECT_EQ(w["channel"].toInt(), 2);
    EXPECT_EQ(w["why"].toObject()["vmin"].toString(), "signal clipped at the end of the range");
    EXPECT_NEAR(w["vmax"].toDouble(), 256 * RangeVoltPerDiv(0) * 3 * RangeCorrection(0) / 512, 1e-4);
    const ToolRun past = runTool({"measure", str(writeWaveform(dir)), "--from", "9"});
    ASSERT_EQ(past.exitCode, 0);
    EXPECT_EQ(QJsonDocument::fromJson(past.out).array()[0].toObject()["why"].toObject()["mean"].toString(),
              "no samples");
}

// The values the README states for the shipped sample charts; the set values
// of their signal models are in the comments.
TEST_F(WavixSdfTool, MeasureGivesTheStatedValuesOfTheSampleCharts) {
    const struct {
        const char* file;
        int channel;
        const char* key;
        double value; // NaN: the key is absent
        double tolerance;
    } stated[] = {
        // 60-2 wheel, idle 700 rpm wandering by 12; one gap on screen.
        {"Klikova_hridel_indukcni.sdf", 1, "rpm", 705.1, 0.5},
        {"Klikova_hridel_indukcni.sdf", 1, "teeth", 58, 0},
        {"Klikova_hridel_indukcni.sdf", 1, "missing_teeth", 2, 0},
        {"Klikova_hridel_indukcni.sdf", 1, "vpp", 30.04, 0.01},
        // Cam windows at 0.10-0.45 and 0.70-0.78 of a cam turn; crank at 800 rpm wandering.
        {"Vackova_hridel_Hall.sdf", 1, "frequency_hz", 13.44, 0.01},
        {"Vackova_hridel_Hall.sdf", 1, "vmax", 5.05, 0.01},
        {"Vackova_hridel_Hall.sdf", 2, "rpm", 806.7, 0.5},
        {"Vackova_hridel_Hall.sdf", 2, "teeth", 58, 0},
        {"Vackova_hridel_Hall.sdf", 1, "rpm", std::nan(""), 0},
        // Dwell 4 ms, clamp 350 V, burn line to 1.5 ms after the spark; 10:1 probe.
        {"Zapalovaci_civka_primar.sdf", 1, "dwell_ms", 4.00, 0.005},
        {"Zapalovaci_civka_primar.sdf", 1, "burn_ms", 1.50, 0.01},
        {"Zapalovaci_civka_primar.sdf", 1, "peak_v", 351.3, 0.5},
        {"Zapalovaci_civka_primar.sdf", 1, "injector_ms", std::nan(""), 0},
        // Open 3.2 ms, closing spike clamped at 60 V.
        {"Vstrikovac.sdf", 1, "injector_ms", 3.20, 0.005},
        {"Vstrikovac.sdf", 1, "vmax", 60.13, 0.01},
        {"Vstrikovac.sdf", 1, "dwell_ms", std::nan(""), 0},
        // Lean 0.12 V, rich 0.82 V, about 0.9 switches a second.
        {"Lambda_sonda.sdf", 1, "frequency_hz", 0.883, 0.001},
        {"Lambda_sonda.sdf", 1, "vmin", 0.113, 0.001},
        {"Lambda_sonda.sdf", 1, "vmax", 0.829, 0.001},
        {"MAP_snimac.sdf", 1, "vmax", 4.19, 0.01},
        {"MAP_snimac.sdf", 1, "mean", 1.541, 0.001},
        {"Alternator_zvlneni.sdf", 1, "vpp", 0.227, 0.001},
        {"Alternator_vadna_dioda.sdf", 1, "vpp", 0.824, 0.001},
        {"CAN_sbernice.sdf", 1, "vmax", 3.55, 0.01},
        {"CAN_sbernice.sdf", 2, "vmin", 1.47, 0.01},
    };
    const auto folder = std::filesystem::path(qEnvironmentVariable("WAVIX_BIN_DIR").toStdString()) / ".." /
                        "Data" / "Scope" / "SampleCharts";
    std::map<std::string, QJsonArray> measured;
    for (const auto& s : stated) {
        SCOPED_TRACE(std::string(s.file) + " " + s.key);
        if (!measured.contains(s.file)) {
            const ToolRun r = runTool({"measure", str(folder / s.file)});
            ASSERT_EQ(r.exitCode, 0) << r.err.constData();
            measured[s.file] = QJsonDocument::fromJson(r.out).array();
        }
        const QJsonObject ch = measured[s.file][s.channel - 1].toObject();
        if (std::isnan(s.value))
            EXPECT_FALSE(ch.contains(s.key));
        else
            EXPECT_NEAR(ch[s.key].toDouble(), s.value, s.tolerance);
    }
    // No full period in one injection; the reason stands beside the null.
    const QJsonObject inj = measured["Vstrikovac.sdf"][0].toObject();
    EXPECT_TRUE(inj["frequency_hz"].isNull());
    EXPECT_EQ(inj["why"].toObject()["frequency_hz"].toString(), "no full period");
}

TEST_F(WavixSdfTool, BadFilesArgumentsAndTargetsFailWithOneLineAndAStatus) {
    SdfBuilder f;
    f.header(kFileVersionWave, 1);
    SdfBuilder::Block a;
    a.count = 2;
    f.block(a).samples({1, 2});
    writeFile(dir / "ok.sdf", f.bytes());
    writeFile(dir / "junk.sdf", "OSC1 but nothing else");
    const QString ok = str(dir / "ok.sdf");
    const QString junk = str(dir / "junk.sdf");
    const QString out = str(dir / "x.png");
    const struct {
        QStringList args;
        int status;
    } cases[] = {
        {{"info", junk}, 1},
        {{"csv", str(dir / "missing.sdf")}, 1},
        {{"info"}, 2},
        {{"dump", junk}, 2},
        {{"csv", junk, "--from", "-3"}, 2},
        {{"csv", junk, "--count", "x"}, 2},
        {{"png", ok}, 2},
        {{"png", ok, out, "--style", "3029"}, 2},
        {{"png", ok, out, "--style", "x"}, 2},
        {{"png", ok, out, "--size", "10x10"}, 2},
        {{"png", ok, out, "--size", "800"}, 2},
        {{"png", ok, out, "--size", "99999x600"}, 2},
        {{"png", junk, out}, 1},
        {{"png", ok, str(dir / "no" / "such" / "x.png")}, 1},
    };
    for (const auto& c : cases) {
        const ToolRun r = runTool(c.args);
        EXPECT_EQ(r.exitCode, c.status) << c.args.join(' ').toStdString();
        EXPECT_TRUE(r.out.isEmpty()) << c.args.join(' ').toStdString();
        EXPECT_TRUE(r.err.startsWith("wavix-sdf: ")) << r.err.constData();
        EXPECT_EQ(r.err.count('\n'), 1) << r.err.constData();
    }
    EXPECT_FALSE(QFile::exists(out));
}

namespace {

int countColour(const QImage& img, QRgb rgb) {
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            n += (img.pixel(x, y) & 0xFFFFFFu) == (rgb & 0xFFFFFFu) ? 1 : 0;
    return n;
}

// 0x00BBGGRR as the files store colours.
QRgb fileColour(std::uint32_t c) {
    return qRgb(static_cast<int>(c & 0xFF), static_cast<int>((c >> 8) & 0xFF),
                static_cast<int>((c >> 16) & 0xFF));
}

} // namespace

TEST_F(WavixSdfTool, PngDrawsEveryChannelInItsColourAtTheAskedSize) {
    // Two channels of 4 000 samples: a sine and a square wave, in green and red.
    SdfBuilder f;
    f.header(kFileVersionWave, 2);
    std::vector<std::int32_t> sine(4000), square(4000);
    for (int i = 0; i < 4000; ++i) {
        sine[static_cast<std::size_t>(i)] = static_cast<std::int32_t>(300 * std::sin(i * 0.01));
        square[static_cast<std::size_t>(i)] = (i / 500) % 2 ? 200 : -200;
    }
    SdfBuilder::Block a;
    a.count = 4000;
    a.capacity = 4000;
    a.probeLoaded = 0;
    a.colour = 0x0000C800;
    f.block(a).samples(sine);
    SdfBuilder::Block b = a;
    b.channel = 2;
    b.colour = 0x000000E6;
    f.block(b).samples(square);
    const auto file = dir / "two.sdf";
    writeFile(file, f.bytes());

    struct Case {
        QStringList extra;
        QSize size;
    };
    for (const Case& c : {Case{{}, {1280, 720}}, Case{{"--size", "400x300", "--style", "3025"}, {400, 300}},
                          Case{{"--half", "--size", "640x480"}, {640, 480}}}) {
        const QString out = str(dir / "two.png");
        QFile::remove(out);
        const ToolRun r = runTool(QStringList{"png", str(file), out} + c.extra);
        ASSERT_EQ(r.exitCode, 0) << r.err.constData();
        const QImage img(out);
        ASSERT_FALSE(img.isNull()) << c.extra.join(' ').toStdString();
        EXPECT_EQ(img.size(), c.size);
        EXPECT_GT(countColour(img, fileColour(0x0000C800)), c.size.width() / 2)
            << c.extra.join(' ').toStdString();
        EXPECT_GT(countColour(img, fileColour(0x000000E6)), c.size.width() / 2)
            << c.extra.join(' ').toStdString();
    }
}

TEST_F(WavixSdfTool, PngOfALogShowsItsFirstWindowWithNumberedMarks) {
    SdfBuilder f;
    f.header(kFileVersionLog, 1);
    SdfBuilder::Block b;
    b.probeLoaded = 0;
    f.block(b);
    std::vector<std::uint16_t> words(3000);
    for (std::size_t i = 0; i < words.size(); ++i)
        words[i] = static_cast<std::uint16_t>(512 + 200 * std::sin(static_cast<double>(i) * 0.02));
    words[1500] |= 0x8000; // a mark of the first kind in the middle
    f.words(words);
    writeFile(dir / "log.sdf", f.bytes());
    const QString out = str(dir / "log.png");
    const ToolRun r = runTool({"png", str(dir / "log.sdf"), out, "--size", "800x400"});
    ASSERT_EQ(r.exitCode, 0) << r.err.constData();
    const QImage img(out);
    ASSERT_EQ(img.size(), QSize(800, 400));
    EXPECT_GT(countColour(img, fileColour(0x000000FF)), 400); // a log's first channel is always red
    EXPECT_GT(countColour(img, fileColour(0x0000D7FF)), 50);  // the mark's line and numbered label
}
