// The roll-log command and the saving of a capture, as the user meets them:
// the refusal outside roll mode, every question and the answer that stops,
// the file that is written, and the look that comes and goes with the log.

#include "core/app/capturesave.h"
#include "core/app/controllerharness.h"
#include "core/app/rolllogcommand.h"
#include "core/scope/scopedata.h"
#include "core/support/strformat.h"
#include "core/tempdir.h"

#include <gtest/gtest.h>

#include <deque>
#include <regex>

namespace wavix {
namespace {

// Boxes answer from a script (Yes when it runs out) and are recorded.
class AnsweringView : public test::RecordingView {
public:
    AnsweringView() : RecordingView(self_) {}
    BoxAnswer MessageBox(std::string_view caption, std::string_view text, BoxIcon icon,
                         BoxButtons buttons) override {
        RecordingView::MessageBox(caption, text, icon, buttons);
        if (buttons == BoxButtons::Ok)
            return BoxAnswer::Ok;
        if (answers.empty())
            return BoxAnswer::Yes;
        const BoxAnswer a = answers.front();
        answers.pop_front();
        return a;
    }
    std::deque<BoxAnswer> answers;

private:
    CRecordingTarget self_;
};

tOscilExchange record(std::uint16_t mode) {
    tOscilExchange r = DefaultOscilExchange();
    r.version = 2;
    r.chann_num = 2;
    r.time_base_ENUM = 10;
    r.samples_all = SamplesPerStep(10);
    r.TR_mode = mode;
    return r;
}

class RollLogCommand : public ::testing::Test {
protected:
    void accept(std::uint16_t mode) { ASSERT_EQ(data.AcceptSettings(record(mode)), AcceptResult::Accepted); }
    std::vector<std::string> boxTexts() const {
        std::vector<std::string> t;
        for (const auto& b : view.boxes)
            t.push_back(b.text);
        return t;
    }

    test::TempDir dir;
    AnsweringView view;
    CMainTexts texts;
    CScopeData data;
    std::vector<std::filesystem::path> chooserFolders;
    std::optional<SaveChoice> choice;
    std::vector<bool> looks;
    CRollLogCommand command{view, texts,
                            [this](const std::filesystem::path& folder) {
                                chooserFolders.push_back(folder);
                                return choice;
                            },
                            [this](bool on) { looks.push_back(on); }};
};

TEST_F(RollLogCommand, EachAnswerThatStopsLeavesNoLogAndNoLook) {
    accept(TM_FREE);
    const std::string dataDir = dir.path().string() + "/";
    // No to the size warning: the dialog never opens.
    view.answers = {BoxAnswer::No};
    command.Toggle(data, dataDir);
    EXPECT_TRUE(chooserFolders.empty());
    // Cancel in the dialog.
    command.Toggle(data, dataDir);
    ASSERT_EQ(chooserFolders.size(), 1u);
    EXPECT_EQ(chooserFolders[0], dir.path() / "Scope/LogCharts/");
    EXPECT_TRUE(std::filesystem::is_directory(chooserFolders[0]));
    // An existing file and No to overwriting it: the file stays as it was.
    choice = SaveChoice{"x", chooserFolders[0] / "old.sdf"};
    test::writeFile(choice->path, "keep");
    view.answers = {BoxAnswer::Yes, BoxAnswer::No};
    command.Toggle(data, dataDir);
    EXPECT_EQ(view.boxes.back().text, texts.Get("TXT_111"));
    EXPECT_EQ(view.boxes.back().caption, " .: Info ... ");
    EXPECT_EQ(test::readFile(choice->path), "keep");
    EXPECT_FALSE(command.IsOpen());
    EXPECT_FALSE(command.IsCalibrationLocked());
    EXPECT_TRUE(looks.empty());
}

TEST_F(RollLogCommand, ALogRunsFromTheFirstCommandToTheSecondAndLocksCalibration) {
    accept(TM_FREE);
    choice = SaveChoice{"Idle run", dir.path() / "Scope/LogCharts/run.sdf"};
    command.Toggle(data, dir.path().string() + "/");
    ASSERT_TRUE(command.IsOpen());
    EXPECT_EQ(boxTexts(), std::vector<std::string>{texts.Get("TXT_108")});
    EXPECT_EQ(view.boxes[0].caption, ".: Roll capture ...");
    EXPECT_EQ(looks, std::vector<bool>{true});
    EXPECT_TRUE(command.IsCalibrationLocked());

    // The status counts the recorded samples (20 kHz here) and the bytes on disk.
    EXPECT_EQ(command.StatusText(),
              "Záznam logu: 00:00:00, " + FormatByteSize(std::filesystem::file_size(choice->path)));
    command.Append(100);
    command.Append(250);
    for (int i = 0; i < 3; ++i)
        command.Append(20000);
    const std::string status = command.StatusText();
    EXPECT_TRUE(std::regex_match(status, std::regex("Záznam logu: 00:00:03, 23[0-9]\\.[0-9] kB"))) << status;
    command.Toggle(data, dir.path().string() + "/");
    EXPECT_FALSE(command.IsOpen());
    EXPECT_EQ(command.StatusText(), "");
    // The end box names the file, how long it runs and how big it is.
    EXPECT_EQ(view.boxes.back().text, "Logování v Roll režimu bylo ukončeno.\n\nSoubor: " +
                                          choice->path.string() + "\nDélka záznamu: 00:00:03\nVelikost: " +
                                          FormatByteSize(std::filesystem::file_size(choice->path)));
    EXPECT_EQ(looks, (std::vector<bool>{true, false}));
    EXPECT_TRUE(command.IsCalibrationLocked());

    CScopeFile file;
    ASSERT_TRUE(file.Load(choice->path));
    EXPECT_EQ(file.GetHeaderText(), "Idle run");
    EXPECT_EQ(file.GetChannelCount(), 2);
    EXPECT_EQ(file.GetLogSamplesPerChannel(), 60350u);
}

TEST(ByteSize, EachUnitFromItsFirstByte) {
    const std::pair<std::uint64_t, const char*> cases[] = {
        {0, "0 B"},       {1023, "1023 B"},    {1024, "1.0 kB"},
        {1536, "1.5 kB"}, {1048576, "1.0 MB"}, {1073741824ull * 5 / 4, "1.25 GB"},
    };
    for (const auto& [bytes, text] : cases)
        EXPECT_EQ(FormatByteSize(bytes), text) << bytes;
}

TEST_F(RollLogCommand, ARecordChangeEndsTheLogWithoutABox) {
    accept(TM_FREE);
    choice = SaveChoice{"", dir.path() / "Scope/LogCharts/quiet.sdf"};
    command.Toggle(data, dir.path().string() + "/");
    ASSERT_TRUE(command.IsOpen());
    const std::size_t boxes = view.boxes.size();
    command.Append(40);
    // The same record again after a restarted link: the recording goes on, the gap marked.
    command.EndIfChanged(data.GetSettings());
    EXPECT_TRUE(command.IsOpen());
    command.Append(30);
    tOscilExchange other = data.GetSettings();
    ++other.time_base_ENUM;
    command.EndIfChanged(other);
    EXPECT_FALSE(command.IsOpen());
    EXPECT_EQ(view.boxes.size(), boxes);
    EXPECT_EQ(looks, (std::vector<bool>{true, false}));
    command.Append(10); // a late group after the end goes nowhere

    CScopeFile file;
    std::vector<LogMark> marks;
    ASSERT_TRUE(file.Load(choice->path, &marks));
    EXPECT_EQ(file.GetLogSamplesPerChannel(), 70u);
    EXPECT_EQ(marks, (std::vector<LogMark>{{1, 40, 2}}));
}

TEST_F(RollLogCommand, NoDataDirectoryIsReportedBeforeTheDialog) {
    accept(TM_FREE);
    command.Toggle(data, (dir / "nowhere").string());
    EXPECT_EQ(view.boxes.back().text, " Data directory not found ... ");
    EXPECT_EQ(view.boxes.back().caption, " .: ERROR ... ");
    EXPECT_TRUE(chooserFolders.empty());
}

TEST_F(RollLogCommand, SavingACaptureAsksBeforeOverwritingAndNoChoosesAgain) {
    accept(TM_AUTO);
    const CChannelData* channels[] = {&data.GetChannel(1), &data.GetChannel(2)};
    const auto folder = dir.path() / "Scope/UserCharts/";
    std::filesystem::create_directories(folder);
    test::writeFile(folder / "old.sdf", "keep");
    std::deque<SaveChoice> choices = {{"first", folder / "old.sdf"}, {"second", folder / "new.sdf"}};
    const SaveChooser chooser = [&](const std::filesystem::path& f) -> std::optional<SaveChoice> {
        EXPECT_EQ(f, folder);
        if (choices.empty())
            return std::nullopt;
        SaveChoice c = choices.front();
        choices.pop_front();
        return c;
    };
    view.answers = {BoxAnswer::No};
    EXPECT_EQ(
        SaveCaptureAsChart(view, chooser, dir.path().string() + "/", channels, {"overwrite?", "failed"}),
        CaptureSaveResult::Saved);
    EXPECT_EQ(boxTexts(), std::vector<std::string>{"overwrite?"});
    EXPECT_EQ(test::readFile(folder / "old.sdf"), "keep");
    CScopeFile saved;
    ASSERT_TRUE(saved.Load(folder / "new.sdf"));
    EXPECT_EQ(saved.GetHeaderText(), "second");
    EXPECT_EQ(saved.GetChannelCount(), 2);

    // Yes overwrites; a view without channels cannot be saved and says so.
    choices = {{"third", folder / "old.sdf"}};
    EXPECT_EQ(
        SaveCaptureAsChart(view, chooser, dir.path().string() + "/", channels, {"overwrite?", "failed"}),
        CaptureSaveResult::Saved);
    ASSERT_TRUE(saved.Load(folder / "old.sdf"));
    EXPECT_EQ(saved.GetHeaderText(), "third");
    choices = {{"none", folder / "empty.sdf"}};
    EXPECT_EQ(SaveCaptureAsChart(view, chooser, dir.path().string() + "/", {}, {"overwrite?", "failed"}),
              CaptureSaveResult::Failed);
    EXPECT_EQ(view.boxes.back().text, "failed");
    EXPECT_FALSE(std::filesystem::exists(folder / "empty.sdf"));
}

} // namespace
} // namespace wavix
