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
            NewSamplesCount(m->wParam()) >= 0) {
            // Roll mode counts the samples a group added; a whole capture replaces them all.
            const long long added = NewSamplesCount(m->wParam());
            line("capture", added == 0 && samples_ ? static_cast<long long>(samples_()) : added);
        }
        else if (m->msg() == Msg::UWM_IVORA_PROTOCOL &&
                 ResultOf(DecodeModuleEvent(m->wParam())) == ModuleResult::Error)
            line("error", m->wParam());
    }
    return false;
}

void CRunTrace::Link(std::string_view state, std::string_view endpoint) {
    std::fprintf(out_, "wavix-trace %lld link %.*s %.*s\n", static_cast<long long>(QDateTime::currentMSecsSinceEpoch()),
                 static_cast<int>(state.size()), state.data(), static_cast<int>(endpoint.size()), endpoint.data());
    std::fflush(out_);
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
