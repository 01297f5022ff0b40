#pragma once
// The chart library's logic without its windows: a flat folder of "*.sdf" charts
// read into records (one scope file per readable chart), the texts of the file
// list and of the selected chart's details, sorting, the hidden edit mode and the
// write-back of edited texts. The scope book, the log chooser and the save dialog
// render what is kept here.

#include "core/files/scopefile.h"
#include "core/settings/builtintexts.h"
#include "core/settings/langtexts.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace wavix {

class CLogTrace;

struct ChartRecord {
    std::filesystem::path path;
    std::unique_ptr<CScopeFile> file;

    std::string Name() const; // file name without folder and extension
};

struct ChartColumns {
    std::string name;
    std::string description;
    std::string duration; // "%02d:%02d:%02.0f"
    std::string date;     // "%d.%m.%Y %H:%M:%S " (with the trailing blank)
    bool operator==(const ChartColumns&) const = default;
};

struct ChartDetailRow {
    std::string item;
    std::string value;
    bool operator==(const ChartDetailRow&) const = default;
};

// The texts of the edit dialog: the chart's description and, per channel A..D,
// a name and a description; only channels present in the chart are enabled.
struct ChartEdit {
    struct Channel {
        bool enabled = false;
        std::string name;
        std::string description;
    };
    std::string description;
    std::array<Channel, kMaxFileChannels> channels;
};

inline constexpr std::string_view kDetailSeparator = "————————";
inline constexpr std::string_view kDetailProbeSeparator = "——";
inline constexpr std::string_view kEditAccessCode = "quvmat";
inline constexpr std::string_view kMsgSelectFirst = "TXT_1510";
inline constexpr std::string_view kMsgEditNotSaved = "TXT_1511";
inline constexpr std::string_view kCaptionError = ".: Error ...";

// Date and duration as the file list shows them.
std::string ChartDateText(const FileTime& t);
// Samples per channel (a log's stream, else the first channel's samples) × sample period.
double ChartDurationSeconds(const CScopeFile& file);
ChartColumns ChartListColumns(const ChartRecord& record);

// Byte-wise, case-sensitive name order; and the later date first (to the second).
bool ChartNameBefore(const ChartRecord& a, const ChartRecord& b);
bool ChartDateBefore(const ChartRecord& a, const ChartRecord& b);

class CChartLibrary {
public:
    static constexpr int kLogFolderMissing = 2;

    // Texts by key, TXT_1000 .. TXT_1022; index = key - 1000.
    enum Text {
        kTitle,
        kChartsGroup,
        kDetailsGroup,
        kColumnFile,
        kColumnDescription,
        kColumnItem,
        kColumnValue,
        kCloseButton,
        kEditButton,
        kLoadSettingsButton,
        kLoadAllButton,
        kItemDescription,
        kItemChannelCount,
        kItemTimebase,
        kItemTriggerMode,
        kItemTriggerEdge,
        kItemTriggerLevel,
        kItemChannelName,
        kItemChannelDescription,
        kItemGain,
        kItemCoupling,
        kItemProbe,
        kItemUnits,
        kTextCount
    };

    CChartLibrary();

    bool SetLanguage(const std::filesystem::path& langFile, CLogTrace* trace = nullptr);
    const std::string& GetText(Text t) const { return texts_[static_cast<std::size_t>(t)]; }

    // Reads every readable "*.sdf" directly in the folder (unreadable ones are left
    // out), in name order. False, with an empty list, when the folder does not exist.
    bool List(const std::filesystem::path& folder);
    // The log chooser's listing: kLogFolderMissing when the folder does not exist, else 0.
    int ListLogs(const std::filesystem::path& folder) { return List(folder) ? 0 : kLogFolderMissing; }
    const std::filesystem::path& Folder() const { return folder_; }

    // Rows in list order; the records stay where they are while rows are sorted.
    const std::vector<ChartRecord*>& Rows() const { return rows_; }
    void SortByName();
    void SortByDate();

    // A fresh dialog: no selection, the typed characters forgotten, Edit disabled.
    void Open();
    // The list reported a row; null keeps the selection.
    void Select(ChartRecord* record);
    ChartRecord* Selected() const { return selected_; }
    // The selected chart's detail list, empty without a selection.
    std::vector<ChartDetailRow> DetailRows() const;

    // Typed characters while the dialog is active; true when they completed the access code.
    bool Type(std::string_view typed);
    bool EditEnabled() const { return editEnabled_; }

    // Deletes the chart's file and its row; false (and nothing changed) when the
    // file stays, or the record is not one of this library's.
    bool Remove(const ChartRecord* record);

    static ChartEdit EditFields(const ChartRecord& record);
    static void ApplyEdit(ChartRecord& record, const ChartEdit& edit);
    // Writes an edited chart back to its file. A log is never rewritten as a
    // waveform (its word stream would be lost); that answers false like a failed write.
    static bool WriteBack(ChartRecord& record);

private:
    CTextTable texts_{BuiltinTextRange(1000, 1022)};
    std::filesystem::path folder_;
    std::vector<std::unique_ptr<ChartRecord>> records_;
    std::vector<ChartRecord*> rows_;
    ChartRecord* selected_ = nullptr;
    std::string typed_;
    bool editEnabled_ = false;
};

// The save dialog.
inline constexpr std::string_view kCaptionSaveError = "TXT_1514";
inline constexpr std::string_view kCaptionOverwrite = " .: Info ... ";

// TXT_900 .. TXT_905; a missing key gives all six their built-in texts.
std::vector<std::string> SaveScopeTexts(const std::filesystem::path& langFile, CLogTrace* trace = nullptr);

// The full path for a chart name typed into the save dialog: the folder part must
// exist, and an extension shorter than two characters becomes ".sdf" ("test" and
// "test." give "test.sdf", "test.txt" stays). Empty when the path is not valid
// (missing folder, no file name, or a name that is itself an absolute path).
std::optional<std::filesystem::path> SaveScopePath(const std::filesystem::path& folder,
                                                   const std::string& fileName);

// The file name the save dialog proposes: date and time (local, to the minute)
// and the chart name, without the characters a file name cannot hold, cut to a
// sane length, with ".sdf".
std::string ProposedChartFileName(const FileTime& at, std::string_view chartName);

// A user chart as its row in the scope book: the name typed at save (the file's
// name when none was), date, timebase and the numbers of its channels.
struct UserChartColumns {
    std::string name;
    std::string date;
    std::string timebase;
    std::string channels; // "1, 2, 4"
    bool operator==(const UserChartColumns&) const = default;
};
UserChartColumns UserChartRow(const ChartRecord& record);

// What follows the save dialog's OK, and the answer to the overwrite question.
enum class SaveScopeStep { Save, AskOverwrite, RunAgain };
SaveScopeStep AfterSaveDialog(const std::filesystem::path& fullPath,
                              const std::function<bool(const std::filesystem::path&)>& exists = {});
inline SaveScopeStep AfterOverwriteAnswer(bool yes) {
    return yes ? SaveScopeStep::Save : SaveScopeStep::RunAgain;
}

} // namespace wavix
