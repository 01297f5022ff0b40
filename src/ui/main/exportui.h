#pragma once
// File menu "Export CSV ..." and "Export picture ...": the channels of a view,
// its visible span or the whole capture, written through core/export; what
// stops it in a box, where the file went in the status line.

#include "core/app/viewmenu.h"

#include <QString>

#include <filesystem>
#include <functional>

class QStatusBar;
class QWidget;

namespace wavix {

class CScope;
class IMainView;

enum class ExportFormat { Csv, Picture };

class CExportUi {
public:
    // Asks for the file to write; empty when cancelled.
    using Chooser = std::function<std::filesystem::path(const QString& title, const QString& filter)>;

    CExportUi(QWidget& window, IMainView& boxes, QStatusBar& status, TextLookup text,
              std::filesystem::path langFile, std::filesystem::path folder);

    // Replaces the file dialog, for scripted runs.
    void SetChooser(Chooser chooser) { chooser_ = std::move(chooser); }
    // False when nothing was written (refused, cancelled or failed).
    bool Export(CScope& view, ExportFormat format);

private:
    std::filesystem::path Choose(const QString& title, const QString& filter);

    QWidget& window_;
    IMainView& boxes_;
    QStatusBar& status_;
    TextLookup text_;
    std::filesystem::path langFile_;
    std::filesystem::path folder_; // the last folder written to
    Chooser chooser_;
};

} // namespace wavix
