#include "ui/dialogs/chartchooser.h"

#include "core/settings/builtintexts.h"
#include "core/settings/ini.h"
#include "core/settings/langtexts.h"

#include <QFileDialog>

namespace wavix {

namespace {

QString text(const CIni& lang, std::string_view key) {
    return QString::fromStdString(LangText(lang, key, BuiltinText(key)));
}

} // namespace

void SpeakUserLanguage(QFileDialog& chooser, const std::filesystem::path& langFile) {
    const CIni lang(langFile);
    chooser.setOption(QFileDialog::DontUseNativeDialog, true);
    chooser.setLabelText(QFileDialog::LookIn, text(lang, "TXT_1596"));
    chooser.setLabelText(QFileDialog::FileName, text(lang, "TXT_1597"));
    chooser.setLabelText(QFileDialog::FileType, text(lang, "TXT_1598"));
    chooser.setLabelText(
        QFileDialog::Accept,
        text(lang, chooser.acceptMode() == QFileDialog::AcceptSave ? "TXT_904" : "TXT_1589"));
    chooser.setLabelText(QFileDialog::Reject, text(lang, "TXT_905"));
}

QString ChooseChartToOpen(QWidget* parent, const std::filesystem::path& folder,
                          const std::filesystem::path& langFile) {
    QFileDialog chooser(parent, text(CIni(langFile), "TXT_1595"), QString::fromStdString(folder.string()),
                        QStringLiteral("Scope Data File (*.sdf)"));
    chooser.setAcceptMode(QFileDialog::AcceptOpen);
    chooser.setFileMode(QFileDialog::ExistingFile);
    chooser.setDefaultSuffix(QStringLiteral("sdf"));
    SpeakUserLanguage(chooser, langFile);
    if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty())
        return {};
    return chooser.selectedFiles().first();
}

} // namespace wavix
