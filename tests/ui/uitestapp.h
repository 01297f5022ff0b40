#pragma once
// One QApplication per ui test program. It must end in gtest's teardown, before
// the exit handlers run: Qt's globals (and the input devices that simulated
// mouse events create) would otherwise outlive their registry and crash.

#include <QApplication>

#include <gtest/gtest.h>

#include <memory>

namespace wavix::test {

class QtAppEnvironment : public ::testing::Environment {
public:
    static void ensure() {
        static int argc = 1;
        static char name[] = "ui_tests";
        static char* argv[] = {name, nullptr};
        if (QApplication::instance() == nullptr)
            owned() = std::make_unique<QApplication>(argc, argv);
    }
    void SetUp() override { ensure(); }
    void TearDown() override { owned().reset(); }

private:
    static std::unique_ptr<QApplication>& owned() {
        static std::unique_ptr<QApplication> app;
        return app;
    }
};

// gtest owns its environments.
inline ::testing::Environment* const kQtAppEnvironment =
    ::testing::AddGlobalTestEnvironment(new QtAppEnvironment);

inline void ensureApp() {
    QtAppEnvironment::ensure();
}

inline QApplication& app() {
    ensureApp();
    return *static_cast<QApplication*>(QApplication::instance());
}

} // namespace wavix::test
