#pragma once
// A headless stand-in for the program's capture loop: it reacts to the module
// protocol's reports as the main window does, minus the windows. A fault that
// would end the program ends the client's reactions; every fault is recorded.

#include "core/scope/capturestore.h"
#include "core/scope/oscilexchange.h"
#include "platform/modulesession.h"
#include "platform/qtmessagetarget.h"

#include <QTimer>

#include <cstdint>
#include <functional>
#include <vector>

namespace wavix::test {

class CaptureClient {
public:
    enum class Start {
        SendRecord,    // send our record once the scope runs
        DataBeforeRun, // skip starting the scope: ask for data at once
    };

    explicit CaptureClient(const tOscilExchange& record, Start start = Start::SendRecord);

    bool open(std::uint16_t port);

    CModuleSession& session() { return session_; }
    CScopeData& data() { return capture_.Data(); }

    // Called on each converted group, before the next request goes out.
    std::function<void(const CScopeData&)> onGroup;

    int groups = 0;
    int linkUps = 0;
    int timeouts = 0;
    int badGroups = 0;
    int calibrationReads = 0;
    bool ended = false;                            // a fault the program would end on
    std::vector<std::uint32_t> faults;             // every report with result 1, in order
    std::uint32_t lastTimeoutAfterMs = 0;          // silence before the last time-out report

private:
    void onMessage(Msg msg, std::intptr_t wParam, std::intptr_t lParam);
    void onModule(ModuleEvent event);
    void onScope(ModuleEvent event);
    void askForData();

    CCaptureStore capture_;
    CModuleSession session_{capture_};
    CQtMessageTarget window_;
    QTimer retry_;
    tOscilExchange record_;
    Start start_;
    bool askCalibrationFirst_ = true;
    std::uint32_t lastReceivedAt_ = 0;
};

} // namespace wavix::test
