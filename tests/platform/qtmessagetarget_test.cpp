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
    CQtMessageTarget target([&](Msg m, std::intptr_t w, std::intptr_t l) { got.push_back({m, w, l}); });
    std::vector<PostedMessage> sent;
    for (int i = 0; i < 50; ++i) {
        sent.push_back({i % 2 ? Msg::UWM_SCOPE_DATA : Msg::UWM_COMMUNICATION, i, -i});
        target.post(sent.back().msg, sent.back().wParam, sent.back().lParam);
    }
    EXPECT_TRUE(got.empty());
    ASSERT_TRUE(waitUntil([&] { return got.size() == sent.size(); }));
    EXPECT_EQ(got, sent);
}

TEST_F(QtMessageTargetTest, PostFromAWorkerIsHandledOnTheTargetsThread) {
    std::vector<std::pair<QThread*, qintptr>> got;
    CQtMessageTarget target;
    QObject::connect(&target, &CQtMessageTarget::messagePosted, &target, [&](Msg, qintptr wParam, qintptr) {
        got.emplace_back(QThread::currentThread(), wParam);
    });
    std::thread worker([&] {
        for (int i = 0; i < 20; ++i)
            target.post(Msg::UWM_IVORA_PROTOCOL, i, 0);
    });
    worker.join();
    ASSERT_TRUE(waitUntil([&] { return got.size() == 20; }));
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(got[static_cast<std::size_t>(i)], std::make_pair(QThread::currentThread(), qintptr{i}));
}

} // namespace
} // namespace wavix
