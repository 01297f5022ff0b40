#pragma once
// Shared pieces of the panel tests: one QApplication per program (another suite
// of the same program may have made it first) and a sample data object whose
// four channels carry an accepted record.

#include "core/scope/scopedata.h"
#include "ui/uitestapp.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace wavix::test {

inline tOscilExchange fourChannels() {
    tOscilExchange r = DefaultOscilExchange();
    r.version = 2;
    r.chann_num = 4;
    r.CH1_mux = 2;
    r.CH2_mux = 8;
    r.CH3_mux = 0;
    r.CH4_mux = 4;
    r.CH1_dc_on = CPL_DC;
    r.CH3_dc_on = CPL_AC;
    r.time_base_ENUM = 4;
    r.TR_channel = 1;
    r.TR_level = 511;
    r.TR_rising = 1;
    return r;
}

// Returns as soon as `done` holds; the event loop runs meanwhile so timers fire.
inline bool waitUntil(const std::function<bool()>& done, int timeoutMs = 5000) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > timeoutMs)
            return false;
        QTest::qWait(5);
    }
    return true;
}

inline QImage renderOf(QWidget& w) {
    QImage img(w.size(), QImage::Format_RGB32);
    img.fill(Qt::magenta);
    w.render(&img);
    return img;
}

// Pixels of exactly this colour inside r.
inline int countColour(const QImage& img, const QRect& r, QRgb colour) {
    int n = 0;
    for (int y = r.top(); y <= r.bottom(); ++y)
        for (int x = r.left(); x <= r.right(); ++x)
            if ((img.pixel(x, y) & 0xFFFFFF) == (colour & 0xFFFFFF))
                ++n;
    return n;
}

} // namespace wavix::test
