#include "ui/tools/toolchoosers.h"

#include "core/settings/datadirectory.h"
#include "ui/colorref.h"

#include <QColorDialog>
#include <QFileDialog>
#include <QMessageBox>

namespace wavix {

ToolChoosers ToolChoosers::Standard() {
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
    c.probeRefused = [](QWidget* parent, const QString& file) {
        QMessageBox::warning(parent, QStringLiteral(" .: Error ... "),
                             QStringLiteral("Soubor sondy nelze načíst:\n%1").arg(file));
    };
    return c;
}

QString ProbeFolder(const std::string& dataDir) {
    return QString::fromStdString(DataSubFolder(dataDir, kScopeProbesFolder));
}

} // namespace wavix
