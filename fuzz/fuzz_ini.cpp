// Settings and language files, probe files and the INI writer. The input is a
// file, optionally followed by a zero byte and "section\0key\0value" for a
// write that must read back exactly when it is accepted.

#include "core/scope/channelprobe.h"
#include "core/settings/builtintexts.h"
#include "core/settings/ini.h"
#include "core/settings/langtexts.h"
#include "core/support/textencoding.h"
#include "fuzzinput.h"

#include <algorithm>
#include <cstdlib>
#include <string>
#include <string_view>

using namespace wavix;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const auto path = fuzz::ScratchPath("in.ini");
    const std::string_view all(reinterpret_cast<const char*>(data), size);
    const std::size_t cut = all.find('\0');
    const std::string_view text = all.substr(0, cut);
    if (!fuzz::WriteWhole(path, data, text.size()))
        return 0;

    CIni ini(path);
    if (!IsValidUtf8(ini.GetString("LANG", "TXT_001", "x")))
        std::abort(); // either encoding must come out as UTF-8
    (void)ini.GetUnsigned("Settings", "Port", 10000, 10);
    (void)ini.GetUnsigned("Settings", "Color", 0, 16);
    (void)ini.Find("PROBE", "Ratio");

    std::vector<std::string> texts;
    LoadTextTable(path, BuiltinTextRange(1, 120), texts, false);
    CTextTable table(MainMenuTexts());
    table.Load(path);
    for (std::size_t i = 0; i < table.size(); ++i)
        texts.push_back(table[i]);
    for (const std::string& t : texts)
        if (FormatSignature(t).find_first_of("n!") != std::string::npos)
            std::abort(); // a text handed out must be safe to format

    CChannelProbe probe;
    if (probe.Load(path)) {
        std::array<std::uint8_t, kProbeRecordSize> record{};
        probe.ExportRecord(record, ByteOrder::Little);
        CChannelProbe back;
        if (!back.ImportRecord(record, ByteOrder::Little) || back.GetRatio() != probe.GetRatio())
            std::abort(); // a loaded probe must survive its own scope-file record
    }

    if (cut != std::string_view::npos) {
        std::string_view rest = all.substr(cut + 1);
        std::string_view parts[3];
        for (auto& part : parts) {
            const std::size_t end = rest.find('\0');
            part = rest.substr(0, end);
            rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + 1);
        }
        if (ini.WriteString(parts[0], parts[1], parts[2])) {
            const auto found = ini.Find(parts[0], parts[1]);
            if (ini.GetString(parts[0], parts[1], "\x01") != parts[2])
                std::abort(); // an accepted write must read back unchanged
            (void)found;
        }
    }
    return 0;
}
