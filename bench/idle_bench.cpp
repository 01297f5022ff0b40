// CPU the client stack burns while the link is open and idle: the module
// answered, nothing is captured, only the keep-alive echo and the traffic
// statistics run. One ten-second run; the figure is utime + stime of this
// process from /proc/self/stat over that time, in percent of one core.
// Target: under 2 %. Needs vexor-sim beside this program.

#include "core/scope/capturestore.h"
#include "platform/modulesession.h"
#include "platform/qtmessagetarget.h"
#include "simprocess.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>

using namespace wavix;
using namespace wavix::bench;

namespace {

constexpr int kIdleMs = 10000;

// utime + stime in seconds; fields 14 and 15, counted after the command name's ')'.
double cpuSeconds() {
    std::ifstream in("/proc/self/stat");
    std::string all;
    std::getline(in, all);
    std::istringstream rest(all.substr(all.rfind(')') + 2));
    std::string field;
    unsigned long long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && rest >> field; ++i) {
        if (i == 14)
            utime = std::stoull(field);
        if (i == 15)
            stime = std::stoull(field);
    }
    return static_cast<double>(utime + stime) / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

void runFor(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

void BM_IdleLink(benchmark::State& state) {
    app();
    const std::uint16_t port = freePort();
    Sim sim(port);
    CCaptureStore capture;
    CModuleSession session(capture);
    bool up = false;
    int echoes = 0;
    CQtMessageTarget window([&](Msg msg, std::intptr_t w, std::intptr_t) {
        if (msg == Msg::UWM_IVORA_PROTOCOL && DecodeModuleEvent(w) == ModuleEvent::LinkUp)
            up = true;
        if (msg == Msg::UWM_IVORA_PROTOCOL && DecodeModuleEvent(w) == ModuleEvent::Received)
            ++echoes;
    });
    if (!sim.ok() || !session.Open(kSimAddress, port, &window)) {
        state.SkipWithError("cannot open the link");
        return;
    }
    QElapsedTimer wait;
    wait.start();
    while (!up && wait.elapsed() < 10000)
        runFor(20);
    if (!up) {
        state.SkipWithError("vexor-sim did not answer");
        return;
    }
    for (auto _ : state) {
        echoes = 0;
        const double before = cpuSeconds();
        QElapsedTimer clock;
        clock.start();
        runFor(kIdleMs);
        const double wall = static_cast<double>(clock.elapsed()) / 1000.0;
        state.counters["cpu_%"] = 100.0 * (cpuSeconds() - before) / wall;
        state.counters["answers"] = echoes;
        state.counters["faults"] = session.protocol().IsErrorState() ? 1 : 0;
    }
}

} // namespace

BENCHMARK(BM_IdleLink)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);
