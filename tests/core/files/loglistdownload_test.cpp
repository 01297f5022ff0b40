#include "core/files/loglistdownload.h"
#include "core/support/messagecodes.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace wavix {
namespace {

using Kind = LogDownloadAction::Kind;
using Result = CReceivedFile::SaveResult;

std::vector<Kind> kinds(const LogDownloadActions& actions) {
    std::vector<Kind> out;
    for (const auto& a : actions)
        out.push_back(a.kind);
    return out;
}

const LogDownloadAction* find(const LogDownloadActions& actions, Kind kind) {
    for (const auto& a : actions)
        if (a.kind == kind)
            return &a;
    return nullptr;
}

// Plays the tester during the listing: files by number with their sizes; an
// absent file answers with `absentCode` (EntryFailed or NoSuchFile).
class LogListDownloadTest : public ::testing::Test {
protected:
    CLogListDownload model{"/logs", [this](const std::filesystem::path& p) { return existing.count(p) > 0; }};
    std::set<std::filesystem::path> existing;
    std::vector<std::string> asked;

    void list(const std::map<int, std::uint32_t>& files,
              ReceivedFileNotice absentCode = ReceivedFileNotice::NoSuchFile) {
        auto actions = model.BeginListing();
        for (int guard = 0; guard < 50 && !actions.empty(); ++guard) {
            const auto* ask = find(actions, Kind::AskFileEntry);
            if (ask == nullptr) {
                ASSERT_EQ(kinds(actions), std::vector<Kind>{Kind::WaitThenProbe});
                EXPECT_EQ(actions[0].delayMs, 100u);
                actions = model.OnProbeDelayElapsed();
                continue;
            }
            asked.push_back(ask->name);
            const int number = std::stoi(ask->name.substr(6, 2));
            const auto it = files.find(number);
            actions = it != files.end()
                          ? model.OnReceivedFile(0, Encode(ReceivedFileNotice::EntryRead), it->second)
                          : model.OnReceivedFile(0, Encode(absentCode), 0);
        }
        ASSERT_EQ(model.GetPhase(), CLogListDownload::Phase::Listed);
    }
};

TEST_F(LogListDownloadTest, ListingAsksAllTenNamesWhateverTheAbsenceCode) {
    for (const ReceivedFileNotice absent :
         {ReceivedFileNotice::EntryFailed, ReceivedFileNotice::NoSuchFile}) {
        asked.clear();
        list({{1, 100}, {2, 200}, {3, 300}}, absent);
        ASSERT_EQ(asked.size(), 10u) << "absence code " << Encode(absent);
        EXPECT_EQ(asked.front(), "osclog01.sdf");
        EXPECT_EQ(asked.back(), "osclog10.sdf");
        EXPECT_EQ(model.Found(),
                  (std::vector<CLogListDownload::FoundFile>{
                      {"osclog01.sdf", 0, 100}, {"osclog02.sdf", 1, 200}, {"osclog03.sdf", 2, 300}}));
        EXPECT_TRUE(model.DownloadEnabled());
        EXPECT_EQ(model.MessageText(), "Nalezeno 3 souborů.\nPro stažení stiskněte Download.");
        EXPECT_EQ(model.FileCountText(), "Nalezeno: 3");
    }
}

// Every file found starts chosen; Download fetches the chosen ones by their
// recorded names, and nothing when none is chosen.
TEST_F(LogListDownloadTest, GapsInTheNumberingLoseNothingAndDownloadTheChosenNames) {
    list({{3, 10}, {7, 2048}, {9, 7}, {10, 5}});
    ASSERT_EQ(model.Found().size(), 4u);
    EXPECT_EQ(model.Found()[1].number, 6);
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_TRUE(model.IsChosen(i)) << i;
        model.SetChosen(i, false);
    }
    EXPECT_TRUE(model.OnDownloadPressed().empty());
    EXPECT_EQ(model.GetPhase(), CLogListDownload::Phase::Listed);
    model.SetChosen(0, true);
    model.SetChosen(1, true);
    model.SetChosen(3, true);
    model.SetChosen(4, true); // no such entry

    std::vector<std::string> fetched;
    auto actions = model.OnDownloadPressed();
    while (const auto* ask = find(actions, Kind::AskFileContents)) {
        fetched.push_back(ask->name);
        actions = model.OnReceivedFile(0, Encode(ReceivedFileNotice::FileComplete), 0);
        const auto* write = find(actions, Kind::WriteFile);
        ASSERT_NE(write, nullptr);
        EXPECT_EQ(write->path, std::filesystem::path("/logs") / fetched.back());
        EXPECT_EQ(write->size, model.Found()[fetched.size() - 1].size);
        actions = model.OnFileWritten(Result::kSaved);
    }
    EXPECT_EQ(fetched, (std::vector<std::string>{"osclog03.sdf", "osclog07.sdf", "osclog10.sdf"}));
    EXPECT_EQ(model.Saved(), (std::vector<std::filesystem::path>{"/logs/osclog03.sdf", "/logs/osclog07.sdf",
                                                                 "/logs/osclog10.sdf"}));
    EXPECT_EQ(model.GetPhase(), CLogListDownload::Phase::Done);
    EXPECT_EQ(model.MessageText(), "Stahování dokončeno.");
    EXPECT_FALSE(model.IsBusy());
    EXPECT_TRUE(model.CloseEnabled());
}

TEST_F(LogListDownloadTest, EmptyTesterAndSilentTesterEndTheListing) {
    list({});
    EXPECT_EQ(asked.size(), 10u);
    EXPECT_EQ(model.MessageText(), "V přístroji nejsou žádné logy.");
    EXPECT_FALSE(model.DownloadEnabled());
    EXPECT_TRUE(model.OnDownloadPressed().empty());

    model.BeginListing();
    EXPECT_EQ(kinds(model.OnReceivedFile(0, Encode(ReceivedFileNotice::EntryRead), 9)),
              std::vector<Kind>{Kind::WaitThenProbe});
    model.OnProbeDelayElapsed();
    const auto actions = model.OnReceivedFile(0x8046, Encode(ReceivedFileNotice::ReplyTimedOut), 0);
    ASSERT_EQ(kinds(actions), std::vector<Kind>{Kind::ShowError});
    EXPECT_EQ(actions[0].text, "Soubor se nepodařilo stáhnout.\nPřístroj neodpovídá.");
    EXPECT_EQ(model.GetPhase(), CLogListDownload::Phase::Listed);
    EXPECT_TRUE(model.DownloadEnabled()) << "what was found stays downloadable";
}

TEST_F(LogListDownloadTest, KilobyteCountersAndProgressText) {
    struct Case {
        std::uint32_t size;
        std::uint32_t kb;
    };
    for (const Case c : {Case{1025, 2}, Case{1024, 1}, Case{0, 0}, Case{0xFFFFFFFF, 4194304}}) {
        list({{1, c.size}});
        model.OnDownloadPressed();
        EXPECT_EQ(model.KilobytesTotal(), c.kb) << c.size;
    }
    list({{1, 3000}, {2, 10}});
    model.OnDownloadPressed();
    EXPECT_EQ(model.StatusText(), "Soubor osclog01.sdf?");
    model.OnLinkTraffic(EncodeFileLink(1, FileLinkNotice::Sent)); // a request going out is no block
    model.OnLinkTraffic(EncodeFileLink(1, FileLinkNotice::Received));
    model.OnLinkTraffic(EncodeFileLink(1, FileLinkNotice::Received));
    EXPECT_EQ(model.KilobytesReceived(), 2u);
    EXPECT_EQ(model.StatusText(), "Soubor osclog01.sdf (1/2), přijato kB 2/3.");
    // Blocks of another size: the payload bytes count from then on, not the datagrams.
    model.OnReceivedFile(2000, Encode(ReceivedFileNotice::PacketStored), 0);
    model.OnLinkTraffic(EncodeFileLink(1, FileLinkNotice::Received));
    model.OnReceivedFile(600, Encode(ReceivedFileNotice::PacketStored), 0);
    EXPECT_EQ(model.KilobytesReceived(), 3u);
    EXPECT_EQ(model.StatusText(), "Soubor osclog01.sdf (1/2), přijato kB 3/3.");
    model.OnReceivedFile(0, Encode(ReceivedFileNotice::FileComplete), 0);
    model.OnFileWritten(Result::kSaved);
    EXPECT_EQ(model.KilobytesReceived(), 0u);
    EXPECT_EQ(model.KilobytesTotal(), 1u);
    EXPECT_EQ(model.StatusText(), "Soubor osclog02.sdf?");
}

TEST_F(LogListDownloadTest, OverwriteQuestionFlow) {
    list({{1, 10}, {2, 20}, {3, 30}});
    existing = {"/logs/osclog01.sdf", "/logs/osclog02.sdf", "/logs/mine.sdf"};
    model.OnDownloadPressed();

    // 01 exists: Yes keeps the path.
    auto actions = model.OnReceivedFile(0, Encode(ReceivedFileNotice::FileComplete), 0);
    ASSERT_EQ(kinds(actions), std::vector<Kind>{Kind::AskOverwrite});
    EXPECT_EQ(actions[0].text, "Soubor již existuje. Chcete soubor přepsat?");
    EXPECT_EQ(actions[0].caption, " .: Info ... ");
    actions = model.OnOverwriteAnswer(true);
    ASSERT_EQ(kinds(actions), std::vector<Kind>{Kind::WriteFile});
    EXPECT_EQ(actions[0].path, "/logs/osclog01.sdf");
    model.OnFileWritten(Result::kSaved);

    // 02 exists: No, then a chosen file that exists too, No, then cancel.
    model.OnReceivedFile(0, Encode(ReceivedFileNotice::FileComplete), 0);
    actions = model.OnOverwriteAnswer(false);
    ASSERT_EQ(kinds(actions), std::vector<Kind>{Kind::ChooseFile});
    EXPECT_EQ(actions[0].name, "osclog02.sdf");
    EXPECT_EQ(actions[0].path, "/logs");
    EXPECT_EQ(kinds(model.OnFileChosen(std::filesystem::path("/logs/mine.sdf"))),
              std::vector<Kind>{Kind::AskOverwrite});
    model.OnOverwriteAnswer(false);
    actions = model.OnFileChosen(std::nullopt);
    ASSERT_EQ(kinds(actions),
              (std::vector<Kind>{Kind::ShowInfo, Kind::ResetReceivedFile, Kind::AskFileContents}));
    EXPECT_EQ(actions[0].text, "Soubor nebyl uložen.");
    EXPECT_EQ(actions[2].name, "osclog03.sdf");

    // 03 is new: a chosen path is not needed.
    actions = model.OnReceivedFile(0, Encode(ReceivedFileNotice::FileComplete), 0);
    ASSERT_EQ(kinds(actions), std::vector<Kind>{Kind::WriteFile});
    EXPECT_EQ(kinds(model.OnFileWritten(Result::kSaved)), std::vector<Kind>{Kind::ResetReceivedFile});
    EXPECT_EQ(model.MessageText(), "Stahování dokončeno.") << "declining is the user's choice, not a failure";
    EXPECT_EQ(model.Saved(),
              (std::vector<std::filesystem::path>{"/logs/osclog01.sdf", "/logs/osclog03.sdf"}));
}

TEST_F(LogListDownloadTest, FailuresAreReportedAndNeverShownAsDone) {
    struct Case {
        const char* what;
        std::function<LogDownloadActions(CLogListDownload&)> fail;
        const char* detail;
    };
    const Case cases[] = {
        {"write",
         [](CLogListDownload& m) {
             m.OnReceivedFile(0, Encode(ReceivedFileNotice::FileComplete), 0);
             return m.OnFileWritten(Result::kWriteFailed);
         },
         "Soubor se nepodařilo zapsat na disk."},
        {"size",
         [](CLogListDownload& m) {
             m.OnReceivedFile(0, Encode(ReceivedFileNotice::FileComplete), 0);
             return m.OnFileWritten(Result::kSizeMismatch);
         },
         "Velikost přijatého souboru nesouhlasí s přístrojem."},
        {"time-out",
         [](CLogListDownload& m) {
             return m.OnReceivedFile(0x8047, Encode(ReceivedFileNotice::ReplyTimedOut), 0);
         },
         "Přístroj neodpovídá."},
    };
    for (const auto& c : cases) {
        list({{1, 10}, {2, 20}});
        model.OnDownloadPressed();
        const auto actions = c.fail(model);
        ASSERT_EQ(kinds(actions),
                  (std::vector<Kind>{Kind::ShowError, Kind::ResetReceivedFile, Kind::AskFileContents}))
            << c.what;
        EXPECT_EQ(actions[0].text, std::string("Soubor se nepodařilo stáhnout.\n") + c.detail);
        EXPECT_EQ(actions[0].caption, ".: Error ...");
        model.OnReceivedFile(0, Encode(ReceivedFileNotice::FileComplete), 0);
        model.OnFileWritten(Result::kSaved);
        EXPECT_EQ(model.GetPhase(), CLogListDownload::Phase::Done);
        EXPECT_EQ(model.MessageText(), "Stahování skončilo s chybami.") << c.what;
    }
}

} // namespace
} // namespace wavix
