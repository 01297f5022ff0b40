#pragma once
// The accept/reject button row the program's dialogs end with.

#include <QString>

class QDialog;
class QDialogButtonBox;

namespace wavix {

// An accept and a reject button with these texts and object names, the accept
// one the default (Enter), wired to the dialog's accept() and reject().
QDialogButtonBox* AcceptRejectButtons(QDialog& dlg, const QString& acceptText, const QString& rejectText,
                                      const QString& acceptName = QStringLiteral("okButton"),
                                      const QString& rejectName = QStringLiteral("cancelButton"));

} // namespace wavix
