#pragma once
// The trigger panel: trigger level and edge as text, keys for the next trigger
// mode and the edge. Keyboard: M next mode, E edge.

#include "ui/panels/scopectrlbase.h"

namespace wavix {

class CScopeCtrlTrigger : public CScopeCtrlBase {
    Q_OBJECT
public:
    enum KeyId { KeyMode, KeyEdge };

    explicit CScopeCtrlTrigger(QWidget* parent = nullptr);
    void UpdateTexts() override;
    QSize sizeHint() const override { return {250, 44}; }

protected:
    void RunKey(int key) override;
    int KeyForShortcut(int qtKey) const override;
};

} // namespace wavix
