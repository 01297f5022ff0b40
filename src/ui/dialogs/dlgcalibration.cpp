#include "ui/dialogs/dlgcalibration.h"

#include "core/app/calibrationrecord.h"
#include "core/settings/builtintexts.h"
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

// Title, the seven field labels, OK, Cancel and the refusal of a bad password.
constexpr int kFirstText = 1400;
constexpr int kLastText = 1410;
constexpr std::size_t kTitle = 0;
constexpr std::size_t kFirstLabel = 1;
constexpr std::size_t kOk = 8;
constexpr std::size_t kCancel = 9;
constexpr std::size_t kBadPassword = 10;

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

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
    : QDialog(parent), record_(record), texts_(BuiltinTextRange(kFirstText, kLastText)) {
    setModal(true);

    password_ = new QLineEdit(QString::number(record_.reserved2));
    password_->setObjectName(QStringLiteral("password"));

    auto* form = new QFormLayout;
    // The lowest and the highest calibrated range, channel 1: zero / gain- / gain+.
    QWidget* fields[] = {shownField(QString::number(record_.state), "version"),
                         shownField(QString::number(record_.size), "size"),
                         shownField(QString::number(record_.reserved1), "sum"),
                         password_,
                         shownField(QString::asprintf("%08X", CalibrationDateWord(record_)), "date"),
                         shownField(entryText(record_, 1), "calLow"),
                         shownField(entryText(record_, 8), "calHigh")};
    for (std::size_t i = 0; i < labels_.size(); ++i) {
        labels_[i] = new QLabel;
        form->addRow(labels_[i], fields[i]);
    }

    QDialogButtonBox* buttons = AcceptRejectButtons(*this, QStringLiteral("OK"), QStringLiteral("Cancel"));
    ok_ = buttons->findChild<QPushButton*>(QStringLiteral("okButton"));
    cancel_ = buttons->findChild<QPushButton*>(QStringLiteral("cancelButton"));
    applyTexts();

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
        QMessageBox box(QMessageBox::Critical, QStringLiteral(".: Error ..."), qs(texts_[kBadPassword]),
                        QMessageBox::Ok, this);
        box.exec();
        password_->setFocus();
        password_->selectAll();
        return;
    }
    record_.reserved2 = *password;
    QDialog::accept();
}

void CDlgCalibration::SetLanguage(const std::filesystem::path& langFile) {
    texts_.Load(langFile);
    applyTexts();
}

void CDlgCalibration::applyTexts() {
    setWindowTitle(qs(texts_[kTitle]));
    for (std::size_t i = 0; i < labels_.size(); ++i)
        labels_[i]->setText(qs(texts_[kFirstLabel + i]));
    if (ok_ != nullptr)
        ok_->setText(qs(texts_[kOk]));
    if (cancel_ != nullptr)
        cancel_->setText(qs(texts_[kCancel]));
}

} // namespace wavix
