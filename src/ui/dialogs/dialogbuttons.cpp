#include "ui/dialogs/dialogbuttons.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QPushButton>

namespace wavix {

QDialogButtonBox* AcceptRejectButtons(QDialog& dlg, const QString& acceptText, const QString& rejectText,
                                      const QString& acceptName, const QString& rejectName) {
    auto* buttons = new QDialogButtonBox;
    QPushButton* accept = buttons->addButton(acceptText, QDialogButtonBox::AcceptRole);
    QPushButton* reject = buttons->addButton(rejectText, QDialogButtonBox::RejectRole);
    accept->setObjectName(acceptName);
    reject->setObjectName(rejectName);
    accept->setDefault(true);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dlg, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
    return buttons;
}

} // namespace wavix
