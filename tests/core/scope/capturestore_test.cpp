#include "core/scope/capturestore.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace wavix {
namespace {

struct Listener : ICaptureListener {
    Listener(std::string who, std::vector<std::string>& out) : name(std::move(who)), log(out) {}
    void OnSamplesConverted(std::uint32_t count) override {
        log.push_back(name + " " + std::to_string(count));
        if (whenTold)
            whenTold();
    }
    void OnChannelsChanged() override { log.push_back(name + " edit"); }
    std::string name;
    std::vector<std::string>& log;
    std::function<void()> whenTold;
};

// A conversion tells every listener its count in the order added, an edit tells
// them without one; a listener removed while the others are told (a box it
// opened let the window close) is not told any more.
TEST(CaptureStore, ListenersAreToldInOrderAndARemovedOneNoMore) {
    std::vector<std::string> log;
    CCaptureStore store;
    Listener views("views", log), rollLog("log", log);
    store.AddListener(views);
    store.AddListener(rollLog);
    store.AddListener(views);
    store.Announce(NewSamplesNotice(1200));
    store.Announce(NewSamplesNotice(0));
    store.Announce(2); // a channel edit passes its number
    views.whenTold = [&] { store.RemoveListener(rollLog); };
    store.Announce(NewSamplesNotice(7));
    store.Announce(NewSamplesNotice(8));
    EXPECT_EQ(log, (std::vector<std::string>{"views 1200", "log 1200", "views 0", "log 0", "views edit",
                                             "log edit", "views 7", "views 8"}));
}

} // namespace
} // namespace wavix
