#pragma once
// The program's own settings, kept in "Wavix.ini" beside the suite's
// "General.ini": the last settings record in force, the look of the four views,
// which tool windows are shown, the trace colours and the language file, plus
// the main window's text tables from that language file. Nothing here touches a
// window: the main window copies the views' and channels' values in and out.

#include "core/scope/oscilexchange.h"
#include "core/settings/generalsettings.h"
#include "core/settings/langtexts.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace wavix {

class CIni;
class CLogTrace;

inline constexpr std::string_view kProgramIniName = "Wavix.ini";
inline constexpr std::uint32_t kDefaultBkgCol = 0x000000;
inline constexpr std::uint32_t kDefaultGridCol = 0xFF7D00;
inline constexpr std::uint32_t kDefaultInfoTxtCol = 0x007DFF;
inline constexpr std::uint32_t kDefaultChannelCol = 0xFF8000;
inline constexpr int kSettingsViewCount = 4;

// One view's stored look; colours are 0x00BBGGRR. The show mode is kept for
// the next run's file only: every view starts in its fixed show mode.
struct ViewSettings {
    std::uint32_t showMode = 0;
    std::uint32_t bkgCol = kDefaultBkgCol;
    std::uint32_t gridCol = kDefaultGridCol;
    std::uint32_t infoTxtCol = kDefaultInfoTxtCol;
    bool halfMode = false;
    bool scrollBar = false;

    friend bool operator==(const ViewSettings&, const ViewSettings&) = default;
};

class CProgramSettings {
public:
    enum class SaveScope { LastSettingsOnly, All };

    CProgramSettings();

    // Reads "General.ini" (it must be complete) and "Wavix.ini" (absent keys
    // keep their defaults) below dataDir. The record read from "LastSettings"
    // starts from current and is made safe before LastRecord() hands it out.
    // Fails without a settings folder, with a refused "General.ini", and
    // without a language folder.
    bool Load(const std::string& dataDir, const tOscilExchange& current);

    // Writes "Wavix.ini" key by key; "LastSettings" always, views, flags and
    // colours only for SaveScope::All. False when the file cannot be written.
    bool Save(SaveScope scope, const tOscilExchange& record) const;

    // The main window's tables in their load order: main menu, status and
    // messages, view menu, states. Stops at the first table with a missing key.
    bool LoadTexts(CLogTrace* trace = nullptr);

    const std::string& DataDirectory() const { return dataDir_; }
    const CVexorGeneralSettings& General() const { return general_; }
    // The tester's address and port stored in General.ini and taken.
    bool SaveReader(const std::string& address, std::uint16_t port);
    const tOscilExchange& LastRecord() const { return lastRecord_; }

    const std::string& LangFileName() const { return langFileName_; }
    const std::string& LangFilePath() const { return langFilePath_; }
    bool LangFilePresent() const { return langFilePresent_; }
    // The language files (".lng") of the language folder, by name.
    std::vector<std::string> LanguageFiles() const;
    // Stores one of LanguageFiles() as the language of the next start; the texts
    // of this run stay. False for any other name or a file that cannot be written.
    bool SaveLangFile(const std::string& name);

    bool ShowSettingsWindow() const { return showSettingsWindow_; }
    void SetShowSettingsWindow(bool show) { showSettingsWindow_ = show; }
    bool ShowToolbar() const { return showToolbar_; }
    void SetShowToolbar(bool show) { showToolbar_ = show; }

    // channel 1..4; others are clamped into that range.
    std::uint32_t ChannelColour(int channel) const;
    void SetChannelColour(int channel, std::uint32_t colour);
    // view 0..3 for "Scope A".."Scope D"; others are clamped into that range.
    const ViewSettings& View(int view) const;
    void SetView(int view, const ViewSettings& settings);

    const CTextTable& StatusTable() const { return statusTexts_; }
    const CTextTable& StateTable() const { return stateTexts_; }
    const CTextTable& ViewMenuTable() const { return viewMenuTexts_; }
    const CTextTable& MainMenuTable() const { return mainMenuTexts_; }

private:
    void loadViews(const CIni& ini);
    void loadGeneralSection(const CIni& ini);

    std::string dataDir_;
    CVexorGeneralSettings general_;
    tOscilExchange lastRecord_;

    std::string langFileName_;
    std::string langFilePath_;
    bool langFilePresent_ = false;
    bool showSettingsWindow_ = false;
    bool showToolbar_ = false;
    std::array<std::uint32_t, 4> channelCol_;
    std::array<ViewSettings, kSettingsViewCount> views_;

    CTextTable statusTexts_;
    CTextTable stateTexts_;
    CTextTable viewMenuTexts_;
    CTextTable mainMenuTexts_;
};

} // namespace wavix
