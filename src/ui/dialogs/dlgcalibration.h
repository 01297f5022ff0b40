#pragma once
// The calibration dialog: shows the head of the record a calibration run will
// send and takes the module's calibration password. It ends with OK only
// when the password fits the record; Record() then holds it.

#include "core/scope/oscileeprom.h"

#include <QDialog>

class QLineEdit;

namespace wavix {

class CDlgCalibration : public QDialog {
    Q_OBJECT

public:
    // A fresh record: default calibration, calibrated today.
    explicit CDlgCalibration(QWidget* parent = nullptr);
    // Works on a copy of the given record.
    explicit CDlgCalibration(const SOscil_EEPROM& record, QWidget* parent = nullptr);

    const SOscil_EEPROM& Record() const { return record_; }

    void accept() override;

private:
    SOscil_EEPROM record_;
    QLineEdit* password_ = nullptr;
};

} // namespace wavix
