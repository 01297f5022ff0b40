#pragma once
// The modal question at start: where the first oscilloscope settings come
// from. Accepting answers Result(); rejecting ends the program.

#include "core/settings/startupoptions.h"

#include <QDialog>

#include <filesystem>

class QButtonGroup;
class QComboBox;
class QLabel;

namespace wavix {

class CDlgStartupOptions : public QDialog {
    Q_OBJECT

public:
    // An empty langFile keeps the built-in texts.
    CDlgStartupOptions(const std::filesystem::path& langFile, StartupChoice initial,
                       QWidget* parent = nullptr);

    StartupResult Result() const { return options_.Result(); }

    void accept() override;

private:
    void choose(int choice);

    CStartupOptions options_;
    QButtonGroup* choices_ = nullptr;
    QLabel* timebaseLabel_ = nullptr;
    QComboBox* timebaseList_ = nullptr;
    QLabel* channelLabel_ = nullptr;
    QComboBox* channelList_ = nullptr;
};

} // namespace wavix
