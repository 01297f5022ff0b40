#include "core/app/capturesave.h"

#include "core/export/sdfexporter.h"
#include "core/files/chartlibrary.h"
#include "core/settings/datadirectory.h"

#include <system_error>

namespace wavix {

CaptureSaveResult SaveCaptureAsChart(IMainView& view, const SaveChooser& chooser, const std::string& dataDir,
                                     std::span<const CChannelData* const> channels,
                                     const CaptureSaveTexts& texts, FileClock clock) {
    std::error_code ec;
    if (dataDir.empty() || !std::filesystem::is_directory(dataDir, ec)) {
        view.MessageBox(CRollLogCommand::kCaptionError, CRollLogCommand::kNoDataDirectory, BoxIcon::Error,
                        BoxButtons::Ok);
        return CaptureSaveResult::NoDataDirectory;
    }
    const std::filesystem::path folder = std::filesystem::path(dataDir) / kUserChartsFolder;
    std::filesystem::create_directories(folder, ec);
    for (;;) {
        const std::optional<SaveChoice> choice = chooser ? chooser(folder) : std::nullopt;
        if (!choice)
            return CaptureSaveResult::Cancelled;
        if (AfterSaveDialog(choice->path) == SaveScopeStep::AskOverwrite &&
            AfterOverwriteAnswer(view.MessageBox(kCaptionOverwrite, texts.overwrite, BoxIcon::Question,
                                                 BoxButtons::YesNo) == BoxAnswer::Yes) ==
                SaveScopeStep::RunAgain)
            continue;
        CScopeFile file(clock);
        file.SetHeaderText(choice->chartName);
        if (!CSdfExporter().Write(ExportCapture{file, channels}, choice->path)) {
            view.MessageBox(CRollLogCommand::kCaptionError, texts.saveFailed, BoxIcon::Error, BoxButtons::Ok);
            return CaptureSaveResult::Failed;
        }
        return CaptureSaveResult::Saved;
    }
}

} // namespace wavix
