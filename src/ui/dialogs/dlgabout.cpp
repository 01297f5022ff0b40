#include "ui/dialogs/dlgabout.h"

#include "core/support/version.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QVBoxLayout>

namespace wavix {

QString CDlgAbout::ProgramText() {
    // No build date: a package built twice from the same source is the same package.
    return QStringLiteral("Wavix v") + QString::fromLatin1(WavixVersion());
}

CDlgAbout::CDlgAbout(const OwnerDetails& owner, const QString& dataTreeCaption, const QString& dataTree,
                     QWidget* parent)
    : QDialog(parent) {
    setWindowTitle(QStringLiteral(".: Info ..."));
    setModal(true);
    auto* program = new QLabel(ProgramText());
    program->setObjectName(QStringLiteral("program"));
    QFont big = program->font();
    big.setBold(true);
    program->setFont(big);

    QStringList lines;
    for (const std::string* s :
         {&owner.company, &owner.person, &owner.street, &owner.city, &owner.phone, &owner.email})
        if (!s->empty())
            lines << QString::fromStdString(*s);
    auto* workshop = new QLabel(lines.join(QLatin1Char('\n')));
    workshop->setObjectName(QStringLiteral("owner"));
    workshop->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* treeCaption = new QLabel(dataTreeCaption);
    treeCaption->setObjectName(QStringLiteral("dataTreeCaption"));
    auto* tree = new QLabel(dataTree);
    tree->setObjectName(QStringLiteral("folder"));
    tree->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(program);
    layout->addWidget(workshop);
    layout->addSpacing(6);
    layout->addWidget(treeCaption);
    layout->addWidget(tree);
    layout->addWidget(buttons);
}

} // namespace wavix
