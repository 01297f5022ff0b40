#include "ui/dialogs/dlgscopefileedit.h"

#include "core/settings/builtintexts.h"
#include "core/support/strformat.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

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

constexpr int kFirstText = 1030;
constexpr int kLastText = 1035;

} // namespace

CDlgScopeFileEdit::CDlgScopeFileEdit(QWidget* parent, const std::filesystem::path& langFile)
    : QDialog(parent), texts_(BuiltinTextRange(kFirstText, kLastText)) {
    if (!langFile.empty())
        texts_.Load(langFile);
    setWindowTitle(QStringLiteral(".: Edit ..."));
    setModal(true);
    description_ = field(QStringLiteral("chartName"));
    auto* top = new QGridLayout;
    top->addWidget(new QLabel(qs(text("TXT_1030"))), 0, 0);
    top->addWidget(description_, 0, 1);

    auto* channels = new QGroupBox(qs(text("TXT_1031")));
    auto* grid = new QGridLayout(channels);
    grid->addWidget(new QLabel(qs(text("TXT_1032"))), 0, 1);
    grid->addWidget(new QLabel(qs(text("TXT_1033"))), 0, 2);
    for (int i = 0; i < kMaxFileChannels; ++i) {
        const QChar letter(u'A' + i);
        const auto k = static_cast<std::size_t>(i);
        names_[k] = field(QStringLiteral("name%1").arg(letter));
        descriptions_[k] = field(QStringLiteral("description%1").arg(letter));
        const char name[] = {static_cast<char>('A' + i), '\0'};
        grid->addWidget(new QLabel(qs(StrFormat(text("TXT_1034").c_str(), name))), i + 1, 0);
        grid->addWidget(names_[k], i + 1, 1);
        grid->addWidget(descriptions_[k], i + 1, 2);
    }

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setObjectName(QStringLiteral("okButton"));
    buttons->button(QDialogButtonBox::Cancel)->setText(qs(text("TXT_1035")));
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(channels);
    layout->addWidget(buttons);
}

const std::string& CDlgScopeFileEdit::text(std::string_view key) const {
    const int i = TextIndex(BuiltinTextRange(kFirstText, kLastText), key);
    return texts_[static_cast<std::size_t>(std::max(i, 0))];
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
