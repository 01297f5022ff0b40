#include "ui/tools/toolchoosers.h"

#include "core/settings/builtintexts.h"
#include "core/settings/datadirectory.h"
#include "core/settings/ini.h"
#include "core/settings/langtexts.h"
#include "core/support/strformat.h"
#include "ui/colorref.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QMessageBox>

namespace wavix {

ToolChoosers ToolChoosers::Standard(const std::filesystem::path& langFile) {
    ToolChoosers c;
    c.colour = [](QWidget* parent, std::uint32_t initial) -> std::optional<std::uint32_t> {
        const QColor chosen = QColorDialog::getColor(ToQColor(initial), parent);
        if (!chosen.isValid())
            return std::nullopt;
        return FromQColor(chosen);
    };
    c.probeFile = [](QWidget* parent, const QString& folder) {
        return QFileDialog::getOpenFileName(parent, QString(), folder, QString::fromLatin1(kProbeFileFilter));
    };
    const std::string refused = LangText(CIni(langFile), kProbeRefusedKey, BuiltinText(kProbeRefusedKey));
    c.probeRefused = [refused](QWidget* parent, const QString& file) {
        QMessageBox::warning(parent, QStringLiteral(" .: Error ... "),
                             QString::fromStdString(StrFormat(refused.c_str(), file.toStdString().c_str())));
    };
    return c;
}

QString ProbeFolder(const std::string& dataDir) {
    return QString::fromStdString(DataSubFolder(dataDir, kScopeProbesFolder));
}

} // namespace wavix
