#include "ui/main/scopebookui.h"

#include "core/files/scopebookload.h"
#include "core/files/scopefile.h"
#include "core/scope/scopedata.h"
#include "ui/dialogs/dlgscopebook.h"
#include "ui/main/wavixdlg.h"
#include "ui/scope/cscope.h"

namespace wavix {

void CScopeBookUi::Open(const std::filesystem::path& dataDir, const std::filesystem::path& langFile) {
    CDlgScopeBook book(&window_);
    book.SetLanguage(langFile);
    book.SetUserFolder(dataDir / "Scope" / "UserCharts");
    const int answer = book.Run(dataDir / "Scope" / "SampleCharts");
    ChartRecord* chosen = book.SelectedRecord();
    const ScopeBookStep step = AfterScopeBook(answer, chosen != nullptr && chosen->file != nullptr);
    const CMainTexts& texts = window_.Texts();
    if (!step.caption.empty())
        window_.MessageBox(
            LangKeyNumber(step.caption) >= 0 ? texts.Get(step.caption) : std::string(step.caption),
            texts.Get(step.textKey), step.errorIcon ? BoxIcon::Error : BoxIcon::Information, BoxButtons::Ok);
    if (step.applySettings)
        window_.LoadBookChart(std::move(chosen->file), step.loadTraces);
    window_.View(0).SetMessage({});
}

void CScopeBookUi::Load(std::unique_ptr<CScopeFile> chart, bool traces, bool multiView) {
    if (!chart)
        return;
    tOscilExchange rec = data_.GetSettings();
    // Sent with the next exchange, as every record change is.
    if (chart->BuildSettings(rec))
        data_.SetSettings(rec, true);
    if (!traces)
        return;
    // A book chart is a loaded capture like any other: the same question, the
    // same removal, and it comes back after every rearrangement of the views.
    if (window_.HasLoadedTraces() &&
        window_.MessageBox(" .: Error ...", window_.Texts().Get("TXT_113"), BoxIcon::Question,
                           BoxButtons::YesNo) == BoxAnswer::Yes)
        window_.RemoveLoadedTraces();
    const std::vector<int> displays = ScopeBookDisplays(chart->GetChannelCount(), multiView, kViewCount);
    window_.AddLoadedTraces(std::move(chart), displays);
}

} // namespace wavix
