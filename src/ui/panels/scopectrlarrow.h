#pragma once
// The small arrow key of the toolbar: one per direction (1 left, 2 right). A press
// posts UWM_SCOPE_CTRL_LEFT_RIGHT (0, direction) to the parent at once and shows
// the key pressed until the button is released (or for the flash time when the
// keyboard pressed it: Space, Return, or the arrow key of its own direction).

#include "core/support/messages.h"

#include <QTimer>
#include <QWidget>

#include <cstdint>

namespace wavix {

inline constexpr int kArrowLeft = 1;
inline constexpr int kArrowRight = 2;
inline constexpr std::uint32_t kArrowBackground = 0x00171616;
inline constexpr std::uint32_t kArrowFace = 0x00404040;
inline constexpr std::uint32_t kArrowInk = 0x00FFFFFF;
inline constexpr std::uint32_t kArrowPressedFace = 0x00808080;

class CScopeCtrlArrow : public QWidget {
    Q_OBJECT
public:
    explicit CScopeCtrlArrow(int direction, QWidget* parent = nullptr);

    void SetTarget(IMessageTarget* target) { target_ = target; }
    int GetDirection() const { return direction_; }
    bool IsPressed() const { return pressed_; }
    QSize sizeHint() const override { return {22, 22}; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Press();
    void Release();

    IMessageTarget* target_ = nullptr;
    int direction_;
    bool pressed_ = false;
    QTimer flash_;
};

} // namespace wavix
