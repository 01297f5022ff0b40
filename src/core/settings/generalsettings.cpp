#include "core/settings/generalsettings.h"

#include "core/settings/ini.h"

#include <limits>
#include <optional>
#include <system_error>

namespace wavix {

namespace {

constexpr std::string_view kNet = "Net";
constexpr std::string_view kDirectories = "Directories";
constexpr std::string_view kOwner = "Owner";

bool readRequired(const CIni& ini, std::string_view section, std::string_view key, std::string& out) {
    auto value = ini.Find(section, key);
    if (!value)
        return false;
    out = std::move(*value);
    return true;
}

} // namespace

const std::array<std::string_view, CVexorGeneralSettings::kDirectoryCount>&
CVexorGeneralSettings::DirectoryKeys() {
    static constexpr std::array<std::string_view, kDirectoryCount> keys{
        "D_MANUF_PIC1", "D_MANUF_PIC2", "D_MANUF_DESC2", "D_CAR_PIC1", "D_CAR_PIC2", "D_CAR_DESC2",
        "D_ECU_PIC1",   "D_ECU_PIC2",   "D_ECU_DESC2",   "D_ECU_EXT1", "D_ECU_EXT2"};
    return keys;
}

bool CVexorGeneralSettings::Load(const std::filesystem::path& file) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec))
        return false;
    const CIni ini(file);

    std::string address;
    if (!readRequired(ini, kNet, "ReaderAddres", address))
        return false;
    const std::uint32_t port = ini.GetUnsigned(kNet, "ReaderPort", 0, 10);
    if (port > std::numeric_limits<std::uint16_t>::max())
        return false;

    std::array<std::string, kDirectoryCount> dirs;
    for (std::size_t i = 0; i < kDirectoryCount; ++i)
        if (!readRequired(ini, kDirectories, DirectoryKeys()[i], dirs[i]))
            return false;

    OwnerDetails owner;
    const std::array<std::pair<std::string_view, std::string*>, 10> ownerKeys{{
        {"Company", &owner.company},
        {"Person", &owner.person},
        {"Street", &owner.street},
        {"City", &owner.city},
        {"PSC", &owner.psc},
        {"Phone", &owner.phone},
        {"Fax", &owner.fax},
        {"Email", &owner.email},
        {"ICO", &owner.ico},
        {"DIC", &owner.dic},
    }};
    for (const auto& [key, field] : ownerKeys)
        if (!readRequired(ini, kOwner, key, *field))
            return false;

    readerAddress_ = std::move(address);
    readerPort_ = static_cast<std::uint16_t>(port);
    directories_ = std::move(dirs);
    owner_ = std::move(owner);
    return true;
}

} // namespace wavix
