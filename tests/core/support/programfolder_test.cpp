#include "core/support/programfolder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace wavix {
namespace {

TEST(ProgramFolder, FolderOfKeepsTheTrailingSlash) {
    const std::pair<const char*, const char*> cases[] = {
        {"/opt/wavix/bin/wavix", "/opt/wavix/bin/"},
        {"/wavix", "/"},
        {"/opt/wavix/", "/opt/wavix/"},
        {"wavix", ""},
        {"", ""},
    };
    for (const auto& [file, folder] : cases)
        EXPECT_EQ(FolderOf(file), folder) << file;
}

TEST(ProgramFolder, IsTheFolderOfTheRunningTestProgram) {
    const auto folder = ProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), '/');
    EXPECT_TRUE(std::filesystem::is_directory(folder));
    if (const char* bin = std::getenv("WAVIX_BIN_DIR")) {
        EXPECT_TRUE(std::filesystem::equivalent(folder, bin));
    }
}

} // namespace
} // namespace wavix
