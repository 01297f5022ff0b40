#include "platform/qtmessagetarget.h"

#include "qtsupport.h"

#include <QThread>

#include <thread>

namespace wavix {
namespace {

using test::waitUntil;

class QtMessageTargetTest : public test::QtFixture {};

TEST_F(QtMessageTargetTest, DeliversLaterAndInOrderNeverInsideThePoster) {
    std::vector<PostedMessage> got;
    QtMessageTarget target([&](Msg m, std::intptr_t w, std::intptr_t l) { got.push_back({m, w, l}); });
    std::vector<PostedMessage> sent;
    for (int i = 0; i < 50; ++i) {
        sent.push_back({i % 2 ? Msg::UWM_SCOPE_DATA : Msg::UWM_COMMUNICATION, i, -i});
        target.post(sent.back().msg, sent.back().wParam, sent.back().lParam);
    }
    EXPECT_TRUE(got.empty());
    ASSERT_TRUE(waitUntil([&] { return got.size() == sent.size(); }));
    EXPECT_EQ(got, sent);
}

TEST_F(QtMessageTargetTest, PostFromAWorkerRunsTheHandlerOnTheTargetsThread) {
    QThread* handlerThread = nullptr;
    std::vector<std::intptr_t> order;
    QtMessageTarget target;
    QObject::connect(&target, &QtMessageTarget::messagePosted, &target,
                     [&](Msg msg, qintptr wParam, qintptr) {
                         EXPECT_EQ(msg, Msg::UWM_IVORA_PROTOCOL);
                         handlerThread = QThread::currentThread();
                         order.push_back(wParam);
                     });
    std::thread worker([&] {
        for (int i = 0; i < 20; ++i)
            target.post(Msg::UWM_IVORA_PROTOCOL, i, 0);
    });
    worker.join();
    ASSERT_TRUE(waitUntil([&] { return order.size() == 20; }));
    EXPECT_EQ(handlerThread, QThread::currentThread());
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(order[static_cast<std::size_t>(i)], i);
}

TEST_F(QtMessageTargetTest, PendingMessagesOfADestroyedTargetAreDropped) {
    int calls = 0;
    {
        QtMessageTarget target([&](Msg, std::intptr_t, std::intptr_t) { ++calls; });
        target.post(Msg::UWM_SCOPE, 1, 2);
    }
    test::settle(50);
    EXPECT_EQ(calls, 0);
}

} // namespace
} // namespace wavix
