#include "core/print/printtexts.h"

#include "core/settings/builtintexts.h"
#include "core/support/strformat.h"

#include <array>

namespace wavix {

namespace {

std::span<const TextEntry> LabelTable() {
    static const auto table = [] {
        std::array<TextEntry, CPrintTexts::kLabelCount> t{};
        std::size_t i = 0;
        for (const TextEntry& e : BuiltinTextRange(400, 433))
            if (i < t.size())
                t[i++] = e;
        return t;
    }();
    return table;
}

// Loads the table whole or leaves it built in.
void LoadWhole(CTextTable& table, std::span<const TextEntry> entries, const std::filesystem::path& langFile) {
    if (langFile.empty())
        return;
    CTextTable loaded(entries);
    if (loaded.Load(langFile))
        table = loaded;
}

} // namespace

CPrintTexts::CPrintTexts()
    : labels_(LabelTable()), dialog_(BuiltinTextRange(850, 868)), messages_(BuiltinTextRange(869, 871)) {}

void CPrintTexts::Load(const std::filesystem::path& langFile) {
    LoadWhole(labels_, LabelTable(), langFile);
    LoadWhole(dialog_, BuiltinTextRange(850, 868), langFile);
    LoadWhole(messages_, BuiltinTextRange(869, 871), langFile);
}

CPrintTexts::Dialog CPrintTexts::FieldLabel(PrintField field) {
    static constexpr std::array<Dialog, kPrintFieldCount> kLabels = {
        kDlgAddress,  kDlgEmail, kDlgFax,      kDlgCustomerName, kDlgMeasurementName,
        kDlgCapacity, kDlgNote,  kDlgYear,     kDlgPlate,        kDlgPhone,
        kDlgCarType,  kDlgVin,   kDlgInjection};
    return kLabels.at(field);
}

std::string PrintCompanyLine(const OwnerDetails& owner) {
    return StrFormat("  %s  ", owner.company.c_str());
}

std::string PrintOwnerLines(const OwnerDetails& owner) {
    return StrFormat(" %s - %s, %s, %s - Tel: %s, fax: %s\n email: %s - ICO:%s, DIC:%s", owner.person.c_str(),
                     owner.street.c_str(), owner.city.c_str(), owner.psc.c_str(), owner.phone.c_str(),
                     owner.fax.c_str(), owner.email.c_str(), owner.ico.c_str(), owner.dic.c_str());
}

std::string PrintLegendTitle(int channel) {
    return StrFormat(" Kanal %d ", channel);
}

std::string PrintProbeLine(const std::string& name, const std::string& ratio) {
    return StrFormat("%s, R%s", name.c_str(), ratio.c_str());
}

std::string PrintTimestamp(int day, int month, int year, int hour, int minute, int second) {
    return StrFormat("%d.%d.%d %d:%d:%d", day, month, year, hour, minute, second);
}

} // namespace wavix
