#include "ui/dialogs/dlgchangetimebase.h"

#include "core/scope/oscilexchange.h"
#include "core/settings/builtintexts.h"
#include "core/support/strformat.h"
#include "ui/dialogs/dialogbuttons.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace wavix {

namespace {

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

std::string CDlgChangeTimeBase::StepText(int step, const std::string& division) {
    const double ms = TimePerDivMs(step);
    return ms >= 1000.0 ? StrFormat("%g s/%s", ms / 1000.0, division.c_str())
                        : StrFormat("%g ms/%s", ms, division.c_str());
}

CDlgChangeTimeBase::CDlgChangeTimeBase(const std::filesystem::path& langFile, int currentStep, int fileStep,
                                       QWidget* parent)
    : QDialog(parent) {
    CTextTable texts(BuiltinTextRange(730, 736));
    CTextTable division(BuiltinTextRange(708, 708));
    if (!langFile.empty()) {
        texts.Load(langFile);
        division.Load(langFile);
    }
    setWindowTitle(qs(texts[0]));
    setModal(true);

    auto* explanation = new QLabel(qs(texts[1]));
    explanation->setWordWrap(true);
    explanation->setMinimumWidth(420);
    auto* form = new QFormLayout;
    auto* current = new QLabel(qs(StepText(currentStep, division[0])));
    current->setObjectName(QStringLiteral("currentTimeBase"));
    auto* file = new QLabel(qs(StepText(fileStep, division[0])));
    file->setObjectName(QStringLiteral("fileTimeBase"));
    QFont bold = current->font();
    bold.setBold(true);
    current->setFont(bold);
    file->setFont(bold);
    form->addRow(qs(texts[3]), current);
    form->addRow(qs(texts[4]), file);
    auto* question = new QLabel(qs(texts[2]));

    QDialogButtonBox* buttons = AcceptRejectButtons(*this, qs(texts[5]), qs(texts[6]),
                                                    QStringLiteral("yesButton"), QStringLiteral("noButton"));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(explanation);
    layout->addLayout(form);
    layout->addWidget(question);
    layout->addWidget(buttons);
}

} // namespace wavix
