#pragma once
// One print command: ask for the page's details and the printer, read the
// workshop's details afresh from "General.ini", draw the page, and say so
// plainly when the file or printer cannot be used.

#include "core/print/printdata.h"

#include <QString>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

class QPrinter;
class QWidget;

namespace wavix {

class CChannelData;
class CPrintLayout;
class CScope;

struct PrintSources {
    std::filesystem::path langFile; // empty: built-in texts
    std::string dataDir;            // where "Settings/General.ini" is
    std::vector<CScope*> displays;  // display k goes into strip k
    bool perChannel = false;        // one display per channel
    int channelCount = 1;
    CChannelData* triggerChannel = nullptr;
    std::vector<CChannelData*> channels; // one legend each
};

enum class PrintOutcome { Printed, Cancelled, NoOwnerDetails, CannotOpen, Failed };

class CPrintJob {
public:
    using Report = std::function<void(const std::string& text)>;

    CPrintJob(QWidget* parent, Report report) : parent_(parent), report_(std::move(report)) {}

    PrintOutcome Run(const PrintSources& sources);

    // Draws the page onto the printer. CannotOpen when the device (or its file)
    // does not start, Failed when the page does not finish.
    static PrintOutcome PrintPage(QPrinter& printer, const CPrintLayout& layout, const PrintSources& sources);

private:
    QWidget* parent_;
    Report report_;
};

} // namespace wavix
