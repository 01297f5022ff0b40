#pragma once
// One QApplication per ui test program. It must end in gtest's teardown, before
// the exit handlers run: Qt's globals (and the input devices that simulated
// mouse events create) would otherwise outlive their registry and crash.

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QWidget>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

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

// The language files of the source tree.
inline const std::filesystem::path kLangDir =
    std::filesystem::path(__FILE__).parent_path().parent_path().parent_path() / "data" / "Lang";

// The named child of a window; a test failure when there is none.
template <typename W> W* child(const QWidget& w, const char* name) {
    auto* c = w.findChild<W*>(QString::fromLatin1(name));
    EXPECT_NE(c, nullptr) << name;
    return c;
}

// Saves a picture under WAVIX_SHOT_DIR, when set.
inline void shoot(const QImage& image, const std::string& name) {
    const char* dir = std::getenv("WAVIX_SHOT_DIR");
    if (dir != nullptr && *dir != '\0' && QDir().mkpath(QString::fromLocal8Bit(dir)))
        image.save(QString::fromLocal8Bit(dir) + QLatin1Char('/') + QString::fromStdString(name));
}
inline void shoot(QWidget& widget, const std::string& name) { shoot(widget.grab().toImage(), name); }

} // namespace wavix::test
