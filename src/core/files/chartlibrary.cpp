#include "core/files/chartlibrary.h"

#include "core/export/sdfexporter.h"
#include "core/files/logchartnavigator.h"
#include "core/settings/langtexts.h"

#include "core/settings/builtintexts.h"
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <system_error>
#include <tuple>

namespace wavix {
namespace {

bool isChartFile(const std::filesystem::directory_entry& entry) {
    std::error_code ec;
    if (!entry.is_regular_file(ec))
        return false;
    std::string ext = entry.path().extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext == ".sdf";
}

auto dateKey(const FileTime& t) {
    return std::tie(t.year, t.month, t.day, t.hour, t.minute, t.second);
}

} // namespace

std::string ChartRecord::Name() const {
    return path.stem().string();
}

std::string ChartDateText(const FileTime& t) {
    char text[64];
    std::snprintf(text, sizeof text, "%02u.%02u.%u %02u:%02u:%02u ", unsigned{t.day}, unsigned{t.month},
                  unsigned{t.year}, unsigned{t.hour}, unsigned{t.minute}, unsigned{t.second});
    return text;
}

double ChartDurationSeconds(const CScopeFile& file) {
    std::uint32_t samples = 0;
    if (file.IsLog())
        samples = file.GetLogSamplesPerChannel();
    else if (const CChannelData* first = file.GetChannel(0))
        samples = first->GetSampleCount();
    return static_cast<double>(samples) * SamplePeriod(file.GetTimeBaseStep());
}

ChartColumns ChartListColumns(const ChartRecord& record) {
    ChartColumns columns;
    columns.name = record.Name();
    if (record.file) {
        columns.description = record.file->GetHeaderText();
        columns.duration = FormatHoursMinutesSeconds(ChartDurationSeconds(*record.file));
        columns.date = ChartDateText(record.file->GetTime());
    }
    return columns;
}

bool ChartNameBefore(const ChartRecord& a, const ChartRecord& b) {
    // std::string compares its bytes as unsigned char: byte order, case-sensitive.
    return a.Name() < b.Name();
}

bool ChartDateBefore(const ChartRecord& a, const ChartRecord& b) {
    if (!a.file || !b.file)
        return a.file && !b.file;
    return dateKey(a.file->GetTime()) > dateKey(b.file->GetTime());
}

CChartLibrary::CChartLibrary() = default;

bool CChartLibrary::SetLanguage(const std::filesystem::path& langFile, CLogTrace* trace) {
    return texts_.Load(langFile, trace);
}

bool CChartLibrary::List(const std::filesystem::path& folder) {
    selected_ = nullptr;
    rows_.clear();
    records_.clear();
    folder_ = folder;
    std::error_code ec;
    if (!std::filesystem::is_directory(folder, ec))
        return false;
    std::vector<std::filesystem::path> paths;
    for (std::filesystem::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec))
        if (isChartFile(*it))
            paths.push_back(it->path());
    std::sort(paths.begin(), paths.end(),
              [](const auto& a, const auto& b) { return a.filename().string() < b.filename().string(); });
    for (const auto& path : paths) {
        auto record = std::make_unique<ChartRecord>();
        record->path = path;
        record->file = std::make_unique<CScopeFile>();
        if (!record->file->Load(path))
            continue;
        rows_.push_back(record.get());
        records_.push_back(std::move(record));
    }
    return true;
}

bool CChartLibrary::Remove(const ChartRecord* record) {
    const auto it =
        std::find_if(records_.begin(), records_.end(), [record](const auto& r) { return r.get() == record; });
    if (record == nullptr || it == records_.end())
        return false;
    std::error_code ec;
    if (!std::filesystem::remove(record->path, ec) || ec)
        return false;
    rows_.erase(std::remove(rows_.begin(), rows_.end(), record), rows_.end());
    if (selected_ == record)
        selected_ = nullptr;
    records_.erase(it);
    return true;
}

void CChartLibrary::SortByName() {
    std::stable_sort(rows_.begin(), rows_.end(),
                     [](const ChartRecord* a, const ChartRecord* b) { return ChartNameBefore(*a, *b); });
}

void CChartLibrary::SortByDate() {
    std::stable_sort(rows_.begin(), rows_.end(),
                     [](const ChartRecord* a, const ChartRecord* b) { return ChartDateBefore(*a, *b); });
}

void CChartLibrary::Open() {
    selected_ = nullptr;
    typed_.clear();
    editEnabled_ = false;
}

void CChartLibrary::Select(ChartRecord* record) {
    if (record != nullptr && std::find(rows_.begin(), rows_.end(), record) != rows_.end())
        selected_ = record;
}

std::vector<ChartDetailRow> CChartLibrary::DetailRows() const {
    std::vector<ChartDetailRow> rows;
    if (selected_ == nullptr || !selected_->file)
        return rows;
    CScopeFile& file = *selected_->file;
    const std::string separator(kDetailSeparator);
    const auto add = [&rows](const std::string& item, std::string value) {
        rows.push_back({item, std::move(value)});
    };
    add(GetText(kItemDescription), file.GetHeaderText());
    char count[32];
    std::snprintf(count, sizeof count, " %d ", file.GetChannelCount());
    add(GetText(kItemChannelCount), count);
    add("", separator);
    if (CChannelData* first = file.GetChannel(0)) {
        add(GetText(kItemTimebase), first->TimeText());
        add(GetText(kItemTriggerMode), first->TriggerModeText());
        add(GetText(kItemTriggerEdge), first->EdgeText());
        add(GetText(kItemTriggerLevel), first->TriggerLevelText(false));
        add("", separator);
    }
    for (int i = 0; i < file.GetChannelCount(); ++i) {
        CChannelData* ch = file.GetChannel(i);
        if (ch == nullptr)
            continue;
        add(GetText(kItemChannelName), ch->GetName());
        add(GetText(kItemChannelDescription), ch->GetDescription());
        add(GetText(kItemGain), ch->RangeText());
        add(GetText(kItemCoupling), ch->CouplingText());
        add("", std::string(kDetailProbeSeparator));
        add(GetText(kItemProbe), ch->GetProbe().GetName());
        add(GetText(kItemGain), ch->GetProbe().GetRatioText());
        add(GetText(kItemUnits), ch->GetProbe().GetUnits());
        add("", separator);
    }
    return rows;
}

bool CChartLibrary::Type(std::string_view typed) {
    typed_ += typed;
    if (typed_.find(kEditAccessCode) != std::string::npos) {
        typed_.clear();
        editEnabled_ = true;
        return true;
    }
    // Only a tail shorter than the code can still become part of it.
    const std::size_t keep = kEditAccessCode.size() - 1;
    if (typed_.size() > keep)
        typed_.erase(0, typed_.size() - keep);
    return false;
}

ChartEdit CChartLibrary::EditFields(const ChartRecord& record) {
    ChartEdit edit;
    if (!record.file)
        return edit;
    edit.description = record.file->GetHeaderText();
    const int n = std::min(record.file->GetChannelCount(), kMaxFileChannels);
    for (int i = 0; i < n; ++i) {
        const CChannelData* ch = record.file->GetChannel(i);
        if (ch == nullptr)
            continue;
        auto& field = edit.channels[static_cast<std::size_t>(i)];
        field.enabled = true;
        field.name = ch->GetName();
        field.description = ch->GetDescription();
    }
    return edit;
}

void CChartLibrary::ApplyEdit(ChartRecord& record, const ChartEdit& edit) {
    if (!record.file)
        return;
    record.file->SetHeaderText(edit.description);
    const int n = std::min(record.file->GetChannelCount(), kMaxFileChannels);
    for (int i = 0; i < n; ++i) {
        CChannelData* ch = record.file->GetChannel(i);
        const auto& field = edit.channels[static_cast<std::size_t>(i)];
        if (ch == nullptr || !field.enabled)
            continue;
        ch->SetName(field.name);
        ch->SetDescription(field.description);
    }
}

bool CChartLibrary::WriteBack(ChartRecord& record) {
    if (!record.file || record.file->IsLog())
        return false;
    return static_cast<bool>(CSdfExporter().Write(ExportCapture{*record.file}, record.path));
}

std::vector<std::string> SaveScopeTexts(const std::filesystem::path& langFile, CLogTrace* trace) {
    std::vector<std::string> texts;
    const auto saveTexts = BuiltinTextRange(900, 905);
    if (!LoadTextTable(langFile, saveTexts, texts, false, trace) || texts.size() != saveTexts.size()) {
        texts.clear();
        for (const auto& entry : saveTexts)
            texts.emplace_back(entry.builtin);
    }
    return texts;
}

std::optional<std::filesystem::path> SaveScopePath(const std::filesystem::path& folder,
                                                   const std::string& fileName) {
    std::filesystem::path name(fileName);
    if (fileName.empty() || name.has_root_path() || !name.has_filename())
        return std::nullopt;
    const std::filesystem::path full = folder / name;
    std::error_code ec;
    if (!std::filesystem::is_directory(full.parent_path(), ec))
        return std::nullopt;
    if (name.extension().string().size() < 2)
        name.replace_extension(".sdf");
    return folder / name;
}

SaveScopeStep AfterSaveDialog(const std::filesystem::path& fullPath,
                              const std::function<bool(const std::filesystem::path&)>& exists) {
    bool present = false;
    if (exists) {
        present = exists(fullPath);
    } else {
        std::error_code ec;
        present = std::filesystem::exists(fullPath, ec);
    }
    return present ? SaveScopeStep::AskOverwrite : SaveScopeStep::Save;
}

std::string ProposedChartFileName(const FileTime& at, std::string_view chartName) {
    constexpr std::size_t kNameMax = 64; // bytes of the chart name kept in the file name
    std::string name;
    for (const char c : chartName) {
        const auto u = static_cast<unsigned char>(c);
        name += u < 0x20 || std::string_view("\\/:*?\"<>|").find(c) != std::string_view::npos ? '_' : c;
    }
    if (name.size() > kNameMax) {
        std::size_t cut = kNameMax;
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
            --cut;
        name.resize(cut);
    }
    // Blanks and dots at either end make names that are hard to type or hidden.
    const auto first = name.find_first_not_of(" .");
    name = first == std::string::npos ? std::string()
                                      : name.substr(first, name.find_last_not_of(" .") - first + 1);
    char stamp[32];
    std::snprintf(stamp, sizeof stamp, "%04u-%02u-%02u_%02u-%02u", unsigned{at.year}, unsigned{at.month},
                  unsigned{at.day}, unsigned{at.hour}, unsigned{at.minute});
    return std::string(stamp) + (name.empty() ? "" : " " + name) + ".sdf";
}

UserChartColumns UserChartRow(const ChartRecord& record) {
    UserChartColumns row;
    row.name = record.Name();
    if (!record.file)
        return row;
    if (!record.file->GetHeaderText().empty())
        row.name = record.file->GetHeaderText();
    row.date = ChartDateText(record.file->GetTime());
    if (CChannelData* first = record.file->GetChannel(0)) // its texts are kept in the channel
        row.timebase = first->TimeText();
    for (int k = 0; k < record.file->GetChannelCount(); ++k)
        if (const CChannelData* ch = record.file->GetChannel(k))
            row.channels += (row.channels.empty() ? "" : ", ") + std::to_string(ch->GetChannel());
    return row;
}

} // namespace wavix
