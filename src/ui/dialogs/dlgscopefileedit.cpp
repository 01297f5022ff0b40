#include "ui/dialogs/dlgscopefileedit.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace wavix {

namespace {

// The file keeps each text in a field of 255 bytes and its terminating zero.
constexpr int kMaxTextChars = 255;

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

QLineEdit* field(const QString& name) {
    auto* edit = new QLineEdit;
    edit->setObjectName(name);
    edit->setMaxLength(kMaxTextChars);
    edit->setMinimumWidth(260);
    return edit;
}

// The limit counts characters; the file counts UTF-8 bytes.
std::string cut(const QString& text) {
    QByteArray bytes = text.toUtf8();
    while (bytes.size() > kMaxTextChars) {
        // Drop whole characters so no half UTF-8 sequence remains.
        qsizetype end = bytes.size() - 1;
        while (end > 0 && (static_cast<unsigned char>(bytes[end]) & 0xC0) == 0x80)
            --end;
        bytes.truncate(end);
    }
    return bytes.toStdString();
}

} // namespace

CDlgScopeFileEdit::CDlgScopeFileEdit(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral(".: Edit ..."));
    setModal(true);
    description_ = field(QStringLiteral("chartName"));
    auto* top = new QGridLayout;
    top->addWidget(new QLabel(QStringLiteral("Název měření:")), 0, 0);
    top->addWidget(description_, 0, 1);

    auto* channels = new QGroupBox(QStringLiteral(" Kanály "));
    auto* grid = new QGridLayout(channels);
    grid->addWidget(new QLabel(QStringLiteral("Název")), 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("Popis")), 0, 2);
    for (int i = 0; i < kMaxFileChannels; ++i) {
        const QChar letter(u'A' + i);
        const auto k = static_cast<std::size_t>(i);
        names_[k] = field(QStringLiteral("name%1").arg(letter));
        descriptions_[k] = field(QStringLiteral("description%1").arg(letter));
        grid->addWidget(new QLabel(QStringLiteral("Kanál %1:").arg(letter)), i + 1, 0);
        grid->addWidget(names_[k], i + 1, 1);
        grid->addWidget(descriptions_[k], i + 1, 2);
    }

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("okButton"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Zrušit"));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(channels);
    layout->addWidget(buttons);
}

void CDlgScopeFileEdit::Prepare(const ChartRecord& record) {
    const ChartEdit edit = CChartLibrary::EditFields(record);
    description_->setText(qs(edit.description));
    for (std::size_t k = 0; k < edit.channels.size(); ++k) {
        const auto& ch = edit.channels[k];
        names_[k]->setText(ch.enabled ? qs(ch.name) : QString());
        descriptions_[k]->setText(ch.enabled ? qs(ch.description) : QString());
        names_[k]->setEnabled(ch.enabled);
        descriptions_[k]->setEnabled(ch.enabled);
    }
    description_->setFocus();
}

ChartEdit CDlgScopeFileEdit::Fields() const {
    ChartEdit edit;
    edit.description = cut(description_->text());
    for (std::size_t k = 0; k < edit.channels.size(); ++k) {
        auto& ch = edit.channels[k];
        ch.enabled = names_[k]->isEnabled();
        ch.name = cut(names_[k]->text());
        ch.description = cut(descriptions_[k]->text());
    }
    return edit;
}

int CDlgScopeFileEdit::Run(ChartRecord& record) {
    Prepare(record);
    if (exec() != QDialog::Accepted)
        return 0;
    CChartLibrary::ApplyEdit(record, Fields());
    return 1;
}

} // namespace wavix
