#pragma once
// The colour and probe-file choosers the tool windows open. Held as functions
// so that a test (or a scripted run) can answer them without a modal box.

#include <QString>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

class QWidget;

namespace wavix {

// The probe file chooser's filter (Qt form of "Scope ini file (*.ini)|*.ini|All Files (*.*)|*.*||").
inline constexpr const char* kProbeFileFilter = "Scope ini file (*.ini);;All Files (*.*)";
inline constexpr const char* kProbeRefusedKey = "TXT_1512";

struct ToolChoosers {
    // The chosen colour (0x00BBGGRR), or nothing when cancelled.
    std::function<std::optional<std::uint32_t>(QWidget* parent, std::uint32_t initial)> colour;
    // The chosen probe file, or empty when cancelled; folder may be empty.
    std::function<QString(QWidget* parent, const QString& folder)> probeFile;
    // Tells the user that a chosen probe file was refused; may stay empty.
    std::function<void(QWidget* parent, const QString& file)> probeRefused;

    // The standard dialogs, their texts from langFile (empty: the built-in ones).
    static ToolChoosers Standard(const std::filesystem::path& langFile = {});
};

// The probe folder of the data tree, or empty when it does not exist.
QString ProbeFolder(const std::string& dataDir);

} // namespace wavix
