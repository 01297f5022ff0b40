#include "core/support/numberlocale.h"

namespace wavix {
namespace {

locale_t cNumbers() {
    // Made once and kept for the whole run: threads switch to it at any time.
    static const locale_t c = ::newlocale(LC_ALL_MASK, "C", nullptr);
    return c;
}

} // namespace

CNumberLocale::CNumberLocale() {
    if (const locale_t c = cNumbers(); c != nullptr)
        previous_ = ::uselocale(c);
}

CNumberLocale::~CNumberLocale() {
    if (previous_ != nullptr)
        ::uselocale(previous_);
}

} // namespace wavix
