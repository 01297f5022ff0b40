#pragma once
// The panel of one channel: its range as text, keys for range down and up, the
// coupling and "Trigg" (make this channel the trigger source). A right click asks
// the parent for the channel's menu.
//
// Keyboard: Down / Up range, C coupling, T trigger source, Menu or Shift+F10 the menu.

#include "ui/panels/scopectrlbase.h"

namespace wavix {

class CScopeCtrlChannel : public CScopeCtrlBase {
    Q_OBJECT
public:
    enum KeyId { KeyRangeDown, KeyRangeUp, KeyCoupling, KeyTrigger };

    explicit CScopeCtrlChannel(QWidget* parent = nullptr);
    void UpdateTexts() override;
    QSize sizeHint() const override { return {250, 44}; }

    // lParam of UWM_CHANNEL_RIGHT_BUTTON_DOWN: screen x in the low 16 bits, y in the high 16.
    static std::intptr_t PackPoint(const QPoint& p);

protected:
    void RunKey(int key) override;
    void OnKeyFlashEnd(int key) override;
    int KeyForShortcut(int qtKey) const override;
    void RightClick(const QPoint& globalPos) override;
};

} // namespace wavix
