#pragma once
// Help / about: program name, version, the workshop the copy belongs to (the
// owner's company of the general settings) and the data tree in use, which an
// installed program keeps in the user's home.

#include "core/settings/generalsettings.h"

#include <QDialog>

namespace wavix {

class CDlgAbout : public QDialog {
    Q_OBJECT

public:
    CDlgAbout(const OwnerDetails& owner, const QString& dataTreeCaption, const QString& dataTree,
              QWidget* parent = nullptr);

    static QString ProgramText();
};

} // namespace wavix
