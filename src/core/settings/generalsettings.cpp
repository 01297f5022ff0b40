#include "core/settings/generalsettings.h"

#include "core/settings/ini.h"

#include <limits>
#include <optional>
#include <string>
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

bool isIpv4Shaped(std::string_view s) {
    return !s.empty() && s.find_first_not_of("0123456789.") == std::string_view::npos;
}

bool isIpv4(std::string_view s) {
    int parts = 0;
    while (true) {
        const std::size_t dot = s.find('.');
        const std::string_view part = s.substr(0, dot);
        if (part.empty() || part.size() > 3 || part.find_first_not_of("0123456789") != std::string_view::npos)
            return false;
        if (std::stoi(std::string(part)) > 255)
            return false;
        ++parts;
        if (dot == std::string_view::npos)
            break;
        s.remove_prefix(dot + 1);
    }
    return parts == 4;
}

bool isHostName(std::string_view s) {
    if (s.empty() || s.size() > 253)
        return false;
    while (true) {
        const std::size_t dot = s.find('.');
        const std::string_view label = s.substr(0, dot);
        if (label.empty() || label.size() > 63 || label.front() == '-' || label.back() == '-')
            return false;
        for (const char c : label)
            if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-'))
                return false;
        if (dot == std::string_view::npos)
            return true;
        s.remove_prefix(dot + 1);
    }
}

} // namespace

EndpointFault CheckEndpoint(std::string_view address, std::string_view portText, std::uint16_t* port) {
    // Digits and dots only is meant as an IPv4 address, never as a name.
    if (isIpv4Shaped(address) ? !isIpv4(address) : !isHostName(address))
        return EndpointFault::BadAddress;
    if (portText.empty() || portText.size() > 5 || portText.find_first_not_of("0123456789") != std::string_view::npos)
        return EndpointFault::BadPort;
    const int value = std::stoi(std::string(portText));
    if (value < 1 || value > 65535)
        return EndpointFault::BadPort;
    if (port != nullptr)
        *port = static_cast<std::uint16_t>(value);
    return EndpointFault::None;
}

bool CVexorGeneralSettings::SaveReader(const std::filesystem::path& file, const std::string& address,
                                       std::uint16_t port) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(file, ec))
        return false;
    const CIni ini(file);
    if (!ini.WriteString(kNet, "ReaderAddres", address) || !ini.WriteUnsigned(kNet, "ReaderPort", port, 10))
        return false;
    readerAddress_ = address;
    readerPort_ = port;
    return true;
}

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
