#pragma once
// The timebase panel: time per division (with the display's zoom) as text, keys
// for a slower and a faster timebase. Its title shows the zoom factor while the
// display it is linked to is zoomed; any click drops that link and asks the parent
// to reset the zoom, since the zoomed window no longer matches a new timebase.
//
// Keyboard: Left or Minus steps the timebase down, Right or Plus up.

#include "ui/panels/scopectrlbase.h"

#include <functional>

namespace wavix {

class CScopeCtrlTimeBase : public CScopeCtrlBase {
    Q_OBJECT
public:
    enum KeyId { KeyDown, KeyUp };
    // Answers the linked display's zoom factor, 1.0 when not zoomed.
    using ZoomSource = std::function<double()>;

    explicit CScopeCtrlTimeBase(QWidget* parent = nullptr);
    void UpdateTexts() override;
    QSize sizeHint() const override { return {250, 44}; }

    void SetZoom(ZoomSource zoom);
    bool HasZoom() const { return static_cast<bool>(zoom_); }

protected:
    void RunKey(int key) override;
    void OnCtrlBase(std::intptr_t wParam, std::intptr_t lParam) override;
    int KeyForShortcut(int qtKey) const override;

private:
    double ZoomFactor() const;

    ZoomSource zoom_;
};

} // namespace wavix
