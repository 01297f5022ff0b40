#pragma once
// Help / about: program name, version and the workshop the copy
// belongs to (the owner's company of the general settings).

#include "core/settings/generalsettings.h"

#include <QDialog>

namespace wavix {

class CDlgAbout : public QDialog {
    Q_OBJECT

public:
    CDlgAbout(const OwnerDetails& owner, QWidget* parent = nullptr);

    static QString ProgramText();
};

} // namespace wavix
