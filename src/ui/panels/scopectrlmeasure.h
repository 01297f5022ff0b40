#pragma once
// The time-axis measurement panel: the time between the display's two cursors
// and the matching frequency. It has no keys; the display's cursors drive it.

#include "ui/panels/scopectrlbase.h"

#include <functional>

namespace wavix {

class CScopeCtrlMeasure : public CScopeCtrlBase {
    Q_OBJECT
public:
    // Cursor distance in percent of the plot width (right minus left).
    using DistanceSource = std::function<double()>;
    // The display's zoom factor, 1.0 when not zoomed.
    using ZoomSource = std::function<double()>;

    explicit CScopeCtrlMeasure(QWidget* parent = nullptr);
    void UpdateTexts() override;
    QSize sizeHint() const override { return {250, 44}; }

    void SetCursors(DistanceSource distance, ZoomSource zoom);

private:
    DistanceSource distance_;
    ZoomSource zoom_;
};

} // namespace wavix
