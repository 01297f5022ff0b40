#pragma once
// The data tree shared with the tester suite sits beside the program, or one
// or two levels up when the program runs from a build or bin folder; an
// installed program without one uses the user's copy (userdatatree.h). Every
// folder returned ends with '/'; an empty answer means "not found".

#include <string>
#include <string_view>

namespace wavix {

inline constexpr std::string_view kSettingsFolder = "Settings/";
inline constexpr std::string_view kLangFolder = "Lang/";
inline constexpr std::string_view kTmpFolder = "Tmp/";
inline constexpr std::string_view kLogChartsFolder = "Scope/LogCharts/";
inline constexpr std::string_view kUserChartsFolder = "Scope/UserCharts/";
inline constexpr std::string_view kSampleChartsFolder = "Scope/SampleCharts/";
inline constexpr std::string_view kScopeProbesFolder = "Scope/ScopeProbes/";

// The first of "Data", "../Data", "../../Data" below programFolder that is a
// folder, as programFolder + that name + '/'.
std::string FindDataDirectory(const std::string& programFolder);
// The same below the running program's folder.
std::string FindDataDirectory();

// dataDir + sub when dataDir is known and that folder exists, else empty.
std::string DataSubFolder(const std::string& dataDir, std::string_view sub);
inline std::string SettingsFolder(const std::string& dataDir) {
    return DataSubFolder(dataDir, kSettingsFolder);
}
inline std::string LangFolder(const std::string& dataDir) {
    return DataSubFolder(dataDir, kLangFolder);
}

} // namespace wavix
