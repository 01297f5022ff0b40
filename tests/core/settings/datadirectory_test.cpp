#include "core/settings/datadirectory.h"

#include "core/tempdir.h"

#include <gtest/gtest.h>

namespace wavix {
namespace {

class DataDirectoryTest : public ::testing::Test {
protected:
    // program lives in <tmp>/a/b/bin/
    DataDirectoryTest() : bin((tmp / "a/b/bin").string() + "/") { std::filesystem::create_directories(bin); }
    void makeDir(const std::string& rel) { std::filesystem::create_directories(tmp / rel); }

    test::TempDir tmp;
    std::string bin;
};

TEST_F(DataDirectoryTest, NearestDataFolderWins) {
    makeDir("a/Data");
    EXPECT_EQ(FindDataDirectory(bin), bin + "../../Data/");
    makeDir("a/b/Data");
    EXPECT_EQ(FindDataDirectory(bin), bin + "../Data/");
    makeDir("a/b/bin/Data");
    EXPECT_EQ(FindDataDirectory(bin), bin + "Data/");
    EXPECT_EQ(FindDataDirectory((tmp / "a/b/bin").string()), bin + "Data/");
}

TEST_F(DataDirectoryTest, MissingOrFileNamedDataIsNotFound) {
    EXPECT_EQ(FindDataDirectory(bin), "");
    test::writeFile(tmp / "a/b/bin/Data", "not a folder");
    EXPECT_EQ(FindDataDirectory(bin), "");
    // No program folder must not mean "search the current folder".
    EXPECT_EQ(FindDataDirectory(std::string()), "");
}

TEST_F(DataDirectoryTest, SubFoldersMustExist) {
    makeDir("a/b/bin/Data/Settings");
    const std::string data = FindDataDirectory(bin);
    EXPECT_EQ(SettingsFolder(data), data + "Settings/");
    EXPECT_EQ(LangFolder(data), "");
    EXPECT_EQ(SettingsFolder(""), "");
    makeDir("a/b/bin/Data/Scope/ScopeProbes");
    EXPECT_EQ(DataSubFolder(data, kScopeProbesFolder), data + "Scope/ScopeProbes/");
}

} // namespace
} // namespace wavix
