#include "ui/print/printjob.h"

#include "core/print/printcontent.h"
#include "core/print/printtexts.h"
#include "core/settings/datadirectory.h"
#include "core/settings/generalsettings.h"
#include "core/support/strformat.h"
#include "ui/dialogs/dlgprintdata.h"
#include "ui/print/dlgprintpreview.h"
#include "ui/print/printlayout.h"

#include <QDateTime>
#include <QDir>
#include <QPainter>
#include <QPrinter>

namespace wavix {

PrintOutcome CPrintJob::Run(const PrintSources& sources) {
    CPrintTexts texts;
    texts.Load(sources.langFile);
    CPrintLayout layout(texts);

    CDlgPrintData dialog(texts, parent_);
    if (dialog.exec() != QDialog::Accepted)
        return PrintOutcome::Cancelled;

    // Read now, so that details changed by another program of the suite are printed.
    CVexorGeneralSettings general;
    const std::string folder = SettingsFolder(sources.dataDir);
    if (folder.empty() || !general.Load(std::filesystem::path(folder) / kGeneralIniName)) {
        report_(texts.Get(CPrintTexts::kMsgOwnerFailed));
        return PrintOutcome::NoOwnerDetails;
    }
    PrintPageContent& content = layout.Content();
    content.owner = general.Owner();
    content.data = dialog.Data();
    if (sources.triggerChannel != nullptr)
        content.settings = PrintSettingsOf(*sources.triggerChannel);
    content.legends = PrintLegendsOf(sources.channels);

    QPrinter& printer = dialog.Printer();
    // What goes on paper is seen first; the preview draws with the same code.
    CDlgPrintPreview preview(
        printer, sources.langFile,
        [&](QPainter& p, bool inkSaving) {
            layout.SetInkSaving(inkSaving);
            layout.DrawPage(p, sources.displays, sources.perChannel, sources.channelCount,
                            QDateTime::currentDateTime());
        },
        parent_);
    if (preview.exec() != QDialog::Accepted)
        return PrintOutcome::Cancelled;
    layout.SetInkSaving(preview.IsInkSaving());
    const PrintOutcome outcome = PrintPage(printer, layout, sources);
    if (outcome == PrintOutcome::CannotOpen || outcome == PrintOutcome::Failed) {
        const bool toFile = printer.outputFormat() == QPrinter::PdfFormat;
        const std::string where = toFile ? QDir::toNativeSeparators(printer.outputFileName()).toStdString()
                                         : printer.printerName().toStdString();
        report_(StrFormat(
            texts.Get(toFile ? CPrintTexts::kMsgFileFailed : CPrintTexts::kMsgPrinterFailed).c_str(),
            where.c_str()));
    }
    return outcome;
}

PrintOutcome CPrintJob::PrintPage(QPrinter& printer, const CPrintLayout& layout,
                                  const PrintSources& sources) {
    printer.setDocName(QStringLiteral("Wavix print job ... "));
    QPainter painter;
    if (!painter.begin(&printer))
        return PrintOutcome::CannotOpen;
    layout.DrawPage(painter, sources.displays, sources.perChannel, sources.channelCount,
                    QDateTime::currentDateTime());
    if (!painter.end()) {
        printer.abort();
        return PrintOutcome::Failed;
    }
    return PrintOutcome::Printed;
}

} // namespace wavix
