#pragma once
// The sample chart library (toolbar code 11) inside the main window: the book
// dialog, then what its answer asks for (AfterScopeBook): a box, the chart's
// record for the next exchange, its waveforms as loaded traces.

#include <filesystem>
#include <memory>

namespace wavix {

class CScopeData;
class CScopeFile;
class CWavixDlg;

class CScopeBookUi {
public:
    CScopeBookUi(CWavixDlg& window, CScopeData& data) : window_(window), data_(data) {}

    // The book on the charts of dataDir: settings only, or settings and waveforms.
    void Open(const std::filesystem::path& dataDir, const std::filesystem::path& langFile);
    // A chart chosen in the book: its record goes out with the next exchange; with
    // traces its channels become loaded traces (all in view A, or one per view).
    void Load(std::unique_ptr<CScopeFile> chart, bool traces, bool multiView);

private:
    CWavixDlg& window_;
    CScopeData& data_;
};

} // namespace wavix
