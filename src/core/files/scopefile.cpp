#include "core/files/scopefile.h"

#include "core/support/bytes.h"

#include <algorithm>
#include <array>
#include <bit>
#include <chrono>
#include <cstring>
#include <ctime>
#include <limits>
#include <system_error>

#include <stdlib.h> // NOLINT(modernize-deprecated-headers): mkstemp is POSIX, not <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace wavix {
namespace {

constexpr std::array<std::uint8_t, 4> kMagic = {'O', 'S', 'C', '1'};
constexpr std::array<std::uint8_t, 4> kBlockMarker = {'-', 'C', 'H', 'x'};
constexpr std::array<std::uint8_t, 4> kTesterEndMarker = {'-', '1', '2', '3'};
constexpr std::array<std::uint32_t, 4> kLogColours = {0x000000FF, 0x0000FF00, 0x0000FF7D, 0x007D7D7D};

// Block field offsets.
constexpr std::size_t kBlockCount = 4;
constexpr std::size_t kBlockColour = 8;
constexpr std::size_t kBlockDescription = 12;
constexpr std::size_t kBlockName = 268;
constexpr std::size_t kBlockHeader = 524;
constexpr std::size_t kBlockProbe = 556;
constexpr std::size_t kBlockEnd = 624;
constexpr std::size_t kBlockTrigger = 628;
constexpr std::size_t kHeaderCapacity = 16; // inside the channel header record

bool hasMarker(const std::uint8_t* p, const std::array<std::uint8_t, 4>& marker) {
    return std::equal(marker.begin(), marker.end(), p);
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FilePtr = std::unique_ptr<std::FILE, FileCloser>;

bool readExact(std::FILE* f, std::uint8_t* out, std::size_t n) {
    return std::fread(out, 1, n, f) == n;
}

bool seekTo(std::FILE* f, std::uint64_t offset) {
    if (offset > static_cast<std::uint64_t>(std::numeric_limits<off_t>::max()))
        return false;
    return ::fseeko(f, static_cast<off_t>(offset), SEEK_SET) == 0;
}

int markKind(std::uint16_t word) {
    if ((word & kLogMarkFirst) != 0)
        return 1;
    if ((word & kLogMarkSecond) != 0)
        return 2;
    return 0;
}

void encodeHeader(std::uint8_t* p, std::string_view text, std::uint32_t blocks, const FileTime& t,
                  std::uint32_t version) {
    std::fill_n(p, kFileHeaderSize, std::uint8_t{0});
    std::copy(kMagic.begin(), kMagic.end(), p);
    writeLE32(p + 4, blocks);
    PutTextField(std::span<std::uint8_t>(p + 8, kFileTextField), text);
    const std::uint16_t fields[] = {t.year, t.month,  t.dayOfWeek, t.day,
                                    t.hour, t.minute, t.second,    t.milliseconds};
    for (std::size_t i = 0; i < 8; ++i)
        writeLE16(p + 264 + 2 * i, fields[i]);
    writeLE32(p + 280, 0);
    writeLE32(p + 284, version);
}

void encodeBlock(std::uint8_t* p, const CChannelData& ch, std::uint32_t count) {
    std::fill_n(p, kChannelBlockSize, std::uint8_t{0});
    std::copy(kBlockMarker.begin(), kBlockMarker.end(), p);
    writeLE32(p + kBlockCount, count);
    writeLE32(p + kBlockColour, ch.GetColor());
    PutTextField(std::span<std::uint8_t>(p + kBlockDescription, kFileTextField), ch.GetDescription());
    PutTextField(std::span<std::uint8_t>(p + kBlockName, kFileTextField), ch.GetName());
    ch.ExportHeader(std::span<std::uint8_t, kChannelHeaderSize>(p + kBlockHeader, kChannelHeaderSize),
                    ByteOrder::Little);
    // Readers scale the time axis by this field: a log window's channel holds the
    // window's length instead, which is no capture length of any step.
    const int step = ch.GetTimeBaseStep();
    if (step >= kStepMin && step <= kStepMax)
        writeLE32(p + kBlockHeader + kHeaderCapacity, SamplesPerStep(step));
    ch.ExportProbeRecord(std::span<std::uint8_t, kProbeRecordSize>(p + kBlockProbe, kProbeRecordSize),
                         ByteOrder::Little);
    std::copy(kBlockMarker.begin(), kBlockMarker.end(), p + kBlockEnd);
    writeLE32(p + kBlockTrigger, ch.GetTriggerPosition());
}

// Writes a whole file beside the target (so that the final rename stays on one
// file system) and renames it over the target only once every byte is out. The
// temporary's name is unique and does not end in ".sdf", so a leftover never
// lists as a chart.
class AtomicWriter {
public:
    explicit AtomicWriter(const std::filesystem::path& target) : target_(target) {
        std::string name = target.string() + ".part-XXXXXX";
        const int fd = ::mkstemp(name.data());
        if (fd < 0)
            return;
        tmp_ = name;
        // mkstemp makes the file private; a chart is an ordinary document.
        ::fchmod(fd, 0644);
        file_.reset(::fdopen(fd, "wb"));
        if (!file_) {
            ::close(fd);
            std::error_code ec;
            std::filesystem::remove(tmp_, ec);
            tmp_.clear();
            return;
        }
        ok_ = true;
    }
    ~AtomicWriter() {
        if (!committed_ && !tmp_.empty()) {
            file_.reset();
            std::error_code ec;
            std::filesystem::remove(tmp_, ec);
        }
    }
    AtomicWriter(const AtomicWriter&) = delete;
    AtomicWriter& operator=(const AtomicWriter&) = delete;

    bool Write(const void* data, std::size_t n) {
        if (ok_ && n > 0)
            ok_ = std::fwrite(data, 1, n, file_.get()) == n;
        return ok_;
    }
    bool Commit() {
        if (!ok_)
            return false;
        ok_ = std::fflush(file_.get()) == 0;
        ok_ = (std::fclose(file_.release()) == 0) && ok_;
        if (!ok_)
            return false;
        std::error_code ec;
        std::filesystem::rename(tmp_, target_, ec);
        if (ec)
            return false;
        committed_ = true;
        return true;
    }

private:
    std::filesystem::path target_;
    std::filesystem::path tmp_;
    FilePtr file_;
    bool ok_ = false;
    bool committed_ = false;
};

bool validChannels(std::span<const CChannelData* const> channels) {
    if (channels.empty() || channels.size() > static_cast<std::size_t>(kMaxFileChannels))
        return false;
    return std::none_of(channels.begin(), channels.end(), [](const CChannelData* c) { return c == nullptr; });
}

bool writeFile(const std::filesystem::path& path, std::span<const CChannelData* const> channels,
               std::string_view text, const FileTime& time, bool log) {
    if (!validChannels(channels))
        return false;
    AtomicWriter out(path);
    std::array<std::uint8_t, kFileHeaderSize> header{};
    encodeHeader(header.data(), text, static_cast<std::uint32_t>(channels.size()), time,
                 log ? kFileVersionLog : kFileVersionWave);
    out.Write(header.data(), header.size());
    std::vector<std::uint8_t> samples;
    for (const CChannelData* ch : channels) {
        // Positions that received nothing have no value to store; the block's
        // count says how many samples follow.
        const auto values = ch->GetPresentSamples();
        std::array<std::uint8_t, kChannelBlockSize> block{};
        encodeBlock(block.data(), *ch, log ? kNoSamples : static_cast<std::uint32_t>(values.size()));
        out.Write(block.data(), block.size());
        if (log)
            continue;
        samples.resize(values.size() * 4);
        std::uint8_t* p = samples.data();
        for (const std::int32_t v : values) {
            writeLE32(p, static_cast<std::uint32_t>(v));
            p += 4;
        }
        out.Write(samples.data(), samples.size());
    }
    return out.Commit();
}

} // namespace

FileTime CurrentUtcFileTime() {
    using namespace std::chrono;
    const auto now = system_clock::now();
    const std::time_t secs = system_clock::to_time_t(now);
    std::tm tm{};
    ::gmtime_r(&secs, &tm);
    const auto ms = duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000;
    FileTime t;
    t.year = static_cast<std::uint16_t>(tm.tm_year + 1900);
    t.month = static_cast<std::uint16_t>(tm.tm_mon + 1);
    t.dayOfWeek = static_cast<std::uint16_t>(tm.tm_wday);
    t.day = static_cast<std::uint16_t>(tm.tm_mday);
    t.hour = static_cast<std::uint16_t>(tm.tm_hour);
    t.minute = static_cast<std::uint16_t>(tm.tm_min);
    t.second = static_cast<std::uint16_t>(tm.tm_sec);
    t.milliseconds = static_cast<std::uint16_t>(ms);
    return t;
}

CScopeFile::CScopeFile(FileClock clock) : clock_(clock ? std::move(clock) : FileClock(CurrentUtcFileTime)) {}

CScopeFile::~CScopeFile() = default;

// Everything a load produces; swapped into the file object only when the whole file read well.
struct ScopeFileLoader {
    std::string headerText;
    std::uint32_t version = 0;
    FileTime time;
    std::vector<CScopeFile::Entry> channels;
    int step = 0;
    bool isLog = false;
    std::uint32_t logSamples = 0;
    std::uint64_t streamOffset = 0;
    std::uint64_t streamLength = 0;
    ByteOrder order = ByteOrder::Little;
    std::vector<LogMark> marks;
    std::uint64_t markCount = 0;

    bool Read(const std::filesystem::path& path, bool wantMarks, const CScopeFile::LoadProgress& progress);
    bool ReadMarks(std::FILE* f, const CScopeFile::LoadProgress& progress);
};

bool ScopeFileLoader::Read(const std::filesystem::path& path, bool wantMarks,
                           const CScopeFile::LoadProgress& progress) {
    std::error_code ec;
    const std::uint64_t fileSize = std::filesystem::file_size(path, ec);
    if (ec)
        return false;
    const FilePtr file(std::fopen(path.c_str(), "rb"));
    if (!file)
        return false;

    std::array<std::uint8_t, kFileHeaderSize> header{};
    if (!readExact(file.get(), header.data(), header.size()) || !hasMarker(header.data(), kMagic))
        return false;
    // The tester writes everything big-endian, so its version reads as 00 00 00 33.
    if (readBE32(header.data() + 284) == kFileVersionTesterLog) {
        version = kFileVersionTesterLog;
        order = ByteOrder::Big;
    } else {
        version = readLE32(header.data() + 284);
        if (version != kFileVersionOld && version != kFileVersionWave && version != kFileVersionLog)
            return false;
    }
    const bool tester = version == kFileVersionTesterLog;
    isLog = tester || version == kFileVersionLog;

    const std::uint32_t blocks = std::min<std::uint32_t>(read32(header.data() + 4, order),
                                                         static_cast<std::uint32_t>(kMaxFileChannels));
    if (blocks == 0)
        return false;
    headerText = GetTextField(std::span<const std::uint8_t>(header.data() + 8, kFileTextField));
    std::uint16_t fields[8];
    for (std::size_t i = 0; i < 8; ++i)
        fields[i] = read16(header.data() + 264 + 2 * i, order);
    time = {fields[0], fields[1], fields[2], fields[3], fields[4], fields[5], fields[6], fields[7]};

    const std::size_t blockSize = version == kFileVersionOld ? kChannelBlockSizeOld : kChannelBlockSize;
    const auto& endMarker = tester ? kTesterEndMarker : kBlockMarker;
    std::uint64_t offset = kFileHeaderSize;
    std::array<std::uint8_t, kChannelBlockSize> block{};
    for (std::uint32_t i = 0; i < blocks; ++i) {
        if (!readExact(file.get(), block.data(), blockSize) || !hasMarker(block.data(), kBlockMarker) ||
            !hasMarker(block.data() + kBlockEnd, endMarker))
            return false;
        offset += blockSize;
        const std::uint8_t* b = block.data();
        // A capacity the channel cannot hold means the block is damaged, not a long log.
        if (read32(b + kBlockHeader + kHeaderCapacity, order) > kMaxSamples)
            return false;

        auto ch = std::make_unique<CChannelData>();
        ch->SetQuiet(true);
        ch->SetDescription(
            GetTextField(std::span<const std::uint8_t>(b + kBlockDescription, kFileTextField)));
        ch->SetName(GetTextField(std::span<const std::uint8_t>(b + kBlockName, kFileTextField)));
        ch->ImportHeader(
            std::span<const std::uint8_t, kChannelHeaderSize>(b + kBlockHeader, kChannelHeaderSize), order);
        // A bad ratio reads as 1.0; the rest of the record still counts.
        ch->ImportProbeRecord(
            std::span<const std::uint8_t, kProbeRecordSize>(b + kBlockProbe, kProbeRecordSize), order);
        ch->SetTriggerPosition(version == kFileVersionOld ? 0 : read32(b + kBlockTrigger, order));
        ch->SetColor(read32(b + kBlockColour, order));

        if (isLog) {
            if (tester) {
                ch->SetChannel(static_cast<int>(i) + 1);
                ch->GetProbe().Reset();
            }
            if (!tester || i < 2)
                ch->SetColor(kLogColours[i]);
            ch->SetSampleCount(0);
        } else {
            std::uint32_t count = read32(b + kBlockCount, order);
            if (count == kNoSamples)
                count = 0;
            // Refused rather than cut: a count past the limit or past the end of the file is damage.
            if (count > kMaxSamples || std::uint64_t{count} * 4 > fileSize - offset)
                return false;
            // Read straight into the channel's storage, then put each value into host order.
            const auto samples = ch->WritableSamples(count);
            auto* raw = reinterpret_cast<std::uint8_t*>(samples.data());
            if (!readExact(file.get(), raw, samples.size_bytes()))
                return false;
            offset += samples.size_bytes();
            if constexpr (std::endian::native != std::endian::little) {
                for (std::uint32_t k = 0; k < count; ++k)
                    samples[k] = static_cast<std::int32_t>(readLE32(raw + 4 * std::size_t{k}));
            }
            ch->SetSampleCount(count);
            // Room for a whole capture of the step, and never less than what the file carried.
            ch->SetCapacity(std::max(SamplesPerStep(ch->GetTimeBaseStep()), count));
        }
        step = ch->GetTimeBaseStep();
        channels.push_back({std::move(ch), true});
    }

    if (isLog) {
        const std::uint64_t instantBytes = 2ull * channels.size();
        const std::uint64_t available = fileSize > offset ? fileSize - offset : 0;
        const std::uint64_t instants =
            std::min<std::uint64_t>(available / instantBytes, std::numeric_limits<std::uint32_t>::max());
        streamOffset = offset;
        streamLength = instants * instantBytes;
        logSamples = static_cast<std::uint32_t>(instants);
        if (wantMarks && !ReadMarks(file.get(), progress))
            return false;
    }
    return true;
}

bool ScopeFileLoader::ReadMarks(std::FILE* f, const CScopeFile::LoadProgress& progress) {
    // An hour-long log is hundreds of megabytes: read it in large chunks and skip
    // runs of four plain words with one test of their mark bits.
    constexpr std::size_t kChunkWords = 256 * 1024;
    std::vector<std::uint8_t> chunk(kChunkWords * 2);
    const std::uint64_t words = streamLength / 2;
    const auto n = static_cast<std::uint64_t>(channels.size());
    // The byte that holds bits 8..15 of each word, in the order of the stream.
    const std::uint64_t markBytes = order == ByteOrder::Big ? 0x00F800F800F800F8ull : 0xF800F800F800F800ull;
    std::uint64_t w = 0;
    while (w < words) {
        const std::size_t take = static_cast<std::size_t>(std::min<std::uint64_t>(kChunkWords, words - w));
        if (!readExact(f, chunk.data(), take * 2))
            return false;
        std::size_t k = 0;
        while (k < take) {
            if (std::endian::native == std::endian::little && k + 4 <= take) {
                std::uint64_t four = 0;
                std::memcpy(&four, chunk.data() + 2 * k, sizeof four);
                if ((four & markBytes) == 0) {
                    k += 4;
                    continue;
                }
            }
            const std::uint16_t word = read16(chunk.data() + 2 * k, order);
            ++k;
            if ((word & kLogMarkMask) != 0 && ++markCount <= kMaxLogMarks) // the first word counts as 1
                marks.push_back(
                    {static_cast<int>(markCount), static_cast<std::uint32_t>((w + k) / n), markKind(word)});
        }
        w += take;
        if (progress && !progress(w * 2, streamLength))
            return false;
    }
    return true;
}

bool CScopeFile::Load(const std::filesystem::path& path, std::vector<LogMark>* marks,
                      const LoadProgress& progress) {
    ScopeFileLoader loaded;
    if (!loaded.Read(path, marks != nullptr, progress))
        return false;
    headerText_ = std::move(loaded.headerText);
    version_ = loaded.version;
    time_ = loaded.time;
    path_ = path;
    channels_ = std::move(loaded.channels);
    step_ = loaded.step;
    isLog_ = loaded.isLog;
    logSamples_ = loaded.logSamples;
    logMarkCount_ = loaded.markCount;
    streamOffset_ = loaded.streamOffset;
    streamLength_ = loaded.streamLength;
    streamOrder_ = loaded.order;
    if (marks != nullptr)
        marks->insert(marks->end(), loaded.marks.begin(), loaded.marks.end());
    return true;
}

bool CScopeFile::Save(const std::filesystem::path& path, std::span<const CChannelData* const> channels) {
    return writeFile(path, channels, headerText_, clock_(), false);
}

bool CScopeFile::Save(const std::filesystem::path& path) {
    std::vector<const CChannelData*> own;
    for (const auto& e : channels_)
        own.push_back(e.channel.get());
    return Save(path, own);
}

bool CScopeFile::SaveLogHeader(const std::filesystem::path& path,
                               std::span<const CChannelData* const> channels) {
    CloseLog();
    if (!writeFile(path, channels, headerText_, clock_(), true))
        return false;
    log_.reset(std::fopen(path.c_str(), "ab"));
    if (!log_) {
        // A header without its recording would list as an empty log.
        std::error_code ec;
        std::filesystem::remove(path, ec);
        return false;
    }
    logChannels_.assign(channels.begin(), channels.end());
    pendingMark_ = 0;
    return true;
}

bool CScopeFile::AppendLogSamples(std::uint32_t n) {
    if (!log_)
        return false;
    for (const CChannelData* ch : logChannels_)
        n = std::min(n, ch->GetCapacity());
    logBuffer_.resize(std::size_t{n} * logChannels_.size() * 2);
    std::uint8_t* p = logBuffer_.data();
    for (std::uint32_t i = 0; i < n; ++i) {
        for (const CChannelData* ch : logChannels_) {
            const std::int32_t s = ch->GetSample(ch->GetCapacity() - n + i);
            // A value outside the converter's span must not turn into mark bits.
            auto word = static_cast<std::uint16_t>(std::clamp(s + 512, 0, static_cast<int>(kLogSampleMask)));
            if (pendingMark_ != 0) {
                word |= pendingMark_ == 1 ? kLogMarkFirst : kLogMarkSecond;
                pendingMark_ = 0;
            }
            writeLE16(p, word);
            p += 2;
        }
    }
    if (logBuffer_.empty())
        return true;
    // Flushed each time so that what was recorded survives a crash of the program.
    return std::fwrite(logBuffer_.data(), 1, logBuffer_.size(), log_.get()) == logBuffer_.size() &&
           std::fflush(log_.get()) == 0;
}

void CScopeFile::CloseLog() {
    log_.reset();
    logChannels_.clear();
    pendingMark_ = 0;
}

bool CScopeFile::BuildSettings(tOscilExchange& rec) const {
    if (channels_.empty())
        return false;
    const CChannelData& first = *channels_.front().channel;
    rec = tOscilExchange{};
    rec.version = static_cast<std::uint16_t>(first.GetVersion());
    rec.chann_num = static_cast<std::uint16_t>(channels_.size());
    rec.time_base_ENUM = static_cast<std::uint32_t>(first.GetTimeBaseStep());
    rec.time_base = first.GetTimeBase();
    rec.samples_all = first.GetCapacity();
    rec.TR_channel = static_cast<std::uint16_t>(first.GetTriggerChannel());
    rec.TR_level = static_cast<std::uint16_t>(first.GetTriggerLevel());
    rec.TR_mode = static_cast<std::uint16_t>(first.GetTriggerMode());
    rec.TR_rising = static_cast<std::uint16_t>(first.GetTriggerEdge());
    for (std::size_t i = 0; i < channels_.size(); ++i) {
        const int ch = static_cast<int>(i) + 1;
        rec.mux(ch) = static_cast<std::uint16_t>(channels_[i].channel->GetRange());
        rec.dcOn(ch) = static_cast<std::uint16_t>(channels_[i].channel->GetCoupling());
    }
    if (rec.version == 2) {
        rec.ext_version = 2;
        rec.TR_position = version_ == kFileVersionWave ? first.GetTriggerPosition() : 0;
    } else if (rec.version == 1) {
        rec.ext_version = 1;
    }
    return true;
}

CChannelData* CScopeFile::GetChannel(int index) {
    return index >= 0 && index < GetChannelCount() ? channels_[static_cast<std::size_t>(index)].channel.get()
                                                   : nullptr;
}

const CChannelData* CScopeFile::GetChannel(int index) const {
    return index >= 0 && index < GetChannelCount() ? channels_[static_cast<std::size_t>(index)].channel.get()
                                                   : nullptr;
}

void CScopeFile::AddChannel(std::unique_ptr<CChannelData> channel) {
    if (!channel)
        return;
    channel->SetOwner(nullptr);
    channel->SetQuiet(true);
    channels_.push_back({std::move(channel), true});
}

bool CScopeFile::IsShown(int index) const {
    return index >= 0 && index < GetChannelCount() && channels_[static_cast<std::size_t>(index)].shown;
}

void CScopeFile::SetShown(int index, bool shown) {
    if (index >= 0 && index < GetChannelCount())
        channels_[static_cast<std::size_t>(index)].shown = shown;
}

bool CScopeFile::ReadLogWords(std::uint32_t first, std::uint32_t count,
                              std::vector<std::uint16_t>& words) const {
    if (!isLog_ || channels_.empty()) {
        words.clear();
        return false;
    }
    const FilePtr file(std::fopen(path_.c_str(), "rb"));
    if (!file) {
        words.clear();
        return false;
    }
    count = first < logSamples_ ? std::min(count, logSamples_ - first) : 0;
    const std::size_t n = channels_.size();
    // Read straight into the words, then put each into host order.
    words.resize(std::size_t{count} * n);
    auto* raw = reinterpret_cast<std::uint8_t*>(words.data());
    if (count > 0 && (!seekTo(file.get(), streamOffset_ + std::uint64_t{first} * n * 2) ||
                      !readExact(file.get(), raw, words.size() * 2))) {
        words.clear();
        return false;
    }
    const bool native = (streamOrder_ == ByteOrder::Little) == (std::endian::native == std::endian::little);
    if (!native) {
        for (std::size_t k = 0; k < words.size(); ++k)
            words[k] = read16(raw + 2 * k, streamOrder_);
    }
    return true;
}

} // namespace wavix
