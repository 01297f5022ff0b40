#pragma once
// A clickable coloured label bound to one channel. Derived panels add keys that
// edit the settings record through the channel; every click flashes (the pressed
// key, and the label background) for the flash time and tells the parent.

#include "core/panels/panelkeys.h"
#include "core/support/messages.h"

#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <string>
#include <vector>

namespace wavix {

class CChannelData;

class CScopeCtrlBase : public QWidget {
    Q_OBJECT
public:
    static constexpr const char* kClassName = "CScopeCtrlBase";

    explicit CScopeCtrlBase(QWidget* parent = nullptr);
    ~CScopeCtrlBase() override;

    void SetTarget(IMessageTarget* target) { target_ = target; }
    void SetChannel(CChannelData* channel);
    CChannelData* GetChannel() const { return channel_; }
    // The bound channel, or null after showing the unbound label and no values.
    CChannelData* BoundChannelOrShowUnbound();
    // The bound channel carries a record the tester confirmed: before that there
    // is no value to show and nothing to edit.
    bool HasRecord() const;
    // Rereads the bound channel; the owner calls it after every channel or record change.
    virtual void UpdateTexts();

    // Panel title word from the language file ("Kanál", "Spouštění", ..).
    void SetTitle(std::string title);
    const std::string& GetTitle() const { return title_; }
    const std::string& GetText() const { return text_; }
    void SetText(std::string text);
    const std::vector<std::string>& GetValues() const { return values_; }

    void SetFlashTime(int ms) { flashMs_ = ms; }
    int GetFlashTime() const { return flashMs_; }
    void SetBackground(std::uint32_t colour);
    std::uint32_t GetBackground() const { return background_; }
    std::uint32_t GetTextColor() const { return textColor_; }
    bool IsLabelFlashing() const { return labelTimer_.isActive(); }
    bool IsKeyFlashing() const { return keys_.IsFlashing(); }

    int KeyCount() const { return keys_.Count(); }
    const CPanelKeys::Key& Key(int i) const { return keys_.At(i); }
    // The tool tip shown over key i (keys are drawn, not widgets).
    void SetKeyTip(int i, std::string tip) { keys_.SetTip(i, std::move(tip)); }
    QRect KeyRect(int i) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    // The operation of key i on the bound channel.
    virtual void RunKey(int key);
    virtual void OnKeyFlashEnd(int key);
    // UWM_SCOPE_CTRL_BASE the panel sends itself; LabelClicked follows every label click.
    virtual void OnCtrlBase(std::intptr_t wParam, std::intptr_t lParam);
    // The panel key a keyboard key stands for, or -1.
    virtual int KeyForShortcut(int qtKey) const;
    virtual void RightClick(const QPoint& globalPos);

    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

    int AddKey(std::uint32_t face, std::string caption);
    void SetKeyCaption(int key, std::string caption);
    void SetValues(std::vector<std::string> values);
    // Derived panels draw title, values and keys instead of the plain label.
    void SetCustomText(bool on) { customText_ = on; }
    bool IsCustomText() const { return customText_; }
    void Post(Msg msg, std::intptr_t wParam, std::intptr_t lParam) const;
    // UWM_SCOPE_CTRL_BASE (channel number, ChannelClicked) when a channel is bound.
    void NotifyClick() const;
    void Relayout();

    std::string title_;

private:
    void Click(int key, const QPoint& pos);
    void KeyClick(int key);
    void LabelClick(const QPoint& pos);
    void EndKeyFlash();
    void EndLabelFlash();
    void DrawLabel(QPainter& p) const;
    void DrawPanel(QPainter& p) const;
    QFont TitleFont() const;
    QFont ValueFont() const;

    IMessageTarget* target_ = nullptr;
    CChannelData* channel_ = nullptr;
    std::string text_;
    std::vector<std::string> values_;
    bool customText_ = false;
    int flashMs_ = kPanelFlashMs;
    std::uint32_t textColor_ = kPanelInitialTextColor;
    std::uint32_t background_ = 0;
    std::uint32_t savedBackground_ = 0;
    CPanelKeys keys_;
    PanelLayout layout_;
    QTimer labelTimer_;
    QTimer keyTimer_;
};

} // namespace wavix
