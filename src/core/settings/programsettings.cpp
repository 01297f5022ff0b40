#include "core/settings/programsettings.h"

#include "core/settings/builtintexts.h"
#include "core/settings/datadirectory.h"
#include "core/settings/ini.h"
#include "core/settings/lastsettings.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

namespace wavix {

namespace {

constexpr std::string_view kGeneralSection = "General";
constexpr std::string_view kLangFileKey = "LangFile";
constexpr std::string_view kViewScopeSettingsKey = "ViewScopeSettings";
constexpr std::string_view kViewButtonToolBarKey = "ViewButtonToolBar";
constexpr std::array<std::string_view, 4> kChannelColKeys{"Channel1Col", "Channel2Col", "Channel3Col",
                                                          "Channel4Col"};
constexpr std::array<std::string_view, kSettingsViewCount> kViewSections{"Scope1", "Scope2", "Scope3",
                                                                         "Scope4"};
// A colour is 0x00BBGGRR; a top byte from a hand-edited file is no colour.
constexpr std::uint32_t kColourMask = 0x00FFFFFF;

std::size_t channelSlot(int channel) {
    return static_cast<std::size_t>(std::clamp(channel, 1, 4) - 1);
}

std::size_t viewSlot(int view) {
    return static_cast<std::size_t>(std::clamp(view, 0, kSettingsViewCount - 1));
}

} // namespace

CProgramSettings::CProgramSettings()
    : statusTexts_(MainStatusTexts()), stateTexts_(MainStateTexts()), viewMenuTexts_(ViewMenuTexts()),
      mainMenuTexts_(MainMenuTexts()) {
    channelCol_.fill(kDefaultChannelCol);
}

bool CProgramSettings::Load(const std::string& dataDir, const tOscilExchange& current) {
    dataDir_ = dataDir;
    const std::string settingsFolder = SettingsFolder(dataDir);
    if (settingsFolder.empty())
        return false;
    if (!general_.Load(settingsFolder + std::string(kGeneralIniName)))
        return false;

    const CIni ini(settingsFolder + std::string(kProgramIniName));
    lastRecord_ = ReadLastSettings(ini, current);
    ClampOscilExchange(lastRecord_);
    loadViews(ini);
    loadGeneralSection(ini);

    const std::string langFolder = LangFolder(dataDir);
    langFilePresent_ = !langFolder.empty();
    if (!langFilePresent_) {
        langFilePath_.clear();
        return false;
    }
    langFilePath_ = langFolder + langFileName_;
    return true;
}

bool CProgramSettings::SaveReader(const std::string& address, std::uint16_t port) {
    const std::string settingsFolder = SettingsFolder(dataDir_);
    return !settingsFolder.empty() &&
           general_.SaveReader(settingsFolder + std::string(kGeneralIniName), address, port);
}

void CProgramSettings::loadViews(const CIni& ini) {
    for (std::size_t i = 0; i < views_.size(); ++i) {
        const auto section = kViewSections[i];
        ViewSettings v;
        v.showMode = ini.GetUnsigned(section, "ShowMode", 0, 16);
        v.bkgCol = ini.GetUnsigned(section, "BkgCol", kDefaultBkgCol, 16) & kColourMask;
        v.gridCol = ini.GetUnsigned(section, "GridCol", kDefaultGridCol, 16) & kColourMask;
        v.infoTxtCol = ini.GetUnsigned(section, "InfoTxtCol", kDefaultInfoTxtCol, 16) & kColourMask;
        v.halfMode = ini.GetUnsigned(section, "HalfMode", 0, 16) != 0;
        v.scrollBar = ini.GetUnsigned(section, "ScrollBar", 0, 16) != 0;
        views_[i] = v;
    }
}

void CProgramSettings::loadGeneralSection(const CIni& ini) {
    // Without a language file name the rest of the section is not trusted; the
    // missing name itself stops the start when the texts are loaded.
    auto langFile = ini.Find(kGeneralSection, kLangFileKey);
    if (!langFile)
        return;
    langFileName_ = std::move(*langFile);
    showSettingsWindow_ = ini.GetUnsigned(kGeneralSection, kViewScopeSettingsKey, 0, 10) != 0;
    showToolbar_ = ini.GetUnsigned(kGeneralSection, kViewButtonToolBarKey, 0, 10) != 0;
    for (std::size_t i = 0; i < channelCol_.size(); ++i)
        channelCol_[i] =
            ini.GetUnsigned(kGeneralSection, kChannelColKeys[i], kDefaultChannelCol, 16) & kColourMask;
}

bool CProgramSettings::Save(SaveScope scope, const tOscilExchange& record) const {
    const std::string settingsFolder = SettingsFolder(dataDir_);
    if (settingsFolder.empty())
        return false;
    const CIni ini(settingsFolder + std::string(kProgramIniName));
    if (!WriteLastSettings(ini, record))
        return false;
    if (scope == SaveScope::LastSettingsOnly)
        return true;

    for (std::size_t i = 0; i < views_.size(); ++i) {
        const auto section = kViewSections[i];
        const ViewSettings& v = views_[i];
        if (!ini.WriteUnsigned(section, "ShowMode", v.showMode, 16) ||
            !ini.WriteUnsigned(section, "BkgCol", v.bkgCol, 16) ||
            !ini.WriteUnsigned(section, "GridCol", v.gridCol, 16) ||
            !ini.WriteUnsigned(section, "InfoTxtCol", v.infoTxtCol, 16) ||
            !ini.WriteUnsigned(section, "HalfMode", v.halfMode ? 1 : 0, 16) ||
            !ini.WriteUnsigned(section, "ScrollBar", v.scrollBar ? 1 : 0, 16))
            return false;
    }
    if (!ini.WriteString(kGeneralSection, kLangFileKey, langFileName_) ||
        !ini.WriteUnsigned(kGeneralSection, kViewScopeSettingsKey, showSettingsWindow_ ? 1 : 0, 10) ||
        !ini.WriteUnsigned(kGeneralSection, kViewButtonToolBarKey, showToolbar_ ? 1 : 0, 10))
        return false;
    for (std::size_t i = 0; i < channelCol_.size(); ++i)
        if (!ini.WriteUnsigned(kGeneralSection, kChannelColKeys[i], channelCol_[i], 16))
            return false;
    return true;
}

std::vector<std::string> CProgramSettings::LanguageFiles() const {
    std::vector<std::string> out;
    const std::string folder = LangFolder(dataDir_);
    std::error_code error;
    if (folder.empty())
        return out;
    for (std::filesystem::directory_iterator it(folder, error), end; !error && it != end;
         it.increment(error)) {
        const std::filesystem::path& p = it->path();
        std::string ext = p.extension().string();
        std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
        if (ext == ".lng" && it->is_regular_file(error))
            out.push_back(p.filename().string());
    }
    std::sort(out.begin(), out.end());
    return out;
}

bool CProgramSettings::SaveLangFile(const std::string& name) {
    const auto files = LanguageFiles();
    const std::string settingsFolder = SettingsFolder(dataDir_);
    if (std::find(files.begin(), files.end(), name) == files.end() || settingsFolder.empty())
        return false;
    const CIni ini(settingsFolder + std::string(kProgramIniName));
    if (!ini.WriteString(kGeneralSection, kLangFileKey, name))
        return false;
    // The automatic save writes the name too; it must not bring the old one back.
    langFileName_ = name;
    return true;
}

bool CProgramSettings::LoadTexts(CLogTrace* trace) {
    if (!langFilePresent_ || langFileName_.empty())
        return false;
    return mainMenuTexts_.Load(langFilePath_, trace) && statusTexts_.Load(langFilePath_, trace) &&
           viewMenuTexts_.Load(langFilePath_, trace) && stateTexts_.Load(langFilePath_, trace);
}

std::uint32_t CProgramSettings::ChannelColour(int channel) const {
    return channelCol_[channelSlot(channel)];
}

void CProgramSettings::SetChannelColour(int channel, std::uint32_t colour) {
    channelCol_[channelSlot(channel)] = colour & kColourMask;
}

const ViewSettings& CProgramSettings::View(int view) const {
    return views_[viewSlot(view)];
}

void CProgramSettings::SetView(int view, const ViewSettings& settings) {
    views_[viewSlot(view)] = settings;
}

} // namespace wavix
