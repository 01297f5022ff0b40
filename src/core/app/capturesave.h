#pragma once
// Saving a view's capture as a user chart: the save dialog on the user chart
// folder, the overwrite question (No lets the user choose again) and the write.

#include "core/app/mainview.h"
#include "core/app/rolllogcommand.h"
#include "core/files/scopefile.h"

#include <span>
#include <string>

namespace wavix {

enum class CaptureSaveResult { Saved, Cancelled, NoDataDirectory, Failed };

struct CaptureSaveTexts {
    std::string overwrite;  // TXT_111
    std::string saveFailed; // TXT_908
};

// The channels are the ones the view shows; the chart name becomes the file's description.
CaptureSaveResult SaveCaptureAsChart(IMainView& view, const SaveChooser& chooser, const std::string& dataDir,
                                     std::span<const CChannelData* const> channels,
                                     const CaptureSaveTexts& texts, FileClock clock = CurrentUtcFileTime);

} // namespace wavix
