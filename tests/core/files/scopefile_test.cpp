#include "core/files/scopefile.h"

#include "core/scope/scopedata.h"
#include "core/support/bytes.h"

#include "core/files/sdfbuilder.h"
#include "core/tempdir.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>

using namespace wavix;
using wavix::test::readFile;
using wavix::test::SdfBuilder;
using wavix::test::TempDir;
using wavix::test::writeFile;

namespace {

const FileTime kTime{2024, 5, 3, 15, 13, 45, 30, 250};

std::unique_ptr<CChannelData> makeChannel(int ch, std::uint32_t samples, int offset = 0) {
    tOscilExchange rec = DefaultOscilExchange();
    rec.version = 2;
    rec.chann_num = 4;
    rec.mux(ch) = static_cast<std::uint16_t>(ch + 2);
    rec.dcOn(ch) = CPL_AC;
    rec.time_base_ENUM = 4;
    rec.time_base = 320;
    rec.TR_channel = 3;
    rec.TR_level = 700;
    rec.TR_mode = TM_NORM | kStopBit;
    rec.TR_rising = 0;
    rec.TR_position = 1234;
    auto c = std::make_unique<CChannelData>();
    c->ApplySettings(rec, ch);
    c->SetName("Kanál " + std::to_string(ch));
    c->SetDescription("snímač " + std::to_string(ch));
    c->SetColor(0x00102030u * static_cast<std::uint32_t>(ch));
    std::array<std::uint8_t, kProbeRecordSize> probe{};
    auto b = wavix::test::SdfBuilder().u32(1).field("Kleště", 30).field("A", 30).u32(0x3C23D70A).bytes();
    std::copy(b.begin(), b.end(), probe.begin());
    c->ImportProbeRecord(probe, ByteOrder::Little);
    auto s = c->WritableSamples(samples);
    for (std::uint32_t i = 0; i < samples; ++i)
        s[i] = static_cast<std::int32_t>((i * 7 + static_cast<std::uint32_t>(offset)) % 1025) - 512;
    c->SetSampleCount(samples);
    return c;
}

std::vector<const CChannelData*> pointers(const std::vector<std::unique_ptr<CChannelData>>& v) {
    std::vector<const CChannelData*> out;
    for (const auto& c : v)
        out.push_back(c.get());
    return out;
}

SdfBuilder::Block logBlock(std::uint32_t channel) {
    SdfBuilder::Block b;
    b.channel = channel;
    return b;
}

} // namespace

TEST(ScopeFileWaveform, SavedFileHasTheDocumentedSizeAndEveryFieldComesBack) {
    TempDir dir;
    std::vector<std::unique_ptr<CChannelData>> chans;
    chans.push_back(makeChannel(1, 2000, 0));
    chans.push_back(makeChannel(2, 2000, 3));
    CScopeFile out([] { return kTime; });
    out.SetHeaderText("Motor – volnoběh");
    const auto path = dir / "wave.sdf";
    ASSERT_TRUE(out.Save(path, pointers(chans)));
    EXPECT_EQ(std::filesystem::file_size(path), 17552u);
    EXPECT_FALSE(std::filesystem::exists(dir / "wave.sdf.part"));

    CScopeFile in;
    ASSERT_TRUE(in.Load(path));
    EXPECT_EQ(in.GetVersion(), kFileVersionWave);
    EXPECT_EQ(in.GetHeaderText(), "Motor – volnoběh");
    EXPECT_EQ(in.GetTime(), kTime);
    EXPECT_FALSE(in.IsLog());
    EXPECT_EQ(in.GetTimeBaseStep(), 4);
    ASSERT_EQ(in.GetChannelCount(), 2);
    for (int i = 0; i < 2; ++i) {
        const CChannelData& a = *chans[static_cast<std::size_t>(i)];
        const CChannelData& b = *in.GetChannel(i);
        EXPECT_TRUE(in.IsShown(i));
        EXPECT_TRUE(b.IsQuiet());
        EXPECT_EQ(b.GetOwner(), nullptr);
        EXPECT_EQ(b.GetName(), a.GetName());
        EXPECT_EQ(b.GetDescription(), a.GetDescription());
        EXPECT_EQ(b.GetColor(), a.GetColor());
        EXPECT_FLOAT_EQ(b.GetVoltPerDiv(), a.GetVoltPerDiv()); // the other record fields: BuildSettings below
        EXPECT_EQ(b.GetProbe().GetName(), "Kleště");
        EXPECT_EQ(b.GetProbe().GetUnits(), "A");
        EXPECT_FLOAT_EQ(b.GetProbe().GetRatio(), 0.01f);
        EXPECT_EQ(b.GetCapacity(), 2000u);
        ASSERT_EQ(b.GetSampleCount(), 2000u);
        EXPECT_TRUE(std::equal(a.GetSamples().begin(), a.GetSamples().end(), b.GetSamples().begin()));
    }

    // The loaded channels save again to the very same bytes.
    CScopeFile again([] { return kTime; });
    ASSERT_TRUE(again.Load(path));
    ASSERT_TRUE(again.Save(dir / "again.sdf"));
    EXPECT_EQ(readFile(dir / "again.sdf"), readFile(path));
}

// Every channel header carries the capacity of its step; the samples stored are
// the ones the channel holds: a log window's, or only the received part of a
// short capture (positions that received nothing have no value to store).
TEST(ScopeFileWaveform, HeaderCarriesTheStepCapacityAndOnlyReceivedSamplesAreStored) {
    TempDir dir;
    CScopeData data;
    tOscilExchange rec = DefaultOscilExchange();
    rec.chann_num = 2;
    ASSERT_EQ(data.AcceptSettings(rec), AcceptResult::Accepted);
    Packet p{allocatePacketBuffer(), kPacketHeaderSize + 3 * 4};
    for (std::size_t i = 0; i < 6; ++i)
        writeBE16(p.data.get() + kPacketHeaderSize + 2 * i,
                  static_cast<std::uint16_t>(i % 2 == 0 ? 1023 : 0));
    ASSERT_EQ(data.AddPacket(std::move(p.data), p.size), 0);
    ASSERT_EQ(data.ParseData(), 0);

    auto window = makeChannel(3, 50);
    window->SetCapacity(50); // a log window's channel: capacity = window length

    struct Case {
        const CChannelData* channel;
        std::uint32_t stored;
        std::int32_t first;
    };
    const Case cases[] = {
        {&data.GetChannel(1), 3, 508}, {&data.GetChannel(2), 3, -510}, {window.get(), 50, -512}};
    std::vector<const CChannelData*> channels;
    for (const Case& c : cases)
        channels.push_back(c.channel);
    CScopeFile out([] { return kTime; });
    const auto path = dir / "short.sdf";
    ASSERT_TRUE(out.Save(path, channels));
    const std::string text = readFile(path);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
    CScopeFile in;
    ASSERT_TRUE(in.Load(path));
    std::size_t block = kFileHeaderSize;
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(readLE32(&bytes[block + 4]), cases[i].stored) << i;
        EXPECT_EQ(readLE32(&bytes[block + 524 + 16]), SamplesPerStep(4)) << i;
        const CChannelData& b = *in.GetChannel(static_cast<int>(i));
        EXPECT_EQ(b.GetCapacity(), SamplesPerStep(4)) << i;
        ASSERT_EQ(b.GetSampleCount(), cases[i].stored) << i;
        EXPECT_EQ(b.GetSample(0), cases[i].first) << i;
        block += kChannelBlockSize + 4 * std::size_t{cases[i].stored};
    }
}

TEST(ScopeFileWaveform, OldLayoutHasShortBlocksAndNoTriggerPosition) {
    TempDir dir;
    SdfBuilder f;
    f.header(kFileVersionOld, 2);
    for (std::uint32_t ch = 1; ch <= 2; ++ch) {
        SdfBuilder::Block b = logBlock(ch);
        b.withTrigger = false;
        b.count = 3;
        b.step = 1; // 2 000 samples per capture
        f.block(b).samples({-512, static_cast<std::int32_t>(ch), 512});
    }
    writeFile(dir / "old.sdf", f.bytes());
    CScopeFile file;
    ASSERT_TRUE(file.Load(dir / "old.sdf"));
    ASSERT_EQ(file.GetChannelCount(), 2);
    const CChannelData& second = *file.GetChannel(1);
    EXPECT_EQ(second.GetTriggerPosition(), 0u);
    EXPECT_EQ(second.GetName(), "name");
    EXPECT_EQ(second.GetSampleCount(), 3u);
    EXPECT_EQ(second.GetSample(1), 2);
    EXPECT_EQ(second.GetSample(2), 512);
    EXPECT_EQ(second.GetCapacity(), 2000u);
}

TEST(ScopeFileLog, MarksCountWordsFromOneAndDivideByTheChannelCount) {
    TempDir dir;
    SdfBuilder f;
    f.header(kFileVersionLog, 3);
    for (std::uint32_t ch = 1; ch <= 3; ++ch)
        f.block(logBlock(ch));
    //           w1   w2   w3   w4   w5   w6   w7              w8   w9  w10     w11  w12
    f.words({512, 512, 512, 512, 512, 512, 0x4000 | 600, 512, 512, 0x8000, 0x0800, 1});
    f.words({0x8000}).raw("\x01"); // an instant cut short, its mark with it
    writeFile(dir / "log.sdf", f.bytes());

    std::vector<LogMark> marks;
    CScopeFile file;
    ASSERT_TRUE(file.Load(dir / "log.sdf", &marks));
    EXPECT_TRUE(file.IsLog());
    EXPECT_EQ(file.GetStreamByteOrder(), ByteOrder::Little);
    EXPECT_EQ(file.GetStreamOffset(), kFileHeaderSize + 3 * kChannelBlockSize);
    EXPECT_EQ(file.GetStreamLength(), 24u);
    EXPECT_EQ(file.GetLogSamplesPerChannel(), 4u);
    EXPECT_EQ(marks, (std::vector<LogMark>{{1, 2, 2}, {2, 3, 1}, {3, 3, 0}}));

    const std::uint32_t colours[] = {0x000000FF, 0x0000FF00, 0x0000FF7D};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(file.GetChannel(i)->GetColor(), colours[i]);
        EXPECT_EQ(file.GetChannel(i)->GetSampleCount(), 0u);
        EXPECT_EQ(file.GetChannel(i)->GetCapacity(), 2000u);
    }

    std::vector<std::uint16_t> words;
    ASSERT_TRUE(file.ReadLogWords(2, 10, words)); // cut to the two instants left
    ASSERT_EQ(words.size(), 6u);
    EXPECT_EQ(LogWordValue(words[0]), 88); // bit 14 is ignored for the value
    EXPECT_EQ(LogWordValue(words[3]), -512);
    ASSERT_TRUE(file.ReadLogWords(4, 5, words));
    EXPECT_TRUE(words.empty());
}

TEST(ScopeFileLog, TesterLogIsBigEndianWithItsOwnMarkerNumbersAndColours) {
    TempDir dir;
    SdfBuilder f(true);
    f.header(kFileVersionTesterLog, 3, "Vexor");
    for (std::uint32_t i = 0; i < 3; ++i) {
        SdfBuilder::Block b = logBlock(9); // the tester's channel numbers are not trusted
        b.endMarker = "-123";
        b.step = 10;
        b.capacity = 20000;
        b.trChannel = 2;
        b.colour = 0x00ABCDEF;
        f.block(b);
    }
    f.words({0x0200, 0x0300, 0x4100, 0x0000, 0x07FF, 0x8200});
    ASSERT_EQ(f.bytes()[287], 0x33);
    writeFile(dir / "osclog01.sdf", f.bytes());

    std::vector<LogMark> marks;
    CScopeFile file;
    ASSERT_TRUE(file.Load(dir / "osclog01.sdf", &marks));
    EXPECT_EQ(file.GetVersion(), kFileVersionTesterLog);
    EXPECT_EQ(file.GetHeaderText(), "Vexor");
    EXPECT_EQ(file.GetTime().year, 2024);
    EXPECT_EQ(file.GetStreamByteOrder(), ByteOrder::Big);
    EXPECT_EQ(file.GetLogSamplesPerChannel(), 2u);
    EXPECT_EQ(file.GetTimeBaseStep(), 10);
    EXPECT_EQ(marks, (std::vector<LogMark>{{1, 1, 2}, {2, 2, 1}}));
    const std::uint32_t colours[] = {0x000000FF, 0x0000FF00, 0x00ABCDEF};
    for (int i = 0; i < 3; ++i) {
        const CChannelData& ch = *file.GetChannel(i);
        EXPECT_EQ(ch.GetChannel(), i + 1);
        EXPECT_EQ(ch.GetColor(), colours[i]);
        EXPECT_FALSE(ch.GetProbe().IsLoaded());
        EXPECT_FLOAT_EQ(ch.GetProbe().GetRatio(), 1.0f);
        EXPECT_EQ(ch.GetTriggerChannel(), 2);
        EXPECT_EQ(ch.GetCapacity(), 20000u);
    }
    std::vector<std::uint16_t> words;
    ASSERT_TRUE(file.ReadLogWords(0, 2, words));
    EXPECT_EQ(words, (std::vector<std::uint16_t>{0x0200, 0x0300, 0x4100, 0x0000, 0x07FF, 0x8200}));
}

// Order, marks and the seam of a recording are checked with the roll log; here
// what the file adds: the bound to the capacity, the clamp, nothing once closed.
TEST(ScopeFileLog, RecordingIsBoundedToTheCapacityClampedAndEndsWithTheLog) {
    TempDir dir;
    std::vector<std::unique_ptr<CChannelData>> chans;
    chans.push_back(makeChannel(1, 2000));
    chans.push_back(makeChannel(2, 2000));
    chans[1]->WritableSamples(2000)[1999] = 5000; // out of the converter's span
    CScopeFile rec([] { return kTime; });
    EXPECT_FALSE(rec.AppendLogSamples(1));
    const auto path = dir / "roll.sdf";
    ASSERT_TRUE(rec.SaveLogHeader(path, pointers(chans)));
    EXPECT_EQ(std::filesystem::file_size(path), kFileHeaderSize + 2 * kChannelBlockSize);
    rec.RequestMark(2);
    ASSERT_TRUE(rec.AppendLogSamples(1));
    ASSERT_TRUE(rec.AppendLogSamples(5000));
    rec.CloseLog();
    EXPECT_FALSE(rec.AppendLogSamples(1));

    CScopeFile file;
    ASSERT_TRUE(file.Load(path));
    EXPECT_EQ(file.GetLogSamplesPerChannel(), 1u + 2000u);
    EXPECT_EQ(file.GetChannel(1)->GetName(), "Kanál 2");
    std::vector<std::uint16_t> words;
    ASSERT_TRUE(file.ReadLogWords(0, 1, words));
    EXPECT_EQ(words, (std::vector<std::uint16_t>{
                         static_cast<std::uint16_t>(0x4000 | (chans[0]->GetSample(1999) + 512)), 0x07FF}));
}

TEST(ScopeFileSettings, RecordComesFromTheFirstChannelAndEveryRange) {
    TempDir dir;
    std::vector<std::unique_ptr<CChannelData>> chans;
    for (int ch = 1; ch <= 4; ++ch)
        chans.push_back(makeChannel(ch, 10));
    CScopeFile out;
    ASSERT_TRUE(out.Save(dir / "w.sdf", pointers(chans)));
    ASSERT_TRUE(out.SaveLogHeader(dir / "l.sdf", pointers(chans)));
    out.CloseLog();

    tOscilExchange rec;
    CScopeFile empty;
    EXPECT_FALSE(empty.BuildSettings(rec));

    CScopeFile wave;
    ASSERT_TRUE(wave.Load(dir / "w.sdf"));
    ASSERT_TRUE(wave.BuildSettings(rec));
    EXPECT_EQ(rec.version, 2);
    EXPECT_EQ(rec.chann_num, 4);
    EXPECT_EQ(rec.time_base_ENUM, 4u);
    EXPECT_EQ(rec.time_base, 320u);
    EXPECT_EQ(rec.samples_all, 2000u);
    EXPECT_EQ(rec.TR_channel, 3);
    EXPECT_EQ(rec.TR_level, 700);
    EXPECT_EQ(rec.TR_mode, TM_NORM | kStopBit);
    EXPECT_EQ(rec.TR_rising, 0);
    EXPECT_EQ(rec.ext_version, 2);
    EXPECT_EQ(rec.TR_position, 1234u);
    for (int ch = 1; ch <= 4; ++ch) {
        EXPECT_EQ(rec.mux(ch), ch + 2);
        EXPECT_EQ(rec.dcOn(ch), CPL_AC);
    }

    CScopeFile log;
    ASSERT_TRUE(log.Load(dir / "l.sdf"));
    ASSERT_TRUE(log.BuildSettings(rec));
    EXPECT_EQ(rec.TR_position, 0u); // only waveform files carry a meaningful position

    SdfBuilder f;
    SdfBuilder::Block b = logBlock(1);
    b.version = 1;
    b.trPosition = 77;
    writeFile(dir / "v1.sdf", f.header(kFileVersionLog, 1).block(b).bytes());
    CScopeFile v1;
    ASSERT_TRUE(v1.Load(dir / "v1.sdf"));
    ASSERT_TRUE(v1.BuildSettings(rec));
    EXPECT_EQ(rec.ext_version, 1);
    EXPECT_EQ(rec.TR_position, 0u);
}

// Every damaged file is refused and the object keeps what it had loaded before.
TEST(ScopeFileDamage, RefusedFilesLeaveThePreviousContentsAlone) {
    TempDir dir;
    auto wave = [](std::uint32_t count, std::size_t sampleWords) {
        SdfBuilder f;
        SdfBuilder::Block b = logBlock(1);
        b.count = count;
        f.header(kFileVersionWave, 1).block(b);
        return f.samples(std::vector<std::int32_t>(sampleWords, 1)).bytes();
    };
    auto log = [](SdfBuilder::Block b, std::uint32_t blocks = 1, const char* magic = "OSC1",
                  std::uint32_t version = kFileVersionLog) {
        SdfBuilder f;
        f.header(version, blocks, "x", magic);
        for (std::uint32_t i = 0; i < blocks; ++i)
            f.block(b);
        return f.words({1, 2, 3, 4}).bytes();
    };
    SdfBuilder::Block badStart = logBlock(1);
    badStart.startMarker = "-CHy";
    SdfBuilder::Block testerEnd = logBlock(1);
    testerEnd.endMarker = "-123";
    SdfBuilder::Block bigLog = logBlock(1);
    bigLog.capacity = kMaxSamples + 1;
    const std::string good = log(logBlock(1));

    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"wrong magic", log(logBlock(1), 1, "OSC2")},
        {"unknown version", log(logBlock(1), 1, "OSC1", 0x55)},
        {"no channel blocks", log(logBlock(1), 0)},
        {"damaged start marker", log(badStart)},
        {"tester marker in own file", log(testerEnd)},
        {"log capacity past the limit", log(bigLog)},
        {"count past the limit", wave(kMaxSamples + 1, 0)},
        {"count past the end of the file", wave(1000, 999)},
        {"header cut short", good.substr(0, 200)},
        {"block cut short", good.substr(0, kFileHeaderSize + 600)},
        {"empty file", ""},
    };

    writeFile(dir / "good.sdf", wave(4, 4));
    for (const auto& c : cases) {
        CScopeFile file;
        ASSERT_TRUE(file.Load(dir / "good.sdf"));
        writeFile(dir / "bad.sdf", c.bytes);
        std::vector<LogMark> marks{{9, 9, 9}};
        EXPECT_FALSE(file.Load(dir / "bad.sdf", &marks)) << c.what;
        EXPECT_EQ(marks.size(), 1u) << c.what;
        EXPECT_EQ(file.GetVersion(), kFileVersionWave) << c.what;
        ASSERT_EQ(file.GetChannelCount(), 1) << c.what;
        EXPECT_EQ(file.GetChannel(0)->GetSampleCount(), 4u) << c.what;
        EXPECT_EQ(file.GetPath(), dir / "good.sdf") << c.what;
    }
    CScopeFile none;
    EXPECT_FALSE(none.Load(dir / "missing.sdf"));
    EXPECT_EQ(none.GetChannelCount(), 0);

    // More than four blocks: the first four are read, the rest belongs to the stream.
    SdfBuilder five;
    five.header(kFileVersionLog, 5);
    for (std::uint32_t ch = 1; ch <= 4; ++ch)
        five.block(logBlock(ch));
    writeFile(dir / "five.sdf", five.words({1, 2, 3, 4}).bytes());
    CScopeFile four;
    ASSERT_TRUE(four.Load(dir / "five.sdf"));
    EXPECT_EQ(four.GetChannelCount(), 4);
    EXPECT_EQ(four.GetLogSamplesPerChannel(), 1u);
}

// The tester and the Windows releases keep texts in Windows-1250, one byte per
// character; a full field and a character the code page lacks: TextEncoding.
TEST(ScopeFileTexts, TextsAreWindows1250OnDiskAndWholeCharactersInTheProgram) {
    TempDir dir;
    SdfBuilder::Block b = logBlock(1);
    b.name = "Kan\xE1l 1";
    b.description = "\xE8idlo";
    b.endMarker = "-123";
    SdfBuilder f(true);
    f.header(kFileVersionTesterLog, 1, "P\xF8\xEDli\x9A \x9Elu\x9Dou\xE8k\xFD");
    writeFile(dir / "osclog01.sdf", f.block(b).bytes());
    CScopeFile tester;
    ASSERT_TRUE(tester.Load(dir / "osclog01.sdf"));
    EXPECT_EQ(tester.GetHeaderText(), "Příliš žluťoučký");
    EXPECT_EQ(tester.GetChannel(0)->GetName(), "Kanál 1");
    EXPECT_EQ(tester.GetChannel(0)->GetDescription(), "čidlo");

    auto ch = makeChannel(1, 1);
    ch->SetName("Kanál 1 – ř");
    ch->SetDescription("čidlo");
    CScopeFile out;
    out.SetHeaderText("Zapalování");
    const CChannelData* one[] = {ch.get()};
    ASSERT_TRUE(out.Save(dir / "chart.sdf", one));
    const std::string bytes = readFile(dir / "chart.sdf");
    EXPECT_EQ(bytes.substr(8, 11), std::string("Zapalov\xE1n\xED\0", 11));
    EXPECT_EQ(bytes.substr(kFileHeaderSize + 12, 6), std::string("\xE8idlo\0", 6));
    EXPECT_EQ(bytes.substr(kFileHeaderSize + 268, 12), std::string("Kan\xE1l 1 \x96 \xF8\0", 12));
}

TEST(ScopeFileSave, FailedSaveKeepsThePreviousFileAndLeavesNothingBehind) {
    TempDir dir;
    const auto path = dir / "chart.sdf";
    auto ch = makeChannel(1, 100);
    const CChannelData* one[] = {ch.get()};
    CScopeFile file;
    ASSERT_TRUE(file.Save(path, one));
    const std::string before = readFile(path);

    // The temporary cannot be created: the folder is gone.
    auto bigger = makeChannel(1, 2000);
    const CChannelData* other[] = {bigger.get()};
    EXPECT_FALSE(file.Save(dir / "gone" / "chart.sdf", other));
    EXPECT_FALSE(file.SaveLogHeader(dir / "gone" / "chart.sdf", other));
    EXPECT_FALSE(file.IsLogOpen());

    // The file is written but cannot replace the target.
    std::filesystem::create_directories(dir / "taken.sdf" / "inside");
    EXPECT_FALSE(file.Save(dir / "taken.sdf", other));
    EXPECT_TRUE(readFile(path) == before);

    // Nothing to write, or a missing channel, would give a file no reader accepts.
    EXPECT_FALSE(file.Save(dir / "none.sdf", std::span<const CChannelData* const>{}));
    const CChannelData* holes[] = {ch.get(), nullptr};
    EXPECT_FALSE(file.Save(dir / "hole.sdf", holes));
    EXPECT_FALSE(std::filesystem::exists(dir / "none.sdf"));
    EXPECT_FALSE(std::filesystem::exists(dir / "hole.sdf"));

    const CChannelData* five[] = {ch.get(), ch.get(), ch.get(), ch.get(), ch.get()};
    EXPECT_FALSE(file.Save(dir / "five.sdf", five));
    // Only the first file and the folder in the way are there: no temporaries, no half files.
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
}
