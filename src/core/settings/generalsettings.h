#pragma once
// The suite-wide "General.ini": the tester's address and port, the suite's
// picture folders and the workshop's details printed on every page. This
// program writes only the tester's address and port into it. Every string key is required: a file that lacks one
// was not written by the suite and is refused as a whole.

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace wavix {

inline constexpr std::string_view kGeneralIniName = "General.ini";

struct OwnerDetails {
    std::string company;
    std::string person;
    std::string street;
    std::string city;
    std::string psc;
    std::string phone;
    std::string fax;
    std::string email;
    std::string ico;
    std::string dic;
};

// Why a tester address and port typed by the user cannot be used.
enum class EndpointFault { None, BadAddress, BadPort };
// address: an IPv4 address (four decimal parts 0..255) or a host name (labels
// of letters, digits and inner hyphens, at most 253 characters); port: 1..65535.
// On None, *port holds the port.
EndpointFault CheckEndpoint(std::string_view address, std::string_view portText, std::uint16_t* port);

class CVexorGeneralSettings {
public:
    static constexpr std::size_t kDirectoryCount = 11;
    static const std::array<std::string_view, kDirectoryCount>& DirectoryKeys();

    // Reads everything or nothing: on failure the previous values stay. A port
    // beyond 16 bits fails too, rather than reach some other port.
    bool Load(const std::filesystem::path& file);

    // The tester's address and port written under [Net] of file (the rest of the
    // file as it was) and taken; false, and nothing taken, when it cannot be written.
    bool SaveReader(const std::filesystem::path& file, const std::string& address, std::uint16_t port);

    const std::string& ReaderAddress() const { return readerAddress_; }
    std::uint16_t ReaderPort() const { return readerPort_; }
    // By position in DirectoryKeys().
    const std::string& Directory(std::size_t index) const { return directories_.at(index); }
    const OwnerDetails& Owner() const { return owner_; }

private:
    std::string readerAddress_;
    std::uint16_t readerPort_ = 0;
    std::array<std::string, kDirectoryCount> directories_;
    OwnerDetails owner_;
};

} // namespace wavix
