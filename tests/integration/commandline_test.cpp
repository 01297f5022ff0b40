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

} // namespace
} // namespace wavix::test
