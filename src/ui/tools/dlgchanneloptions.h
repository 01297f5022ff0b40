#pragma once
// ".: Channel options": a modeless window, hidden until called, for one
// channel at a time out of the list the main window keeps filled through
// UWM_CHANNEL_OPTIONS_CTRL: input mode, gain, offset, colour and probe.

#include "core/app/channeloptionslist.h"
#include "ui/tools/toolchoosers.h"

#include <QDialog>

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QToolButton;

namespace wavix {

class CDlgChannelOptions : public QDialog {
    Q_OBJECT
public:
    explicit CDlgChannelOptions(std::string dataDir = {}, QWidget* parent = nullptr,
                                const std::filesystem::path& langFile = {});

    // UWM_CHANNEL_OPTIONS_CTRL; for lParam 1 wParam must be a live CChannelData (or 0).
    void OnControl(std::intptr_t wParam, std::intptr_t lParam);
    // The owner removes channel: when listed, every channel is forgotten and the window hides.
    void Forget(const CChannelData* channel);

    const CChannelOptionsList& List() const { return list_; }
    void SetChoosers(ToolChoosers choosers) { choosers_ = std::move(choosers); }

    // The controls, as the user works them.
    void SetCoupling(int coupling); // 0 AC, 1 DC, 2 GND
    void StepGain(int step);        // negative: up arrow
    void StepOffset(int step);
    void ChooseColour();
    void LoadProbe();
    void UnloadProbe();

    QString ShownTitle() const;
    QString GainText() const;
    QString ProbeNameText() const;

private:
    void refill();
    void showChannel();
    CChannelData* shownForEditing() const;
    void setEditingEnabled(bool on);

    std::string dataDir_;
    CChannelOptionsList list_;
    ToolChoosers choosers_;

    QComboBox* chooser_ = nullptr;
    QLabel* title_ = nullptr;
    std::array<QPushButton*, 3> modes_{};
    QLineEdit* gain_ = nullptr;
    QToolButton* gainUp_ = nullptr;
    QToolButton* gainDown_ = nullptr;
    QToolButton* offsetUp_ = nullptr;
    QToolButton* offsetDown_ = nullptr;
    QPushButton* colour_ = nullptr;
    QLabel* colourSwatch_ = nullptr;
    QGroupBox* probeGroup_ = nullptr;
    QLabel* probeRatio_ = nullptr;
    QLabel* probeName_ = nullptr;
    QLabel* probeUnits_ = nullptr;
    QPushButton* loadProbe_ = nullptr;
    QPushButton* unloadProbe_ = nullptr;
};

} // namespace wavix
