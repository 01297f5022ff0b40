// Pictures of the display for a human to look at; written only when
// WAVIX_PNG_DIR names a folder.

#include "scopetestsupport.h"

#include "ui/scope/cscope.h"

#include <QDir>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

namespace wavix {
namespace {

class ScopeShots : public ::testing::Test {
protected:
    void SetUp() override {
        test::app();
        const char* dir = std::getenv("WAVIX_PNG_DIR");
        if (dir == nullptr || *dir == '\0')
            GTEST_SKIP() << "WAVIX_PNG_DIR not set";
        dir_ = QString::fromLocal8Bit(dir);
        QDir().mkpath(dir_);
    }

    std::unique_ptr<CScope> View(QSize size = {900, 520}) {
        auto s = std::make_unique<CScope>();
        s->resize(size);
        s->SetDrawStyle(3028);
        return s;
    }

    // Crank, ignition, injector and lambda on their workshop ranges, 5 ms/div.
    void FourChannels(CScope& s, int step = 6) {
        channels_.clear();
        channels_.push_back(test::MakeChannel(1, 4, step, test::CrankVolts));
        channels_.push_back(test::MakeChannel(2, 8, step, test::IgnitionVolts));
        channels_.push_back(test::MakeChannel(3, 6, step, test::InjectorVolts));
        channels_.push_back(test::MakeChannel(4, 0, step, test::LambdaVolts));
        for (auto& c : channels_)
            s.AddChannel(c.get());
        s.UpdateData();
    }

    void Save(CScope& s, const char* name) {
        const QImage img = s.Render(s.size());
        EXPECT_TRUE(img.save(dir_ + QLatin1Char('/') + QLatin1String(name)));
    }

    QString dir_;
    std::vector<std::unique_ptr<CChannelData>> channels_;
};

TEST_F(ScopeShots, DrawStyles) {
    for (int style : {3025, 3026, 3027, 3028}) {
        auto s = View();
        FourChannels(*s);
        s->SetDrawStyle(style);
        Save(*s, ("style_" + std::to_string(style) + ".png").c_str());
    }
}

TEST_F(ScopeShots, HalfModeWithLambda) {
    auto s = View();
    channels_.push_back(test::MakeChannel(1, 0, 11, test::LambdaVolts));
    s->AddChannel(channels_.back().get());
    s->UpdateData();
    s->SetHalfMode(true);
    s->SetTriggerLevel(0, 1023, 700);
    Save(*s, "half_mode_lambda.png");
}

TEST_F(ScopeShots, ZoomedWithBarAndCloseBox) {
    auto s = View();
    FourChannels(*s);
    s->Zoom().ZoomToRange({300, 0}, {380, 0});
    Save(*s, "zoomed.png");
}

TEST_F(ScopeShots, CursorsAndTriggerMarkers) {
    auto s = View();
    channels_.push_back(test::MakeChannel(1, 6, 4, test::InjectorVolts));
    s->AddChannel(channels_.back().get());
    s->UpdateData();
    s->Cursors().SetPositions(20.0, 53.0);
    s->SetTriggerLevel(0, 1023, 650);
    s->TriggerPosition().SetPosition(30.0);
    s->SetMessage("Čekání na hranu ...");
    Save(*s, "cursors_trigger.png");
    s->SetMessage("");
    s->Zoom().ZoomToRange({500, 0}, {700, 0});
    Save(*s, "trigger_position_zoomed_left.png");
}

TEST_F(ScopeShots, ReferenceOfTwiceTheLiveSpan) {
    auto s = View();
    channels_.push_back(test::MakeChannel(1, 4, 6, test::CrankVolts));
    channels_.push_back(test::MakeChannel(2, 4, 7, test::CrankVolts)); // 10 ms/div: twice the span
    channels_.back()->SetColor(0x00C0C0C0);
    channels_.back()->SetOffset(-200); // moved down so that it does not hide under the live trace
    s->AddChannel(channels_[0].get());
    s->AddReference(channels_[1].get());
    s->UpdateData();
    Save(*s, "reference_twice_span.png");
    auto h = View();
    channels_.push_back(test::MakeChannel(3, 4, 5, test::CrankVolts)); // 2 ms/div: less than half
    channels_.back()->SetColor(0x00C0C0C0);
    channels_.back()->SetOffset(-200);
    h->AddChannel(channels_[0].get());
    h->AddReference(channels_.back().get());
    h->UpdateData();
    Save(*h, "reference_shorter_span.png");
}

TEST_F(ScopeShots, LogWindowWithMarks) {
    auto s = View();
    FourChannels(*s, 12);
    s->Button(0).SetVisible(true);
    s->Button(1).SetVisible(true);
    s->SetRollRecording(true);
    s->SetLogMarks({{1, 12000, 1}, {2, 47000, 2}, {3, 81000, 1}});
    Save(*s, "log_marks.png");
}

} // namespace
} // namespace wavix
