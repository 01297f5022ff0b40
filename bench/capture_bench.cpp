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

#include "core/analysis/measurementtable.h"
#include "core/protocol/modulemessages.h"
#include "core/scope/capturestore.h"
#include "core/support/bytes.h"
#include "platform/modulesession.h"
#include "platform/qtmessagetarget.h"
#include "simprocess.h"

#include <QElapsedTimer>

#include <benchmark/benchmark.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <array>
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
    explicit PlainClient(std::uint16_t port) : port_(port) {
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
    std::uint16_t port_;
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
    StackClient() {
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
        if (ResultOf(event) == ModuleResult::Error && event != ModuleEvent::BadGroup) {
            failed_ = true;
            return;
        }
        if (event == ModuleEvent::LinkUp)
            p.build_RunOscil_packet();
        switch (event) {
        case ModuleEvent::ScopeRunning:
            p.build_SetOscilExchange_packet(benchRecord());
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
        case ModuleEvent::NoData: // no capture yet: ask again at once, as the floor does
            p.build_AskForScopeData_packet();
            break;
        default:
            break;
        }
    }

    CCaptureStore capture_;
    CModuleSession session_{capture_};
    CQtMessageTarget window_;
    std::int64_t groups_ = 0;
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

} // namespace

BENCHMARK(BM_CaptureFloor)->UseRealTime()->MinTime(2.0);
BENCHMARK(BM_CaptureClient)->Arg(0)->Arg(1)->UseRealTime()->MinTime(2.0);
