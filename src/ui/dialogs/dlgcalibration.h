#pragma once
// The calibration dialog: shows the head of the record a calibration run will
// send and takes the module's calibration password. It ends with OK only
// when the password fits the record; Record() then holds it.

#include "core/scope/oscileeprom.h"
#include "core/settings/langtexts.h"

#include <QDialog>

#include <array>
#include <filesystem>

class QLabel;
class QLineEdit;
class QPushButton;

namespace wavix {

class CDlgCalibration : public QDialog {
    Q_OBJECT

public:
    // A fresh record: default calibration, calibrated today.
    explicit CDlgCalibration(QWidget* parent = nullptr);
    // Works on a copy of the given record.
    explicit CDlgCalibration(const SOscil_EEPROM& record, QWidget* parent = nullptr);

    const SOscil_EEPROM& Record() const { return record_; }
    // Texts from the language file; the built-in ones stay for missing keys.
    void SetLanguage(const std::filesystem::path& langFile);

    void accept() override;

private:
    void applyTexts();

    SOscil_EEPROM record_;
    CTextTable texts_;
    QLineEdit* password_ = nullptr;
    std::array<QLabel*, 7> labels_{};
    QPushButton* ok_ = nullptr;
    QPushButton* cancel_ = nullptr;
};

} // namespace wavix
