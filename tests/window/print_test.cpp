// Toolbar code 2 on a live capture from vexor-sim: the print dialog answered
// as a user would, one PDF page written. With WAVIX_SHOT_DIR set the page is
// also kept there for a human to look at.

#include "core/scope/channeldata.h"
#include "ui/dialogs/dlgprintdata.h"
#include "ui/scope/cscope.h"
#include "window/windowsupport.h"

#include <QApplication>
#include <QPrinter>
#include <QRegularExpression>
#include <QTimer>

#include <gtest/gtest.h>

namespace wavix::test {
namespace {

TEST(WindowPrint, ToolbarPrintWritesOnePdfPageOfTheLiveCapture) {
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
        data[kPrintCustomerName] = "Petr Svoboda";
        data[kPrintCustomerAddress] = "Nádražní 5, Brno";
        data[kPrintCustomerPhone] = "+420 603 111 222";
        data[kPrintLicencePlate] = "1B2 3456";
        data[kPrintCarType] = "Škoda Octavia 1.6 MPI";
        data[kPrintYear] = "2004";
        data[kPrintEngineCapacity] = "1598 ccm";
        data[kPrintVin] = "TMBDX41U148123456";
        data[kPrintInjectionType] = "vícebodové";
        data[kPrintNote] = "Vynechává druhý válec při studeném startu. Cívka a svíčky zkontrolovány, "
                           "průběh zapalování v pořádku.";
        print->SetData(data);
        print->Printer().setOutputFormat(QPrinter::PdfFormat);
        print->Printer().setOutputFileName(pdf);
        print->SetFileChooser([pdf](QWidget*, const QString&) { return pdf; });
        answered = true;
        print->accept();
    };
    QTimer::singleShot(20, answer);
    dlg.PostToSelf(Msg::UWM_DLG_SCOPE_TOOL_BAR, 0, 2);
    ASSERT_TRUE(runUntil([&] { return answered && QFile(pdf).size() > 0; }, 15000));
    EXPECT_TRUE(dlg.LastBoxText().empty()) << dlg.LastBoxText();

    QFile file(pdf);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?![s\\w])"));
    int pages = 0;
    for (auto it = page.globalMatch(QString::fromLatin1(bytes)); it.hasNext(); it.next())
        ++pages;
    EXPECT_EQ(pages, 1);
    // The views carry on as before.
    EXPECT_TRUE(dlg.View(0).AreButtonsShown());

    const QString keep = qEnvironmentVariable("WAVIX_SHOT_DIR");
    if (!keep.isEmpty()) {
        QDir().mkpath(keep);
        QFile::remove(keep + "/capture_page.pdf");
        EXPECT_TRUE(QFile::copy(pdf, keep + "/capture_page.pdf"));
    }
    dlg.reject();
}

} // namespace
} // namespace wavix::test
