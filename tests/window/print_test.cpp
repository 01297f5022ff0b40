// Toolbar code 2 on a live capture from vexor-sim: the print dialog and the
// preview answered as a user would, a PDF written (its page is checked by the ui print tests).
// With WAVIX_SHOT_DIR set the PDF is also kept there for a human to look at.

#include "core/scope/channeldata.h"
#include "ui/dialogs/dlgprintdata.h"
#include "ui/print/dlgprintpreview.h"
#include "ui/scope/cscope.h"
#include "window/windowsupport.h"

#include <QApplication>
#include <QPrinter>
#include <QTimer>

#include <gtest/gtest.h>

namespace wavix::test {
namespace {

TEST(WindowPrint, ToolbarPrintWritesAPdfOfTheLiveCapture) {
    WindowRun run;
    ASSERT_TRUE(run.start(StartupResult{StartupChoice::Custom, 7, 4}));
    CWavixDlg& dlg = *run.dlg;
    // The patched record in force and a capture of all four channels converted.
    ASSERT_TRUE(
        run.capturing(3, [&] { return dlg.Record().chann_num == 4 && dlg.Channel(4).GetSampleCount() > 0; }));

    const QString pdf = run.dir.filePath(QStringLiteral("capture.pdf"));
    bool answered = false;
    std::function<void()> answer = [&] {
        auto* print = qobject_cast<CDlgPrintData*>(QApplication::activeModalWidget());
        if (print == nullptr) {
            QTimer::singleShot(20, answer);
            return;
        }
        PrintData data;
        data[kPrintMeasurementName] = "Volnoběh 800 ot/min";
        data[kPrintNote] = "Vynechává druhý válec při studeném startu.";
        print->SetData(data);
        print->Printer().setOutputFormat(QPrinter::PdfFormat);
        print->Printer().setOutputFileName(pdf);
        print->SetFileChooser([pdf](QWidget*, const QString&) { return pdf; });
        print->accept();
    };
    // Nothing is printed before the preview has shown the page and was confirmed.
    int previewPaints = 0;
    std::function<void()> confirm = [&] {
        auto* preview = qobject_cast<CDlgPrintPreview*>(QApplication::activeModalWidget());
        if (preview == nullptr || preview->PaintCount() == 0) {
            QTimer::singleShot(20, confirm);
            return;
        }
        EXPECT_FALSE(QFile::exists(pdf));
        shoot(*preview, "print-preview.png");
        preview->SetInkSaving(true);
        shoot(*preview, "print-preview-inksaving.png");
        previewPaints = preview->PaintCount();
        answered = true;
        preview->accept();
    };
    QTimer::singleShot(20, confirm);
    QTimer::singleShot(20, answer);
    dlg.PostToSelf(Msg::UWM_DLG_SCOPE_TOOL_BAR, 0, Encode(ToolbarCommand::Print));
    ASSERT_TRUE(runUntil([&] { return answered && QFile(pdf).size() > 0; }, 15000));
    EXPECT_GE(previewPaints, 2) << "the ink-saving switch redraws the preview";
    EXPECT_TRUE(dlg.LastBoxText().empty()) << dlg.LastBoxText();

    keepFile(pdf, QStringLiteral("capture_page.pdf"));
    dlg.reject();
}

} // namespace
} // namespace wavix::test
