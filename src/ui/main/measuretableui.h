#pragma once
// The measurement table beside the views: its window, the rows kept in
// "Wavix.ini", and the values measured again after converted groups (at most
// once per screen refresh) and while the user moves zoom or cursors, on the
// channels the views show: live captures, loaded charts or the log window.

#include "core/analysis/measurementtable.h"
#include "core/app/mainview.h"
#include "core/scope/capturestore.h"
#include "ui/main/pacedcall.h"

#include <QTimer>

#include <array>
#include <filesystem>

class QWidget;

namespace wavix {

class CDlgMeasureTable;
class CScope;

class CMeasureTableUi : private ICaptureListener {
public:
    CMeasureTableUi(QWidget& window, CCaptureStore& capture, const std::array<CScope*, kViewCount>& views);
    ~CMeasureTableUi() override;
    CMeasureTableUi(const CMeasureTableUi&) = delete;
    CMeasureTableUi& operator=(const CMeasureTableUi&) = delete;

    // Once the data tree, language and menu bar are there: the window, the stored
    // rows, shown as last time, and the menu command (and its key) toggling it.
    void Create(const std::string& dataDir, const std::filesystem::path& langFile);
    void SetVisible(bool visible);
    bool IsVisible() const;
    // Measures now (tests, and before anything reads the values).
    void Refresh();
    CDlgMeasureTable* Window() const { return dlg_; }
    const CMeasurementTable& Table() const { return table_; }

private:
    void OnSamplesConverted(std::uint32_t) override { request(); }
    void OnChannelsChanged() override { request(); }
    void request();
    void save() const;

    QWidget& window_;
    CCaptureStore& capture_;
    const std::array<CScope*, kViewCount>& views_;
    CMeasurementTable table_;
    std::filesystem::path ini_;
    CDlgMeasureTable* dlg_ = nullptr;
    CPacedCall paced_{[this] { Refresh(); }};
    // Zoom, cursors and the log window move without a notice.
    QTimer poll_;
    // Context of the connections to the window's objects, which outlive this.
    QObject guard_;
};

} // namespace wavix
