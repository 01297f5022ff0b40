// Writes the seed corpora from the program's own writers and the simulator's
// framing, so the seeds are real packets and files:
//   fuzz_seeds SOURCE_DIR OUT_DIR   ->  OUT_DIR/<target>/<seed>

#include "core/files/scopefile.h"
#include "core/protocol/simplefat.h"
#include "core/protocol/vexorprotocol.h"
#include "core/scope/oscileeprom.h"
#include "core/scope/oscilexchange.h"
#include "fuzzinput.h"
#include "sim/packetiser.h"
#include "sim/simfileserver.h"
#include "sim/testerlog.h"

#include <cstdio>
#include <fstream>
#include <iterator>

using namespace wavix;
namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

namespace {

fs::path gOut;

void write(const std::string& target, const std::string& name, const Bytes& bytes) {
    fs::create_directories(gOut / target);
    if (!fuzz::WriteWhole(gOut / target / name, bytes.data(), bytes.size()))
        std::fprintf(stderr, "fuzz_seeds: cannot write %s/%s\n", target.c_str(), name.c_str());
}

Bytes readAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void step(Bytes& seed, std::uint8_t op, const Packet& p) {
    fuzz::AppendStep(seed, op, p.data.get(), p.size);
}
void step(Bytes& seed, std::uint8_t op, const Bytes& b = {}) {
    fuzz::AppendStep(seed, op, b.data(), b.size());
}

tOscilExchange record(int channels, int timeBaseStep) {
    tOscilExchange rec = DefaultOscilExchange();
    rec.version = 2;
    rec.chann_num = static_cast<std::uint16_t>(channels);
    rec.time_base_ENUM = static_cast<std::uint16_t>(timeBaseStep);
    return rec;
}

Bytes recordBytes(const tOscilExchange& rec) {
    Bytes b(46);
    b.resize(SerializeOscilExchange(rec, b));
    return b;
}

Bytes calibrationBytes() {
    SOscil_EEPROM cal = DefaultCalibration();
    cal.state = 1;
    std::array<std::uint8_t, kOscilEepromSize> image{};
    SerializeOscilEeprom(cal, image, ByteOrder::Big);
    return {image.begin(), image.end()};
}

constexpr std::uint16_t kModule = 0x61;
constexpr std::uint8_t kOpAskData = 0, kOpSetRecord = 1, kOpRun = 2, kOpAskCal = 3, kOpIdle = 15;

void ivoraSeeds() {
    const std::string t = "ivoraprotocol";
    // A whole capture: link up, start, settings, one sample group, a header-only answer, disconnect.
    Bytes s;
    step(s, 4, MakeReply(0x8000, kModule, 0));
    step(s, kOpRun, MakeReply(0x8043, kModule, 0));
    step(s, kOpSetRecord, MakeReply(0x8081, kModule, 0, recordBytes(record(2, 4))));
    std::vector<std::uint16_t> samples(2 * 1500);
    for (std::size_t i = 0; i < samples.size(); ++i)
        samples[i] = static_cast<std::uint16_t>((i * 13) % 1024);
    auto group = SplitSampleGroup(kModule, 2, samples);
    for (std::size_t i = 0; i < group.packets.size(); ++i)
        step(s, i == 0 ? kOpAskData : kOpIdle, group.packets[i]);
    step(s, kOpAskData, MakeReply(0x8080, kModule, 0));
    step(s, 8, MakeReply(0x8083, kModule, 0));
    write(t, "capture", s);

    // Calibration read and the calibration header answer.
    Bytes c;
    step(c, 4, MakeReply(0x8000, kModule, 0));
    step(c, kOpAskCal, MakeReply(0x8084, kModule, 0, calibrationBytes()));
    step(c, 10, MakeReply(0x8085, kModule, 0, calibrationBytes()));
    step(c, 9, MakeReply(0x8001, kModule, 0));
    write(t, "calibration", c);

    // Roll mode (trigger mode cycled to FREE) with four channels and short groups.
    Bytes r;
    step(r, 4, MakeReply(0x8000, kModule, 0));
    step(r, 12 | 0x30, MakeReply(0x8081, kModule, 0, recordBytes(record(4, 12))));
    for (int i = 0; i < 3; ++i)
        step(r, 13);
    std::vector<std::uint16_t> roll(4 * 40, 600);
    for (int i = 0; i < 3; ++i)
        step(r, kOpAskData, SplitSampleGroup(kModule, 4, roll).packets.front());
    write(t, "roll", r);

    // Failures: refused settings, bad status, time-out, unknown reply.
    Bytes f;
    step(f, 11 | 0x10, MakeReply(0x8000, kModule, 0));
    step(f, kOpSetRecord, MakeReply(0x8082, kModule, 0x0080));
    step(f, 4 | 0xF0);
    step(f, 5, MakeReply(0x7777, kModule, 0));
    step(f, 0, MakeReply(0x8080, kModule, 0x0001));
    write(t, "failures", f);
}

Bytes smallTesterLog() {
    TesterLog log;
    log.text = "seed";
    log.written = {2024, 5, 3, 15, 13, 45, 30, 250};
    log.record = record(2, 10);
    log.channels = {{"A", "first", 0x0000FF}, {"B", "second", 0x00FF00}};
    for (int i = 0; i < 64; ++i) {
        log.words.push_back(TesterLogWord(i * 8 - 256, i == 10 ? kMarkFirstKind : 0));
        log.words.push_back(TesterLogWord(256 - i * 8, i == 40 ? kMarkSecondKind : 0));
    }
    return EncodeTesterLog(log);
}

void vexorSeeds() {
    const std::string t = "vexorprotocol";
    SimFileMap files;
    files["osclog01.sdf"] = smallTesterLog();
    CSimFileServer server(kModule, files);
    std::array<std::uint8_t, kPacketBufferSize> request{};

    Bytes s;
    auto n = build_FileEntry_packet(request.data(), request.size(), "osclog01.sdf", 0);
    for (auto& p : server.handle({request.data(), n}).packets)
        step(s, 0, p);
    n = build_FileContents_packet(request.data(), request.size(), "osclog01.sdf", 0);
    auto answer = server.handle({request.data(), n});
    while (!answer.packets.empty()) {
        for (auto& p : answer.packets)
            step(s, s.size() < 40 ? 1 : 7, p);
        n = build_NextPacket_packet(request.data(), request.size());
        answer = server.handle({request.data(), n});
    }
    step(s, 5);
    write(t, "download", s);

    Bytes m;
    n = build_FileEntry_packet(request.data(), request.size(), "osclog09.sdf", 1);
    for (auto& p : server.handle({request.data(), n}).packets)
        step(m, 0x10, p);
    step(m, 3 | 0xF8);
    Bytes ask(request.data(),
              request.data() + build_FileEntry_packet(request.data(), request.size(), "osclog02.sdf", 0));
    step(m, 7, ask);
    write(t, "missing_and_asked", m);
}

std::unique_ptr<CChannelData> channel(int ch, std::uint32_t samples) {
    tOscilExchange rec = record(2, 4);
    auto c = std::make_unique<CChannelData>();
    c->ApplySettings(rec, ch);
    c->SetName("Kanál " + std::to_string(ch));
    c->SetDescription("snímač");
    auto w = c->WritableSamples(samples);
    for (std::uint32_t i = 0; i < samples; ++i)
        w[i] = static_cast<std::int32_t>((i * 37) % 1025) - 512;
    c->SetSampleCount(samples);
    return c;
}

void scopeFileSeeds() {
    const std::string t = "scopefile";
    const fs::path tmp = fuzz::ScratchPath("seed.sdf");
    auto a = channel(0, 48);
    auto b = channel(1, 48);
    std::vector<const CChannelData*> chans{a.get(), b.get()};

    CScopeFile wave;
    wave.SetHeaderText("seed");
    if (wave.Save(tmp, chans))
        write(t, "wave22.sdf", readAll(tmp));

    CScopeFile log;
    if (log.SaveLogHeader(tmp, chans)) {
        log.AppendLogSamples(16);
        log.RequestMark(1);
        log.AppendLogSamples(16);
        log.RequestMark(2);
        log.AppendLogSamples(16);
        log.CloseLog();
        write(t, "log44.sdf", readAll(tmp));
    }
    write(t, "log33.sdf", smallTesterLog());
    fs::remove(tmp);
}

void iniSeeds(const fs::path& source) {
    const std::string t = "ini";
    for (const char* f : {"Settings/General.ini", "Settings/Wavix.ini", "Scope/ScopeProbes/Sonda_10x1.ini",
                          "Scope/ScopeProbes/Kleste_1mV_A.ini"}) {
        write(t, fs::path(f).filename().string(), readAll(source / "data" / f));
    }
    // The first texts of the language file: enough for the loaders, small enough to mutate.
    Bytes lang = readAll(source / "data/Lang/Cestina.lng");
    if (lang.size() > 1500)
        lang.resize(1500);
    write(t, "Cestina_head.lng", lang);
    Bytes w = readAll(source / "data/Settings/General.ini");
    for (const char* part : {"GENERAL", "Company", " Firma \"s.r.o.\" "}) {
        w.push_back(0);
        w.insert(w.end(), part, part + std::char_traits<char>::length(part));
    }
    write(t, "write_quoted", w);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: fuzz_seeds SOURCE_DIR OUT_DIR\n");
        return 2;
    }
    gOut = argv[2];
    ivoraSeeds();
    vexorSeeds();
    scopeFileSeeds();
    iniSeeds(argv[1]);
    return 0;
}
