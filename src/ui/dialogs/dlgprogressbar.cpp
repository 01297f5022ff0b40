#include "ui/dialogs/dlgprogressbar.h"

#include "core/settings/builtintexts.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

namespace wavix {

CDlgProgressBar::CDlgProgressBar(QWidget* parent) : QDialog(parent) {
    const auto builtin = [](std::string_view key) {
        const std::string_view text = BuiltinText(key);
        return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    };
    setWindowTitle(builtin("TXT_110"));
    text_ = new QLabel;
    text_->setObjectName(QStringLiteral("progressText"));
    text_->setMinimumWidth(320);
    bar_ = new QProgressBar;
    bar_->setObjectName(QStringLiteral("progressBar"));
    bar_->setRange(0, 100);
    bar_->setTextVisible(false);
    cancel_ = new QPushButton(builtin("TXT_115"));
    cancel_->setObjectName(QStringLiteral("cancel"));
    auto* root = new QVBoxLayout(this);
    root->addWidget(text_);
    root->addWidget(bar_);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cancel_);
    root->addLayout(buttons);
    connect(cancel_, &QPushButton::clicked, this, [this] {
        cancel_->setEnabled(false);
        emit Cancelled();
    });
}

void CDlgProgressBar::Begin(const QString& text) {
    text_->setText(text);
    bar_->setValue(bar_->minimum());
    cancel_->setEnabled(true);
}

void CDlgProgressBar::SetText(const QString& text) {
    text_->setText(text);
}

QString CDlgProgressBar::Text() const {
    return text_->text();
}

void CDlgProgressBar::SetRange(int low, int high) {
    bar_->setRange(low, high);
}

void CDlgProgressBar::SetPos(int pos) {
    bar_->setValue(pos);
}

int CDlgProgressBar::Pos() const {
    return bar_->value();
}

void CDlgProgressBar::StepIt() {
    const int next = bar_->value() + 1;
    bar_->setValue(next > bar_->maximum() ? bar_->minimum() : next);
}

void CDlgProgressBar::SetCancelText(const QString& text) {
    cancel_->setText(text);
}

void CDlgProgressBar::reject() {
    if (cancel_->isEnabled())
        cancel_->click();
}

} // namespace wavix
