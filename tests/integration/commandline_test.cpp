// `wavix --help`, `--version` and `--data-tree` answer on a machine without any
// display; an installed copy makes its per-user data tree on the first start.

#include "platform/qtsupport.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace wavix::test {
namespace {

class WavixCommandLine : public QtFixture {};

TEST_F(WavixCommandLine, HelpAndVersionNeedNoDisplay) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QString::fromLatin1(name));
    const struct {
        const char* option;
        const char* says;
    } cases[] = {{"--help", "Usage: wavix [options]"}, {"-h", "--screenshot <file>"}, {"--version", "wavix 0."}};
    for (const auto& c : cases) {
        QProcess wavix;
        wavix.setProcessEnvironment(env);
        wavix.start(qEnvironmentVariable("WAVIX_BIN_DIR") + "/wavix", {QString::fromLatin1(c.option)});
        ASSERT_TRUE(wavix.waitForFinished(20000)) << c.option;
        const QByteArray out = wavix.readAllStandardOutput();
        EXPECT_EQ(wavix.exitStatus(), QProcess::NormalExit) << c.option;
        EXPECT_EQ(wavix.exitCode(), 0) << c.option << ": " << wavix.readAllStandardError().toStdString();
        EXPECT_TRUE(out.contains(c.says)) << c.option << ": " << out.toStdString();
    }
}

// The built program copied into PREFIX/bin beside a shipped tree in
// PREFIX/share/wavix/Data, for a user whose home is a scratch folder.
TEST_F(WavixCommandLine, InstalledCopyMakesItsUserTreeOnce) {
    QTemporaryDir root;
    const QString bin = root.path() + "/usr/bin";
    const QString shipped = root.path() + "/usr/share/wavix/Data";
    ASSERT_TRUE(QDir().mkpath(bin) && QDir().mkpath(shipped + "/Settings") &&
                QDir().mkpath(root.path() + "/home"));
    ASSERT_TRUE(QFile::copy(qEnvironmentVariable("WAVIX_BIN_DIR") + "/wavix", bin + "/wavix"));
    ASSERT_TRUE(QFile::copy(qEnvironmentVariable("WAVIX_BIN_DIR") + "/../Data/Settings/General.ini",
                            shipped + "/Settings/General.ini"));
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "XDG_DATA_HOME"})
        env.remove(QString::fromLatin1(name));
    env.insert("HOME", root.path() + "/home");
    const QString tree = root.path() + "/home/.local/share/wavix/Data/";
    // Said once, on the start that made the tree.
    const QString made = QString("wavix: data tree %1 created from %2/ (files: 1)\n").arg(tree, shipped);
    for (const QString& said : {made, QString()}) {
        QProcess wavix;
        wavix.setProcessEnvironment(env);
        wavix.start(bin + "/wavix", {"--data-tree"});
        ASSERT_TRUE(wavix.waitForFinished(20000));
        EXPECT_EQ(wavix.exitCode(), 0);
        EXPECT_EQ(QString::fromUtf8(wavix.readAllStandardOutput()), tree + "\n");
        EXPECT_EQ(QString::fromUtf8(wavix.readAllStandardError()), said);
    }
    EXPECT_TRUE(QFile::exists(tree + "Settings/General.ini"));
}

} // namespace
} // namespace wavix::test
