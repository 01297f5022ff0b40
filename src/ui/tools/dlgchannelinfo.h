#pragma once
// ".: Channel info ...": a modeless window, hidden until called, with what a
// live or loaded channel is (name, description, colour) and the settings it
// was recorded with. It shows a snapshot and keeps no link to the channel.

#include "core/app/channelinfo.h"
#include "core/settings/langtexts.h"

#include <QDialog>

#include <array>
#include <filesystem>

class QLabel;

namespace wavix {

class CChannelData;

class CDlgChannelInfo : public QDialog {
    Q_OBJECT
public:
    // Rows of the window, in order.
    enum Field {
        kName,
        kDescription,
        kColour,
        kGain,
        kCoupling,
        kProbeName,
        kProbeRatio,
        kProbeUnits,
        kTimeBase,
        kTriggerLevel,
        kTriggerEdge,
        kTriggerMode,
        kFieldCount
    };

    // An empty langFile keeps the built-in texts.
    explicit CDlgChannelInfo(std::filesystem::path langFile = {}, QWidget* parent = nullptr);

    // Fills the window from channel; the caller shows it.
    void SetChannel(const CChannelData& channel);
    const ChannelInfo& Info() const { return info_; }
    QString FieldText(Field field) const;
    QString Caption(Field field) const;

private:
    const std::string& text(std::string_view key) const;

    std::filesystem::path langFile_;
    CTextTable texts_;
    ChannelInfo info_;
    std::array<QLabel*, kFieldCount> captions_{};
    std::array<QLabel*, kFieldCount> values_{};
};

} // namespace wavix
