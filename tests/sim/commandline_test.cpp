#include "sim/simcommandline.h"

#include <gtest/gtest.h>

namespace wavix {
namespace {

SimCommandLine parse(QStringList args) {
    args.prepend("vexor-sim");
    return ParseSimCommandLine(args);
}

TEST(SimCommandLine, DefaultsAFullSetAndHelp) {
    const SimCommandLine d = parse({});
    ASSERT_EQ(d.outcome, SimCommandLine::Outcome::Run);
    EXPECT_EQ(d.options.address, "127.0.0.2");
    EXPECT_EQ(d.options.port, 10000);
    EXPECT_EQ(d.options.module.maxGroupPackets, 0u); // whole groups
    EXPECT_FALSE(d.options.replyPort);

    const SimCommandLine s =
        parse({"--addr",          "127.0.0.3", "--port",       "12000",       "--module",       "0x61",
               "--password",      "65535",     "--loss",       "0.25",        "--silent-after", "7",
               "--restart-every", "30",        "--old-module", "--no-pacing", "--seed",         "99",
               "--link-rate",     "10",        "--reply-port", "12001"});
    ASSERT_EQ(s.outcome, SimCommandLine::Outcome::Run) << s.text.toStdString();
    EXPECT_EQ(s.options.port, 12000);
    EXPECT_EQ(s.options.replyPort, 12001);
    EXPECT_EQ(s.options.module.moduleNum, 0x61);
    EXPECT_EQ(s.options.module.password, 65535);
    EXPECT_DOUBLE_EQ(s.options.faults.loss, 0.25);
    EXPECT_EQ(s.options.silentAfter, 7u);
    EXPECT_DOUBLE_EQ(s.options.restartEverySeconds, 30.0);
    EXPECT_TRUE(s.options.module.oldModule);
    EXPECT_TRUE(s.options.noPacing);
    EXPECT_TRUE(s.options.module.instant);
    EXPECT_EQ(s.options.module.seed, 99u);
    EXPECT_DOUBLE_EQ(s.options.linkRateBitsPerSecond, 10e6);
    EXPECT_FALSE(s.options.filesDir);
    EXPECT_EQ(parse({"--files", "/tmp"}).options.filesDir, "/tmp");
    EXPECT_EQ(parse({"--max-group-packets", "511"}).options.module.maxGroupPackets, 511u);
    const SimCommandLine paced = parse({"--instant-captures"});
    EXPECT_TRUE(paced.options.module.instant);
    EXPECT_FALSE(paced.options.noPacing);
    EXPECT_EQ(parse({"--help"}).outcome, SimCommandLine::Outcome::Help);
}

class SimCommandLineRejects : public ::testing::TestWithParam<QStringList> {};

TEST_P(SimCommandLineRejects, WithAReason) {
    const SimCommandLine r = parse(GetParam());
    EXPECT_EQ(r.outcome, SimCommandLine::Outcome::Error);
    EXPECT_FALSE(r.text.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    BadValues, SimCommandLineRejects,
    ::testing::Values(QStringList{"--port", "0"}, QStringList{"--port", "70000"},
                      QStringList{"--addr", "nowhere"}, QStringList{"--loss", "1.5"},
                      QStringList{"--garbage", "-0.1"}, QStringList{"--loss", "x"},
                      QStringList{"--password", "65536"}, QStringList{"--module", "0x10000"},
                      QStringList{"--restart-every", "0"}, QStringList{"--silent-after", "-1"},
                      QStringList{"--link-rate", "0"}, QStringList{"--max-group-packets", "0"},
                      QStringList{"--max-group-packets", "x"}, QStringList{"--bogus"}, QStringList{"stray"},
                      QStringList{"--reply-port", "0"}, QStringList{"--files", "/nonexistent/wavix-logs"}));

} // namespace
} // namespace wavix
