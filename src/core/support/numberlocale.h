#pragma once
// printf and strtod follow LC_NUMERIC, which Qt takes from the desktop: under
// cs_CZ they write and expect a decimal comma. Texts, files and datagrams of the
// program always use a point, so formatting runs under the "C" locale, switched
// for the calling thread only and restored afterwards.

#include <locale.h> // NOLINT(modernize-deprecated-headers): locale_t and uselocale are POSIX

namespace wavix {

class CNumberLocale {
public:
    CNumberLocale();
    ~CNumberLocale();
    CNumberLocale(const CNumberLocale&) = delete;
    CNumberLocale& operator=(const CNumberLocale&) = delete;

private:
    locale_t previous_ = nullptr;
};

} // namespace wavix
