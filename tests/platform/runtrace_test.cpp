#include "platform/runtrace.h"

#include "core/scope/scopedata.h"
#include "platform/qtmessagetarget.h"

#include <gtest/gtest.h>

#include <QObject>

#include <cstdio>
#include <regex>
#include <string>

namespace wavix {
namespace {

// What the soak and budget scripts read: the word after the time and what follows it.
std::vector<std::string> traced(const std::function<void(CRunTrace&, QObject&)>& act) {
    std::FILE* out = std::tmpfile();
    EXPECT_NE(out, nullptr);
    CRunTrace trace(out);
    QObject window;
    act(trace, window);
    std::rewind(out);
    std::vector<std::string> lines;
    char buffer[256];
    const std::regex line(R"(wavix-trace \d{13} (.*)\n)");
    while (std::fgets(buffer, sizeof buffer, out) != nullptr) {
        std::smatch m;
        const std::string text(buffer);
        EXPECT_TRUE(std::regex_match(text, m, line)) << text;
        lines.push_back(m.size() > 1 ? m[1].str() : text);
    }
    std::fclose(out);
    return lines;
}

TEST(RunTrace, CaptureCarriesTheSamplesPerChannelAndLinkChangesAreTraced) {
    const auto lines = traced([](CRunTrace& trace, QObject& window) {
        trace.SetCaptureSamples([] { return 2000u; });
        const auto notice = [&](std::intptr_t w, ScopeDataNotice n) {
            CMessageEvent e(Msg::UWM_SCOPE_DATA, w, Encode(n));
            trace.eventFilter(&window, &e);
        };
        notice(NewSamplesNotice(0), ScopeDataNotice::NewSamples);  // a whole capture
        notice(NewSamplesNotice(37), ScopeDataNotice::NewSamples); // a roll-mode group
        notice(2, ScopeDataNotice::NewSamples);                    // an edit of channel 2: no capture
        trace.Link("no-answer", "127.0.0.9:10320");
        trace.Link("running", "127.0.0.2:10000");
    });
    EXPECT_EQ(lines, (std::vector<std::string>{"capture 2000", "capture 37", "link no-answer 127.0.0.9:10320",
                                               "link running 127.0.0.2:10000"}));
}

} // namespace
} // namespace wavix
