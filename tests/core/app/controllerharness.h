#pragma once
// The controller against a real module protocol and a scripted Scope module:
// every request the protocol sends is answered at once into a queue, and
// settle() hands answers and posted messages over in order until both are quiet.

#include "core/app/wavixcontroller.h"
#include "core/protocol/ivoraprotocol.h"
#include "core/protocol/modulemessages.h"
#include "core/scope/capturestore.h"
#include "core/support/bytes.h"

#include <gtest/gtest.h>

#include <algorithm>

#include <deque>
#include <functional>
#include <map>
#include <string>
#include <vector>

namespace wavix::test {

inline std::vector<std::uint8_t> reply(std::uint16_t code, std::uint16_t status,
                                       std::span<const std::uint8_t> payload = {},
                                       std::uint16_t module = 0x42) {
    // Sized once: growing by insert trips a false array-bounds warning in GCC 12.
    std::vector<std::uint8_t> p(kPacketHeaderSize + payload.size());
    std::copy(payload.begin(), payload.end(), p.begin() + kPacketHeaderSize);
    p[0] = 0x10;
    p[1] = 0x02;
    writeBE16(&p[2], code);
    writeBE16(&p[4], module);
    writeBE16(&p[6], status);
    return p;
}

class FakeScopeModule : public IDatagramSender {
public:
    FakeScopeModule() {
        own = DefaultOscilExchange();
        own.version = 2;
        own.chann_num = 4;
        own.time_base_ENUM = 2;
        complete(own);
        calibration = DefaultCalibration();
        calibration.state = 1;
        calibration.day = 0x15;
        calibration.month = 0x10;
        calibration.year = 0x2008;
    }

    bool Send(Packet packet) override {
        const std::uint16_t command = readBE16(packet.data.get() + 2);
        commands.push_back(command);
        const std::span<const std::uint8_t> payload(packet.data.get() + kRequestHeaderSize,
                                                    packet.size - kRequestHeaderSize);
        if (silent)
            return true;
        switch (command) {
        case c_ivrECHO:
            answers.push_back(reply(0x8000, 0, {}, moduleNum));
            break;
        case c_ivrRUN_OSCIL:
            answers.push_back(reply(0x8043, 0, std::vector<std::uint8_t>(runAnswerExtra), moduleNum));
            runAnswerExtra = 0;
            break;
        case c_ivrASK_OSCIL_EXCHANGE:
            inForce = own;
            answers.push_back(reply(0x8082, askStatus, image(own)));
            break;
        case c_ivrSET_OSCIL_EXCHANGE: {
            tOscilExchange rec;
            DeserializeOscilExchange(payload, rec);
            sent.push_back(rec);
            complete(rec);
            answers.push_back(reply(0x8081, 0, image(rec)));
            break;
        }
        case c_ivrASK_OSCIL_EEPROM:
            if (!loseCalibrationRead)
                answers.push_back(reply(0x8084, 0, eeprom(calibration)));
            break;
        case c_ivrSET_OSCIL_EEPROM:
            if (!calibrationAnswer.empty())
                answers.push_back(calibrationAnswer);
            break;
        case c_ivrSCOPE_SAFE_DISCONNECT:
            answers.push_back(reply(0x8083, 0));
            break;
        case c_ivrASK_SCOPE_DATA:
            answerData();
            break;
        default:
            break;
        }
        return true;
    }

    std::size_t count(std::uint16_t command) const {
        return static_cast<std::size_t>(std::count(commands.begin(), commands.end(), command));
    }

    // The record as a module of either generation sends it: its version field
    // as it is, recordBytes long.
    std::vector<std::uint8_t> image(const tOscilExchange& rec) const {
        tOscilExchange v2 = rec;
        v2.version = 2;
        std::vector<std::uint8_t> b(kOscilExchangeV2Size);
        SerializeOscilExchange(v2, b);
        writeBE16(&b[0], rec.version);
        b.resize(recordBytes);
        return b;
    }
    static std::vector<std::uint8_t> eeprom(const SOscil_EEPROM& cal) {
        std::vector<std::uint8_t> b(kOscilEepromSize);
        SerializeOscilEeprom(cal, std::span<std::uint8_t, kOscilEepromSize>(b.data(), kOscilEepromSize),
                             ByteOrder::Big);
        return b;
    }

    tOscilExchange own; // the record stored in the tester
    SOscil_EEPROM calibration;
    std::vector<std::uint8_t> calibrationAnswer = reply(0x8085, 0x0001); // empty: never answered
    std::uint16_t moduleNum = 0x42;
    std::uint16_t askStatus = 0;
    std::size_t recordBytes = kOscilExchangeV2Size;
    bool emptyWhenIdle = false;     // past groupsLeft: header-only answers instead of none
    std::size_t runAnswerExtra = 0; // bytes past the header of the next start answer
    int emptyAnswers = 0;           // header-only answers before the next group
    int groupsLeft = 10;            // data requests past these stay unanswered
    std::uint16_t dataStatus = 0;
    bool silent = false;
    bool loseCalibrationRead = false; // the network drops its answer
    std::vector<std::uint16_t> commands;
    std::vector<tOscilExchange> sent;
    std::deque<std::vector<std::uint8_t>> answers;
    tOscilExchange inForce;

private:
    void complete(tOscilExchange& rec) {
        rec.version = 2;
        rec.time_base = TimeBaseDivider(static_cast<int>(rec.time_base_ENUM));
        rec.samples_all = SamplesPerStep(static_cast<int>(rec.time_base_ENUM));
        inForce = rec;
    }
    void answerData() {
        if (emptyAnswers > 0) {
            --emptyAnswers;
            answers.push_back(reply(0x8080, dataStatus));
            return;
        }
        if (groupsLeft <= 0) {
            if (emptyWhenIdle)
                answers.push_back(reply(0x8080, 0));
            return;
        }
        --groupsLeft;
        // A whole group, all channels at mid scale, in full packets; in roll
        // mode two packets of 16 sets.
        const auto setBytes = static_cast<std::size_t>(inForce.chann_num) * 2;
        const bool roll = (inForce.TR_mode & ~kStopBit) == TM_FREE;
        std::size_t sets = roll ? 32 : inForce.samples_all;
        while (sets > 0) {
            const std::size_t now = std::min(sets, roll ? 16 : kMaxPayloadSize / setBytes);
            std::vector<std::uint8_t> samples(now * setBytes);
            for (std::size_t i = 0; i < samples.size(); i += 2)
                writeBE16(&samples[i], 512);
            sets -= now;
            answers.push_back(reply(0x8080, sets > 0 ? 0x0040 : dataStatus, samples));
        }
    }
};

// Records what the controller does to the window; boxes answer OK.
class RecordingView : public IMainView {
public:
    explicit RecordingView(IMessageTarget& self) : self_(self) {}

    BoxAnswer MessageBox(std::string_view caption, std::string_view text, BoxIcon icon, BoxButtons) override {
        boxes.push_back({std::string(caption), std::string(text), icon});
        if (whileBoxOpen)
            whileBoxOpen();
        return BoxAnswer::Ok;
    }
    void SetPaneText(Pane pane, std::string_view text) override { panes[pane].emplace_back(text); }
    void LinkStateChanged(std::string_view state, std::string_view endpoint) override {
        links.push_back(std::string(state) + " " + std::string(endpoint));
    }
    void ShowMessage(std::string_view text) override { viewMessages.emplace_back(text); }
    void HideMessages() override { viewMessages.emplace_back("<hidden>"); }
    void RedrawTraces() override { ++redraws; }
    void SetTriggerMarkerColor(std::uint32_t) override {}
    void SetTriggerLevel(int) override {}
    void SetInputRanges(const ViewRanges&) override {}
    void SetCaptureGeometry(std::uint32_t, std::uint32_t) override {}
    void ResetScaleFactors() override { ++scaleResets; }
    void LayoutViews(int visible) override { calls.push_back("layout " + std::to_string(visible)); }
    void AttachChannels(bool multi, int visible, int active) override {
        calls.push_back("attach " + std::to_string(multi) + " " + std::to_string(visible) + " " +
                        std::to_string(active));
    }
    void RefreshChannelPanels() override { calls.emplace_back("panels"); }
    void StartRetryTimer(std::uint32_t ms) override { timers.push_back(static_cast<int>(ms)); }
    void StopRetryTimer() override { timers.push_back(0); }
    void StartCalibrationGuard(std::uint32_t ms) override { guards.push_back(static_cast<int>(ms)); }
    void StopCalibrationGuard() override { guards.push_back(0); }
    void EndDialog(int result) override { endResult = result; }
    void Quit(int code) override { exitCode = code; }
    void SaveAllSettings() override { calls.emplace_back("save"); }
    bool CloseLink() override { return closeLinkWorks; }
    void ReopenLink() override { calls.emplace_back("reopen"); }
    bool IsRollLogOpen() const override { return rollLogOpen; }
    void EndRollLogIfChanged(const tOscilExchange& inForce) override {
        logChecks.push_back(inForce);
        rollLogOpen = false;
    }
    void SetSettingsChannelCount(int) override {}
    void CopyViewSettings() override {}
    void PostToSelf(Msg msg, std::intptr_t w, std::intptr_t l) override { self_.post(msg, w, l); }
    void PostToTool(ToolWindow tool, Msg msg, std::intptr_t w, std::intptr_t l) override {
        tools.push_back({tool, {msg, w, l}});
    }
    void SendToTool(ToolWindow tool, Msg msg, std::intptr_t w, std::intptr_t l) override {
        tools.push_back({tool, {msg, w, l}});
    }

    std::string pane(Pane p) const {
        const auto it = panes.find(p);
        return it == panes.end() || it->second.empty() ? std::string("<none>") : it->second.back();
    }

    struct Box {
        std::string caption;
        std::string text;
        BoxIcon icon;
        bool operator==(const Box&) const = default;
    };
    std::vector<Box> boxes;
    std::function<void()> whileBoxOpen;
    std::map<Pane, std::vector<std::string>> panes;
    std::vector<std::string> viewMessages;
    std::vector<std::string> links; // "state address:port", each change
    std::vector<std::string> calls;
    std::vector<int> timers;
    std::vector<int> guards; // calibration guard: its time when started, 0 when stopped
    std::vector<std::uint32_t> logged;
    std::vector<tOscilExchange> logChecks; // records a roll log was held against
    std::vector<std::pair<ToolWindow, PostedMessage>> tools;
    int redraws = 0;
    int scaleResets = 0;
    int endResult = -1;
    int exitCode = -1;
    bool closeLinkWorks = true;
    bool rollLogOpen = false;

private:
    IMessageTarget& self_;
};

// The roll log as the capture store's listener, open while the view says so.
class RecordingLog : public ICaptureListener {
public:
    explicit RecordingLog(RecordingView& view) : view_(view) {}
    void OnSamplesConverted(std::uint32_t n) override {
        if (view_.rollLogOpen)
            view_.logged.push_back(n);
    }

private:
    RecordingView& view_;
};

// The toolbar commands the window's parts would carry out, by name.
class RecordingToolbar : public IToolbarCommands {
public:
    void OnPrint() override { calls.emplace_back("print"); }
    void OnSaveCapture() override { calls.emplace_back("save"); }
    void OnLoadCapture() override { calls.emplace_back("load"); }
    void OnNextDrawStyle() override { calls.emplace_back("style"); }
    void OnScopeBook() override { calls.emplace_back("book"); }
    void OnLogCharts() override { calls.emplace_back("log charts"); }
    void OnRollLog() override { calls.emplace_back("roll log"); }
    void OnChannelOptions() override { calls.emplace_back("channel options"); }
    std::vector<std::string> calls;
};

class ControllerHarness {
public:
    ControllerHarness() {
        WindowParts parts;
        parts.toolbar = &toolbar;
        controller.SetParts(parts);
        protocol.SetCommunication(&module);
        capture.SetNoticeTarget(&mailbox);
        capture.AddListener(rollLog);
        protocol.Init(&mailbox);
    }

    // The first keep-alive echo, then every answer and message until quiet.
    void start() {
        protocol.OnTimer();
        settle();
    }
    void settle() {
        for (int guard = 0; guard < 100000; ++guard) {
            if (!mailbox.messages.empty()) {
                const PostedMessage m = mailbox.messages.front();
                mailbox.messages.erase(mailbox.messages.begin());
                controller.OnMessage(m.msg, m.wParam, m.lParam);
            } else if (!module.answers.empty()) {
                deliver(module.answers.front());
                module.answers.pop_front();
            } else {
                return;
            }
        }
        FAIL() << "the loop never went quiet";
    }
    void deliver(const std::vector<std::uint8_t>& packet) {
        auto buffer = allocatePacketBuffer();
        std::copy(packet.begin(), packet.end(), buffer.get());
        protocol.parseRecData(std::move(buffer), packet.size());
    }
    void post(Msg msg, std::intptr_t w, std::intptr_t l) {
        controller.OnMessage(msg, w, l);
        settle();
    }
    CScopeData& data() { return capture.Data(); }

    CFakeTickSource clock{1000};
    FakeScopeModule module;
    CRecordingTarget mailbox;
    CCaptureStore capture;
    CIvoraProtocol protocol{clock, capture};
    RecordingView view{mailbox};
    CMainTexts texts;
    CWavixController controller{protocol, capture, view, texts};
    RecordingLog rollLog{view};
    RecordingToolbar toolbar;
};

} // namespace wavix::test
