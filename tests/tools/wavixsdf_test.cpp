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
