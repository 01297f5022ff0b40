#pragma once
// The log chart navigator window (modeless): window length and position sliders
// with their step buttons, the marks and their list, the log's channel settings, the measured
// time, "Režim zobrazení" and "Stop". It shows and changes a CLogChartNavigator
// kept by the main window and posts UWM_DLG_CONTROL_LOG_CHART_MSG to it with a
// LogChartNotice in lParam (WindowChanged and DisplayMode only while a log is
// loaded).

#include "core/files/logchartnavigator.h"
#include "core/support/messagecodes.h"
#include "core/support/messages.h"

#include <QDialog>

#include <string>
#include <vector>

class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class QSlider;
class QTableView;

namespace wavix {

class CMarkListModel;

class CDlgControlLogChart : public QDialog {
    Q_OBJECT
public:
    CDlgControlLogChart(CLogChartNavigator& navigator, IMessageTarget* target, QWidget* parent = nullptr);

    // The navigator's texts were (re)loaded.
    void ApplyTexts();
    // A log was set: slider ranges, labels and the channel list.
    void ShowLog(const std::vector<std::string>& channelLines);
    // Labels and sliders from the navigator.
    void Refresh();
    // From the display's measured span: percent of the window and the scale divisor.
    void SetMeasurement(float percent, float divisor);

    // The controls, for keyboard-free use in tests.
    void PressFactorUp();
    void PressFactorDown();
    void PressPositionForward();
    void PressPositionBack();
    void PressNextMark();
    void PressPreviousMark();
    void ReleasePositionSlider(int value);
    void ReleaseFactorSlider(int value);
    void PressStop();
    void PressDisplayMode();
    // A double-click on a row of the mark list: the window centres on that mark.
    void ActivateMarkRow(int row);

    QString PositionLabel() const;
    QString WindowLabel() const;
    QString MarkCountLabel() const;
    QString ActiveMarkLabel() const;
    QString MeasurementLabel() const;
    QStringList ChannelLines() const;
    int PositionSliderMax() const;
    // The mark list: one row per mark with number, time in the log and kind.
    int MarkRows() const;
    QString MarkCell(int row, int column) const;
    int SelectedMarkRow() const;

protected:
    void reject() override {} // closed only by Stop

private:
    void moved(bool changed);
    void post(LogChartNotice notice);

    CLogChartNavigator& nav_;
    IMessageTarget* target_ = nullptr;

    QGroupBox* positionGroup_ = nullptr;
    QGroupBox* marksGroup_ = nullptr;
    QGroupBox* measureGroup_ = nullptr;
    QGroupBox* channelsGroup_ = nullptr;
    QLabel* positionText_ = nullptr;
    QSlider* position_ = nullptr;
    QLabel* windowText_ = nullptr;
    QSlider* factor_ = nullptr;
    QLabel* markCount_ = nullptr;
    QLabel* activeMark_ = nullptr;
    QLabel* goToMark_ = nullptr;
    QLabel* measurement_ = nullptr;
    QListWidget* channels_ = nullptr;
    CMarkListModel* markModel_ = nullptr;
    QTableView* markList_ = nullptr;
    QPushButton* displayMode_ = nullptr;
    QPushButton* stop_ = nullptr;
    bool refreshing_ = false;
};

} // namespace wavix
