#pragma once
// The texts of the printed page and of the print dialog. Each table comes
// whole from the language file or, when the file lacks any of its keys, whole
// from the built-in texts: a page half in one language helps nobody.

#include "core/print/printdata.h"
#include "core/settings/langtexts.h"

#include <filesystem>
#include <string>

namespace wavix {

class CPrintTexts {
public:
    // Page labels, TXT_400 .. TXT_433.
    enum Label : std::size_t {
        kLabelCustomerName,
        kLabelAddress,
        kLabelPhone,
        kLabelFax,
        kLabelEmail,
        kLabelPlate,
        kLabelCarType,
        kLabelYear,
        kLabelCapacity,
        kLabelVin,
        kLabelInjection,
        kLabelNote,
        kLabelTimeBase,
        kLabelTriggerLevel,
        kLabelTriggerEdge,
        kLabelTriggerMode,
        kLabelCount
    };
    // Dialog texts, TXT_850 .. TXT_868.
    enum Dialog : std::size_t {
        kDlgTitle,
        kDlgMeasurementName,
        kDlgCustomerName,
        kDlgAddress,
        kDlgPhone,
        kDlgFax,
        kDlgEmail,
        kDlgPlate,
        kDlgCarType,
        kDlgYear,
        kDlgCapacity,
        kDlgVin,
        kDlgInjection,
        kDlgNote,
        kDlgOk,
        kDlgSetup,
        kDlgCancel,
        kDlgCount
    };
    // Failure messages, TXT_869 .. TXT_871.
    enum Message : std::size_t { kMsgFileFailed, kMsgPrinterFailed, kMsgOwnerFailed, kMessageCount };

    CPrintTexts();
    // An empty path keeps the built-in texts.
    void Load(const std::filesystem::path& langFile);

    const std::string& Get(Label l) const { return labels_[l]; }
    const std::string& Get(Dialog d) const { return dialog_[d]; }
    const std::string& Get(Message m) const { return messages_[m]; }

    // The dialog label of each print field.
    static Dialog FieldLabel(PrintField field);

private:
    CTextTable labels_;
    CTextTable dialog_;
    CTextTable messages_;
};

// "  %s  " with the company name.
std::string PrintCompanyLine(const OwnerDetails& owner);
// The two lines below it: person, address, phone, fax, e-mail, ICO and DIC.
std::string PrintOwnerLines(const OwnerDetails& owner);
// " Kanal %d "
std::string PrintLegendTitle(int channel);
// "%s, R%s" with the probe name and ratio text.
std::string PrintProbeLine(const std::string& name, const std::string& ratio);
// "%d.%d.%d %d:%d:%d", day first, no leading zeros.
std::string PrintTimestamp(int day, int month, int year, int hour, int minute, int second);

} // namespace wavix
