#include "ui/dialogs/dlgconnection.h"

#include "core/settings/builtintexts.h"
#include "core/settings/generalsettings.h"
#include "core/settings/langtexts.h"
#include "ui/dialogs/dialogbuttons.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace wavix {

CDlgConnection::CDlgConnection(const std::filesystem::path& langFile, const std::string& address,
                               std::uint16_t port, QWidget* parent)
    : QDialog(parent) {
    CTextTable texts(BuiltinTextRange(1547, 1554));
    if (!langFile.empty())
        texts.Load(langFile);
    const auto qs = [](const std::string& text) { return QString::fromStdString(text); };
    setWindowTitle(qs(texts[0]));
    setModal(true);
    badAddress_ = texts[3];
    badPort_ = texts[4];

    addressEdit_ = new QLineEdit(qs(address));
    addressEdit_->setObjectName(QStringLiteral("address"));
    addressEdit_->setMaxLength(253);
    addressEdit_->setMinimumWidth(240);
    portEdit_ = new QLineEdit(QString::number(port));
    portEdit_->setObjectName(QStringLiteral("port"));
    portEdit_->setMaxLength(5);
    fault_ = new QLabel;
    fault_->setObjectName(QStringLiteral("fault"));
    fault_->setWordWrap(true);
    fault_->setStyleSheet(QStringLiteral("color: #c00000"));

    auto* form = new QFormLayout;
    form->addRow(qs(texts[1]), addressEdit_);
    form->addRow(qs(texts[2]), portEdit_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(fault_);
    layout->addWidget(AcceptRejectButtons(*this, qs(texts[6]), qs(texts[7]), QStringLiteral("connectButton"),
                                          QStringLiteral("cancelButton")));
}

void CDlgConnection::accept() {
    const std::string address = addressEdit_->text().trimmed().toStdString();
    const std::string port = portEdit_->text().trimmed().toStdString();
    switch (CheckEndpoint(address, port, &port_)) {
    case EndpointFault::BadAddress:
        fault_->setText(QString::fromStdString(badAddress_));
        addressEdit_->setFocus();
        return;
    case EndpointFault::BadPort:
        fault_->setText(QString::fromStdString(badPort_));
        portEdit_->setFocus();
        return;
    case EndpointFault::None:
        break;
    }
    address_ = address;
    QDialog::accept();
}

} // namespace wavix
