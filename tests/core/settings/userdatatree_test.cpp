#include "core/settings/userdatatree.h"

#include "core/tempdir.h"

#include <gtest/gtest.h>

#include <functional>

namespace wavix {
namespace {

namespace fs = std::filesystem;

constexpr auto kReadOnly = fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read;
constexpr auto kReadOnlyFolder =
    kReadOnly | fs::perms::owner_exec | fs::perms::group_exec | fs::perms::others_exec;
constexpr auto kUserFile = kReadOnly | fs::perms::owner_write;
constexpr auto kUserFolder = kReadOnlyFolder | fs::perms::owner_write;

// An installed program: <tmp>/usr/bin/ with a read-only tree in
// <tmp>/usr/share/wavix/Data/ and the user's home in <tmp>/home/.
class UserDataTree : public ::testing::Test {
protected:
    UserDataTree() {
        fs::create_directories(bin);
        ship("Settings/General.ini", "[Net]\nReaderPort=10000\n");
        ship("Lang/English.lng", "[LANG]\n");
        ship("Scope/SampleCharts/idle.sdf", std::string("\0\1sdf", 5));
        fs::create_directories(shipped / "Scope/LogCharts");
        fs::create_directories(home);
        lockShipped();
    }
    ~UserDataTree() override {
        // The temporary folder must be removable again.
        std::error_code ec;
        for (auto it = fs::recursive_directory_iterator(tmp.path(), ec);
             it != fs::recursive_directory_iterator(); it.increment(ec))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    }

    void ship(const std::string& rel, const std::string& content) {
        if (fs::exists(shipped))
            fs::permissions(shipped, fs::perms::owner_write, fs::perm_options::add);
        fs::create_directories((shipped / rel).parent_path());
        test::writeFile(shipped / rel, content);
    }
    void lockShipped() {
        for (const auto& entry : fs::recursive_directory_iterator(shipped))
            fs::permissions(entry.path(), entry.is_directory() ? kReadOnlyFolder : kReadOnly);
        fs::permissions(shipped, kReadOnlyFolder);
    }
    DataTreeResult setUp(const std::string& programFolder) const {
        return SetUpDataDirectory(programFolder, {home.string(), ""});
    }
    DataTreeResult setUp() const { return setUp(bin.string() + "/"); }
    std::string userTree() const { return (home / ".local/share/wavix/Data/").string(); }

    test::TempDir tmp;
    fs::path bin = tmp / "usr/bin";
    fs::path shipped = tmp / "usr/share/wavix/Data";
    fs::path home = tmp / "home";
};

// Where the tree is looked for and where it ends up, by layout and environment.
TEST_F(UserDataTree, ChoiceByLayoutAndEnvironment) {
    const std::string root = tmp.path().string();
    const struct Case {
        const char* name;
        std::function<void()> layout;
        std::string program;
        std::string home;
        std::string xdg;
        DataTreeState state;
        std::string dataDir; // below tmp; "" for none
        // "~/x" is x below tmp, anything else is taken as it is.
    } cases[] = {
        {"HOME only",
         {},
         "~/usr/bin/",
         "~/home",
         "",
         DataTreeState::Created,
         "home/.local/share/wavix/Data/"},
        {"XDG_DATA_HOME", {}, "~/usr/bin", "~/home", "~/xdg", DataTreeState::Created, "xdg/wavix/Data/"},
        {"relative XDG_DATA_HOME",
         {},
         "~/usr/bin/",
         "~/home",
         "rel/xdg",
         DataTreeState::Created,
         "home/.local/share/wavix/Data/"},
        {"beside the program wins", [&] { fs::create_directories(bin / "Data"); }, "~/usr/bin/", "~/home",
         "~/xdg", DataTreeState::Beside, "usr/bin/Data/"},
        {"../Data beside wins", [&] { fs::create_directories(tmp / "usr/Data"); }, "~/usr/bin/", "~/home", "",
         DataTreeState::Beside, "usr/bin/../Data/"},
        {"folder not named bin", [&] { fs::create_directories(tmp / "opt/wavix"); }, "~/opt/wavix/", "~/home",
         "", DataTreeState::NotFound, ""},
        {"bin without a shipped tree", [&] { fs::create_directories(tmp / "local/bin"); }, "~/local/bin/",
         "~/home", "", DataTreeState::NotFound, ""},
        {"no HOME", {}, "~/usr/bin/", "", "", DataTreeState::Failed, ""},
        {"relative HOME", {}, "~/usr/bin/", "./home", "", DataTreeState::Failed, ""},
        {"HOME is a file", [&] { test::writeFile(tmp / "file", "x"); }, "~/usr/bin/", "~/file", "",
         DataTreeState::Failed, ""},
        {"tree is a file",
         [&] {
             fs::create_directories(home / ".local/share/wavix");
             test::writeFile(home / ".local/share/wavix/Data", "x");
         },
         "~/usr/bin/", "~/home", "", DataTreeState::Failed, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (const char* made : {"usr/bin/Data", "usr/Data", "home/.local", "xdg", "file"})
            fs::remove_all(tmp / made);
        if (c.layout)
            c.layout();
        const auto abs = [&](const std::string& p) { return p.starts_with("~/") ? root + p.substr(1) : p; };
        const DataTreeResult r = SetUpDataDirectory(abs(c.program), {abs(c.home), abs(c.xdg)});
        EXPECT_EQ(r.state, c.state) << DataTreeReport(r);
        EXPECT_EQ(r.dataDir, c.dataDir.empty() ? "" : root + "/" + c.dataDir);
        EXPECT_EQ(r.problem.empty(), c.state != DataTreeState::Failed) << r.problem;
        EXPECT_FALSE(DataTreeReport(r).empty());
        if (c.state == DataTreeState::Created) {
            EXPECT_EQ(r.filesAdded, 3u);
            EXPECT_EQ(r.shippedDir, shipped.string() + "/");
        }
        if (c.state != DataTreeState::Created) { // nothing made where it is not used
            EXPECT_FALSE(fs::is_directory(home / ".local/share/wavix/Data"));
        }
        // A failed first copy leaves nothing half made beside the tree.
        for (const auto& entry : fs::recursive_directory_iterator(tmp.path()))
            EXPECT_EQ(entry.path().filename().string().find("Data.part"), std::string::npos) << entry.path();
    }
}

// The first start copies the read-only shipped tree into files the user may change.
TEST_F(UserDataTree, FirstStartCopiesEverythingWritable) {
    const DataTreeResult r = setUp();
    ASSERT_EQ(r.state, DataTreeState::Created) << DataTreeReport(r);
    const fs::path tree = r.dataDir;
    for (const char* file : {"Settings/General.ini", "Lang/English.lng", "Scope/SampleCharts/idle.sdf"}) {
        SCOPED_TRACE(file);
        EXPECT_EQ(test::readFile(tree / file), test::readFile(shipped / file));
        EXPECT_EQ(fs::status(tree / file).permissions(), kUserFile);
    }
    for (const char* folder : {"", "Settings", "Scope", "Scope/LogCharts", "Scope/SampleCharts"})
        EXPECT_EQ(fs::status(tree / folder).permissions(), kUserFolder) << folder;
    EXPECT_EQ(fs::status(shipped / "Settings/General.ini").permissions(), kReadOnly);
}

// Later starts add what is missing, at any depth, and never replace the user's files.
TEST_F(UserDataTree, LaterStartsAddOnlyWhatIsMissing) {
    ASSERT_EQ(setUp().state, DataTreeState::Created);
    const fs::path tree = userTree();
    test::writeFile(tree / "Settings/General.ini", "[Net]\nReaderAddres=192.168.1.50\n");
    test::writeFile(tree / "Scope/LogCharts/mine.sdf", "log");
    fs::remove(tree / "Scope/SampleCharts/idle.sdf");
    fs::remove_all(tree / "Lang");
    test::writeFile(tree / "Scope/ScopeProbes", "a file where a folder is shipped");
    ship("Scope/SampleCharts/new/injector.sdf", "new chart");
    ship("Scope/ScopeProbes/probe.txt", "probe");
    ship("Lang/Cestina.lng", "[LANG]\n");
    lockShipped();

    const DataTreeResult later = setUp();
    EXPECT_EQ(later.state, DataTreeState::Added) << DataTreeReport(later);
    EXPECT_EQ(later.filesAdded, 4u); // idle.sdf, new/injector.sdf and both language files
    EXPECT_EQ(later.problem, "");
    EXPECT_EQ(test::readFile(tree / "Settings/General.ini"), "[Net]\nReaderAddres=192.168.1.50\n");
    EXPECT_EQ(test::readFile(tree / "Scope/LogCharts/mine.sdf"), "log");
    EXPECT_EQ(test::readFile(tree / "Scope/ScopeProbes"), "a file where a folder is shipped");
    EXPECT_EQ(test::readFile(tree / "Scope/SampleCharts/new/injector.sdf"), "new chart");
    EXPECT_EQ(fs::status(tree / "Scope/SampleCharts/new").permissions(), kUserFolder);
    EXPECT_EQ(test::readFile(tree / "Lang/Cestina.lng"), "[LANG]\n");
    EXPECT_EQ(test::readFile(tree / "Scope/SampleCharts/idle.sdf"), std::string("\0\1sdf", 5));

    const DataTreeResult again = setUp();
    EXPECT_EQ(again.state, DataTreeState::InUse);
    EXPECT_EQ(again.filesAdded, 0u);
    EXPECT_EQ(again.dataDir, userTree());
}

// A copy that cannot be made is reported; the tree stays usable and whole files stay whole.
TEST_F(UserDataTree, FailedTopUpIsReportedAndKeepsTheTree) {
    ASSERT_EQ(setUp().state, DataTreeState::Created);
    const fs::path tree = userTree();
    fs::remove(tree / "Lang/English.lng");
    // Where the copy is written before it takes its name, something is in the way.
    fs::create_directories(tree / "Lang/.English.lng.part/stuck");
    const DataTreeResult r = setUp();
    EXPECT_EQ(r.state, DataTreeState::InUse);
    EXPECT_EQ(r.dataDir, userTree());
    EXPECT_NE(r.problem.find("English.lng"), std::string::npos) << r.problem;
    EXPECT_NE(DataTreeReport(r).find(r.problem), std::string::npos);
    EXPECT_FALSE(fs::exists(tree / "Lang/English.lng"));
    EXPECT_TRUE(fs::exists(tree / "Settings/General.ini"));

    // The same during the first copy: no tree at all rather than half of one.
    fs::remove_all(home / ".local");
    ship("Lang/" + std::string(251, 'n'), "a name too long for its hidden copy");
    lockShipped();
    const DataTreeResult first = setUp();
    EXPECT_EQ(first.state, DataTreeState::Failed);
    EXPECT_EQ(first.dataDir, "");
    EXPECT_TRUE(fs::is_empty(home / ".local/share/wavix"));
}

} // namespace
} // namespace wavix
