#pragma once
// The page as it will print, before it goes to the printer: the workshop sees
// the pictures, the channel key and the ink it takes, and may switch to the
// ink-saving colours. Print accepts, anything else prints nothing.

#include "core/settings/langtexts.h"

#include <QDialog>

#include <filesystem>
#include <functional>

class QCheckBox;
class QPainter;
class QPrinter;
class QPrintPreviewWidget;
class QPushButton;

namespace wavix {

class CDlgPrintPreview : public QDialog {
    Q_OBJECT

public:
    // paint(painter, inkSaving) draws the page onto the painter's device.
    using PagePainter = std::function<void(QPainter&, bool inkSaving)>;

    CDlgPrintPreview(QPrinter& printer, const std::filesystem::path& langFile, PagePainter paint,
                     QWidget* parent = nullptr);

    bool IsInkSaving() const;
    void SetInkSaving(bool on);
    QPrintPreviewWidget& Preview() const { return *preview_; }
    // How often the page was drawn for the preview.
    int PaintCount() const { return paints_; }

private:
    CTextTable texts_;
    PagePainter paint_;
    QPrintPreviewWidget* preview_ = nullptr;
    QCheckBox* inkSaving_ = nullptr;
    QPushButton* print_ = nullptr;
    QPushButton* cancel_ = nullptr;
    int paints_ = 0;
};

} // namespace wavix
