// Capture cycles per second against vexor-sim --no-pacing: request scope data,
// receive the group, convert it. Timebase step 1 (2 000 samples) on four
// channels: eight datagrams of about 2 KB per group.
//
//   Floor   two plain blocking sockets: send the request, read datagrams until
//           the last packet of the group; no conversion, no event loop.
//   Client  the program's stack: CModuleSession (event loop, link, protocol),
//           the reports posted to a window, CScopeData converting each group.
//
// The client should reach at least half of the floor's rate; the Client row
// shows the ratio against the Floor row measured just before it (run both).
// Client/1 also measures every group with the full measurement table (every
// measurement on the four channels), more often than the window ever does: its
// rate should stay within noise of Client/0.
// Both need vexor-sim beside this program.
//
//   Lossy   the program's stack against a simulator that loses that share of its
//           datagrams (per mille in the last argument), paced and capturing in
//           real time as a tester does; `vs_lossfree` is the capture rate against
//           the same step and channels without loss, measured just before (run
//           them together). `whole` is the chance that a group and its request
//           all arrive; `asked_again` and `restarts` count per capture.
//           Empty answers are asked again after 50 ms, as the program does.
//           Targets, step 4 one channel: 0.90 at 1 %, 0.60 at 5 %.

#include "core/analysis/measurementtable.h"
#include "core/app/moduleevents.h"
#include "core/protocol/modulemessages.h"
#include "core/scope/capturestore.h"
#include "core/support/bytes.h"
#include "platform/modulesession.h"
#include "platform/qtmessagetarget.h"
#include "simprocess.h"

#include <QElapsedTimer>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
#include <cmath>
#include <map>
#include <memory>

using namespace wavix;
using namespace wavix::bench;

namespace {

tOscilExchange benchRecord() {
    tOscilExchange r = DefaultOscilExchange();
    r.chann_num = 4;
    for (int ch = 1; ch <= 4; ++ch) {
        r.mux(ch) = 5;
        r.dcOn(ch) = CPL_DC;
    }
    r.time_base_ENUM = 1;
    r.TR_mode = TM_AUTO;
    return r;
}

double floorRate = 0.0;

// ---- Floor: plain blocking sockets

class PlainClient {
public:
    explicit PlainClient(std::uint16_t port) {
        rx_ = ::socket(AF_INET, SOCK_DGRAM, 0);
        tx_ = ::socket(AF_INET, SOCK_DGRAM, 0);
        const int one = 1;
        ::setsockopt(rx_, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
        const int buf = 204800;
        ::setsockopt(rx_, SOL_SOCKET, SO_RCVBUF, &buf, sizeof buf);
        timeval tv{0, 500000};
        ::setsockopt(rx_, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
        sockaddr_in local{};
        local.sin_family = AF_INET;
        local.sin_port = htons(port);
        local.sin_addr.s_addr = htonl(INADDR_ANY);
        ok_ = ::bind(rx_, reinterpret_cast<sockaddr*>(&local), sizeof local) == 0;
        sim_.sin_family = AF_INET;
        sim_.sin_port = htons(port);
        ::inet_pton(AF_INET, kSimAddress, &sim_.sin_addr);
    }
    ~PlainClient() {
        ::close(rx_);
        ::close(tx_);
    }
    bool ok() const { return ok_; }

    // Sends a request and reads its answer up to the last packet; the answer's
    // sample bytes, or -1 when nothing came.
    long exchange(const Packet& request) {
        ::sendto(tx_, request.data.get(), request.size, 0, reinterpret_cast<const sockaddr*>(&sim_),
                 sizeof sim_);
        long bytes = 0;
        for (;;) {
            const long n = ::recv(rx_, buffer_.data(), buffer_.size(), 0);
            if (n < 0)
                return -1;
            // Our own request comes back here while the simulator is not listening yet.
            if (n < static_cast<long>(kPacketHeaderSize) ||
                (readBE16(buffer_.data() + 2) & c_vxrREPLY_MASK) == 0)
                continue;
            bytes += n - static_cast<long>(kPacketHeaderSize);
            if (readBE16(buffer_.data() + 6) != kStatusMore)
                return bytes;
        }
    }

    bool start(const tOscilExchange& rec) {
        for (int attempt = 0; attempt < 20; ++attempt) // up to ten seconds
            if (exchange(BuildEchoRequest()) >= 0)
                return exchange(BuildRunOscilRequest()) >= 0 &&
                       exchange(BuildSetOscilExchangeRequest(rec)) >= 0;
        return false;
    }

private:
    int rx_ = -1;
    int tx_ = -1;
    bool ok_ = false;
    sockaddr_in sim_{};
    std::array<std::uint8_t, kPacketBufferSize> buffer_{};
};

void BM_CaptureFloor(benchmark::State& state) {
    app();
    const std::uint16_t port = freePort();
    Sim sim(port, {"--no-pacing"});
    PlainClient client(port);
    if (!sim.ok() || !client.ok() || !client.start(benchRecord())) {
        state.SkipWithError("vexor-sim did not answer");
        return;
    }
    const Packet ask = BuildAskForScopeDataRequest();
    std::int64_t groups = 0;
    QElapsedTimer clock;
    clock.start();
    for (auto _ : state) {
        long bytes = 0;
        do { // a header-only answer means no capture yet
            bytes = client.exchange(ask);
        } while (bytes == 0);
        if (bytes < 0) {
            state.SkipWithError("lost a group");
            return;
        }
        ++groups;
    }
    floorRate = groups / (static_cast<double>(clock.nsecsElapsed()) / 1e9);
    state.counters["cycles/s"] = benchmark::Counter(static_cast<double>(groups), benchmark::Counter::kIsRate);
}

// ---- Client: the program's stack

class StackClient {
public:
    explicit StackClient(const tOscilExchange& record = benchRecord()) : record_(record) {
        window_.setHandler([this](Msg msg, std::intptr_t w, std::intptr_t) {
            if (msg == Msg::UWM_IVORA_PROTOCOL)
                onReport(DecodeModuleEvent(w));
        });
    }
    bool open(std::uint16_t port) { return session_.Open(kSimAddress, port, &window_); }
    // Each converted group is measured with this table too.
    void measureWith(CMeasurementTable* table) { table_ = table; }

    // Runs the event loop until the next group is converted.
    bool nextGroup(int timeoutMs = 2000) {
        const std::int64_t want = groups_ + 1;
        QElapsedTimer clock;
        clock.start();
        while (groups_ < want && !failed_) {
            if (clock.elapsed() > timeoutMs)
                return false;
            // Blocks until something happens; the link's statistics wake it ten times a second.
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        }
        return !failed_;
    }

private:
    void onReport(ModuleEvent event) {
        CIvoraProtocol& p = session_.protocol();
        if (event == ModuleEvent::ReplyTimeout) { // a lost link: start over, as the program does
            ++restarts_;
            p.Reinit();
            return;
        }
        if (ResultOf(event) == ModuleResult::Error && event != ModuleEvent::BadGroup) {
            failed_ = true;
            return;
        }
        if (event == ModuleEvent::LinkUp)
            p.build_RunOscil_packet();
        switch (event) {
        case ModuleEvent::ScopeRunning:
            p.build_SetOscilExchange_packet(record_);
            break;
        case ModuleEvent::GroupConverted:
            ++groups_;
            if (table_ != nullptr) {
                std::array<SignalInput, kChannelCount> spans;
                for (int ch = 1; ch <= kChannelCount; ++ch)
                    spans[static_cast<std::size_t>(ch - 1)] = ChannelSignal(capture_.Data().GetChannel(ch));
                table_->Evaluate(spans);
            }
            p.build_AskForScopeData_packet();
            break;
        case ModuleEvent::SettingsExchanged:
            p.build_AskForScopeData_packet();
            break;
        case ModuleEvent::NoData: // no capture yet: ask again at once, as the floor does, or as the program does
            if (retryMs_ == 0)
                p.build_AskForScopeData_packet();
            else
                QTimer::singleShot(static_cast<int>(retryMs_), &window_, [&p] { p.build_AskForScopeData_packet(); });
            break;
        default:
            break;
        }
    }

public:
    // Asks again this long after an empty answer, as the program does; 0 at once.
    void retryAfter(std::uint32_t ms) { retryMs_ = ms; }
    std::int64_t restarts() const { return restarts_; }
    std::uint32_t askedAgain() { return session_.protocol().GetAskedAgain(); }

private:
    tOscilExchange record_;
    CCaptureStore capture_;
    CModuleSession session_{capture_};
    CQtMessageTarget window_;
    std::int64_t groups_ = 0;
    std::int64_t restarts_ = 0;
    std::uint32_t retryMs_ = 0;
    bool failed_ = false;
    CMeasurementTable* table_ = nullptr;
};

void BM_CaptureClient(benchmark::State& state) {
    app();
    const std::uint16_t port = freePort();
    Sim sim(port, {"--no-pacing"});
    auto client = std::make_unique<StackClient>();
    CMeasurementTable table;
    for (int ch = 1; ch <= kChannelCount; ++ch)
        for (const MeasureDef& d : Measurements())
            table.Add(ch, d.key);
    if (state.range(0) != 0)
        client->measureWith(&table);
    if (!sim.ok() || !client->open(port) || !client->nextGroup(10000)) {
        state.SkipWithError("vexor-sim did not answer");
        return;
    }
    std::int64_t groups = 0;
    QElapsedTimer clock;
    clock.start();
    for (auto _ : state) {
        if (!client->nextGroup()) {
            state.SkipWithError("lost a group");
            return;
        }
        ++groups;
    }
    const double rate = groups / (static_cast<double>(clock.nsecsElapsed()) / 1e9);
    state.counters["cycles/s"] = benchmark::Counter(static_cast<double>(groups), benchmark::Counter::kIsRate);
    if (floorRate > 0)
        state.counters["vs_floor"] = rate / floorRate;
}

// ---- Lossy: the same stack over a link that loses datagrams

std::map<std::pair<int, int>, double> lossFreeRate;

void BM_CaptureLossy(benchmark::State& state) {
    app();
    const int step = static_cast<int>(state.range(0));
    const int channels = static_cast<int>(state.range(1));
    const double loss = static_cast<double>(state.range(2)) / 1000.0;
    tOscilExchange rec = benchRecord();
    rec.time_base_ENUM = static_cast<std::uint32_t>(step);
    rec.chann_num = static_cast<std::uint16_t>(channels);
    const std::uint16_t port = freePort();
    QStringList args;
    if (loss > 0)
        args << "--loss" << QString::number(loss, 'f', 3);
    Sim sim(port, args);
    auto client = std::make_unique<StackClient>(rec);
    client->retryAfter(kRetryMs);
    if (!sim.ok() || !client->open(port) || !client->nextGroup(15000)) {
        state.SkipWithError("vexor-sim did not answer");
        return;
    }
    const std::uint32_t askedBefore = client->askedAgain();
    std::int64_t groups = 0;
    QElapsedTimer clock;
    clock.start();
    for (auto _ : state) {
        if (!client->nextGroup(15000)) {
            state.SkipWithError("no group for 15 s");
            return;
        }
        ++groups;
    }
    const double rate = groups / (static_cast<double>(clock.nsecsElapsed()) / 1e9);
    state.counters["cycles/s"] = rate;
    const auto key = std::make_pair(step, channels);
    if (loss == 0)
        lossFreeRate[key] = rate;
    else if (lossFreeRate.count(key) != 0)
        state.counters["vs_lossfree"] = rate / lossFreeRate[key];
    const double packets = std::ceil(static_cast<double>(SamplesPerStep(step)) /
                                     static_cast<double>(kMaxPayloadSize / (2 * static_cast<std::size_t>(channels))));
    state.counters["whole"] = std::pow(1.0 - loss, packets + 1);
    state.counters["asked_again"] = static_cast<double>(client->askedAgain() - askedBefore) / static_cast<double>(groups);
    state.counters["restarts"] = static_cast<double>(client->restarts());
}

} // namespace

BENCHMARK(BM_CaptureLossy)
    ->ArgsProduct({{4}, {1}, {0, 10, 50}})
    ->ArgsProduct({{9}, {4}, {0, 10, 50}})
    ->ArgNames({"step", "ch", "loss_permille"})
    ->UseRealTime()
    ->MinTime(10.0);
BENCHMARK(BM_CaptureFloor)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_CaptureClient)->Arg(0)->Arg(1)->UseRealTime()->MinTime(2.0);
