#include "platform/runtrace.h"

#include "core/scope/scopedata.h"
#include "platform/qtmessagetarget.h"

#include <QDateTime>
#include <QEvent>

#include <string_view>

namespace wavix {

bool CRunTrace::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Show && watched == window_ && !shown_) {
        shown_ = true;
        line("shown");
    } else if (event->type() == CMessageEvent::eventType()) {
        const auto* m = static_cast<const CMessageEvent*>(event);
        if (m->msg() == Msg::UWM_SCOPE_DATA &&
            Decode<ScopeDataNotice>(m->lParam()) == ScopeDataNotice::NewSamples &&
            NewSamplesCount(m->wParam()) >= 0)
            line("capture", NewSamplesCount(m->wParam()));
        else if (m->msg() == Msg::UWM_IVORA_PROTOCOL &&
                 ResultOf(DecodeModuleEvent(m->wParam())) == ModuleResult::Error)
            line("error", m->wParam());
    }
    return false;
}

void CRunTrace::line(const char* what, long long value) {
    const long long now = QDateTime::currentMSecsSinceEpoch();
    if (value < 0)
        std::fprintf(out_, "wavix-trace %lld %s\n", now, what);
    else if (std::string_view(what) == "error")
        std::fprintf(out_, "wavix-trace %lld %s %llx\n", now, what, value);
    else
        std::fprintf(out_, "wavix-trace %lld %s %lld\n", now, what, value);
    std::fflush(out_);
}

} // namespace wavix
