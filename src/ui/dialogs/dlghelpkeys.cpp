#include "ui/dialogs/dlghelpkeys.h"

#include "core/settings/builtintexts.h"
#include "core/settings/ini.h"

#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
#include <QTextDocument>
#include <QVBoxLayout>

namespace wavix {

namespace {

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

} // namespace

CDlgHelpKeys::CDlgHelpKeys(const std::filesystem::path& langFile, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("helpKeys"));
    const CIni lang(langFile);
    const auto text = [&](std::string_view key) {
        const std::string_view builtin = BuiltinText(key);
        return langFile.empty() ? std::string(builtin) : LangText(lang, key, builtin);
    };
    QString title = qs(text("TXT_1610")).trimmed();
    while (title.endsWith(QLatin1Char('.')))
        title.chop(1);
    setWindowTitle(title.trimmed());
    QString html = QStringLiteral("<table cellspacing=\"4\">");
    for (const KeyHelpRow& row : KeyHelpRows(text)) {
        const QString what = qs(row.text).toHtmlEscaped();
        if (row.shortcut.empty()) {
            html += QStringLiteral("<tr><td colspan=\"2\">%1</td></tr>").arg(what);
        } else {
            const QString keys = QKeySequence(qs(row.shortcut)).toString(QKeySequence::NativeText);
            html += QStringLiteral("<tr><td><b>%1</b></td><td>%2</td></tr>").arg(keys.toHtmlEscaped(), what);
        }
    }
    html += QStringLiteral("</table>");
    page_ = new QLabel(html, this);
    page_->setObjectName(QStringLiteral("helpPage"));
    page_->setTextFormat(Qt::RichText);
    page_->setWordWrap(true);
    auto* close = new QPushButton(qs(text("TXT_1639")), this);
    close->setObjectName(QStringLiteral("helpClose"));
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(page_);
    layout->addWidget(close, 0, Qt::AlignRight);
    setMinimumWidth(520);
}

QString CDlgHelpKeys::PlainText() const {
    QTextDocument doc;
    doc.setHtml(page_->text());
    return doc.toPlainText();
}

} // namespace wavix
