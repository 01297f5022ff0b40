#include "ui/main/wavixdlg.h"

#include "core/app/wavixcontroller.h"
#include "core/files/scopefile.h"
#include "core/settings/datadirectory.h"
#include "platform/modulesession.h"
#include "ui/main/exportui.h"
#include "ui/main/logchartsui.h"
#include "ui/main/logdownloadui.h"
#include "ui/main/printui.h"
#include "ui/main/scopebookui.h"
#include "ui/main/toolwindows.h"

#include <QStatusBar>

namespace wavix {

// One coordinator per job; the controller learns which of them carry out its notices.
void CWavixDlg::createParts() {
    logCharts_ = std::make_unique<CLogChartsUi>(*this, *session_, target_);
    connect(logCharts_.get(), &CLogChartsUi::CloseAllowed, this, &CWavixDlg::reject);
    tools_->SetLogCharts(logCharts_.get());
    WindowParts parts;
    parts.toolbar = this;
    parts.views = noticeViews_.get();
    parts.viewMenus = this;
    parts.logCharts = logCharts_.get();
    logDownload_ = std::make_unique<CLogDownloadUi>(
        *this, *target_, *session_, [this] { ReopenLink(); },
        [this] {
            if (!ended_)
                ReturnToLiveScope();
        });
    logDownload_->SetOpenLog([this](const std::filesystem::path& log) { logCharts_->OpenFile(log); });
    if (options_.boxAnswer)
        logDownload_->SetAutoAnswer(*options_.boxAnswer == BoxAnswer::Yes);
    parts.download = logDownload_.get();
    book_ = std::make_unique<CScopeBookUi>(*this, capture_.Data());
    print_ = std::make_unique<CPrintUi>(*this, *this, texts_, capture_.Data());
    measures_ = std::make_unique<CMeasureTableUi>(*this, capture_, views_);
    export_ = std::make_unique<CExportUi>(
        *this, *this, *status_, [this](std::string_view key) { return langText(key); },
        settings_.LangFilePath(), settings_.DataDirectory() + std::string(kUserChartsFolder));
    controller_->SetParts(parts);
    autoSetup_ = std::make_unique<CAutoSetupUi>(capture_, session_->ticks(), *status_, [this] {
        return session_->IsOpen() && !IsRollLogOpen() && !IsRollMode() && capture_.Data().IsRunning();
    });
}

} // namespace wavix
