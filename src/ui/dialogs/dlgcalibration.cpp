#include "ui/dialogs/dlgcalibration.h"

#include "core/app/calibrationrecord.h"
#include "ui/dialogs/dialogbuttons.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace wavix {

namespace {

QLineEdit* shownField(const QString& text, const char* name) {
    auto* field = new QLineEdit(text);
    field->setObjectName(QLatin1String(name));
    field->setReadOnly(true);
    field->setFocusPolicy(Qt::NoFocus);
    return field;
}

// Zero, negative and positive gain of one calibration entry of channel 1.
QString entryText(const SOscil_EEPROM& rec, int range) {
    const SOscilCalEntry& e = rec.entryForRange(1, range);
    return QStringLiteral("%1 / %2 / %3").arg(e.zero).arg(e.gainNeg).arg(e.gainPos);
}

} // namespace

CDlgCalibration::CDlgCalibration(QWidget* parent)
    : CDlgCalibration(PrepareCalibrationRecord(LocalToday()), parent) {}

CDlgCalibration::CDlgCalibration(const SOscil_EEPROM& record, QWidget* parent)
    : QDialog(parent), record_(record) {
    setWindowTitle(QStringLiteral(".: Kalibrace"));
    setModal(true);

    password_ = new QLineEdit(QString::number(record_.reserved2));
    password_->setObjectName(QStringLiteral("password"));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Verze :"), shownField(QString::number(record_.state), "version"));
    form->addRow(QStringLiteral("Velikost :"), shownField(QString::number(record_.size), "size"));
    form->addRow(QStringLiteral("Suma :"), shownField(QString::number(record_.reserved1), "sum"));
    form->addRow(QStringLiteral("Password :"), password_);
    form->addRow(QStringLiteral("Datum :"),
                 shownField(QString::asprintf("%08X", CalibrationDateWord(record_)), "date"));
    // The lowest and the highest calibrated range, channel 1: zero / gain- / gain+.
    form->addRow(QStringLiteral("kalibrace_low :"), shownField(entryText(record_, 1), "calLow"));
    form->addRow(QStringLiteral("kalibrace_hight :"), shownField(entryText(record_, 8), "calHigh"));

    QDialogButtonBox* buttons = AcceptRejectButtons(*this, QStringLiteral("OK"), QStringLiteral("Zrušit"));

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    setMinimumWidth(300);
    password_->setFocus();
    password_->selectAll();
}

void CDlgCalibration::accept() {
    const std::optional<std::uint16_t> password = ParseCalibrationPassword(password_->text().toStdString());
    if (!password) {
        QMessageBox box(QMessageBox::Critical, QStringLiteral(".: Error ..."),
                        QStringLiteral("Položka Password je mimo povolené limity!"), QMessageBox::Ok, this);
        box.exec();
        password_->setFocus();
        password_->selectAll();
        return;
    }
    record_.reserved2 = *password;
    QDialog::accept();
}

} // namespace wavix
