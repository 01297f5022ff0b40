// The print dialog by itself and inside a whole print command, answered the
// way a user would answer the modal dialog.

#include "../scope/scopetestsupport.h"

#include "ui/dialogs/dlgprintdata.h"
#include "ui/print/dlgprintpreview.h"
#include "ui/print/printjob.h"
#include "ui/scope/cscope.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace wavix {
namespace {

QLineEdit* Field(QWidget& dlg, PrintField f) {
    return dlg.findChild<QLineEdit*>(QStringLiteral("field%1").arg(static_cast<int>(f)));
}

QString LabelOf(QWidget& dlg, QWidget* field) {
    for (QLabel* label : dlg.findChildren<QLabel*>())
        if (label->buddy() == field)
            return label->text();
    return {};
}

// Where Tab goes from w.
QWidget* NextTabStop(QWidget* w) {
    for (QWidget* next = w->nextInFocusChain(); next != nullptr && next != w; next = next->nextInFocusChain())
        if ((next->focusPolicy() & Qt::TabFocus) != 0)
            return next;
    return nullptr;
}

// Runs answer on the print preview as soon as it is shown modally, unless the
// print command ended without one (then `waiting` is false).
void WhenPreviewShows(const std::function<void(CDlgPrintPreview&)>& answer,
                      const std::shared_ptr<bool>& waiting) {
    QTimer::singleShot(10, [answer, waiting] {
        if (!*waiting)
            return;
        if (auto* dlg = qobject_cast<CDlgPrintPreview*>(QApplication::activeModalWidget()))
            answer(*dlg);
        else
            WhenPreviewShows(answer, waiting);
    });
}

// Runs answer on the print dialog as soon as it is shown modally.
void WhenDialogShows(const std::function<void(CDlgPrintData&)>& answer) {
    QTimer::singleShot(10, [answer] {
        if (auto* dlg = qobject_cast<CDlgPrintData*>(QApplication::activeModalWidget()))
            answer(*dlg);
        else
            WhenDialogShows(answer);
    });
}

TEST(DlgPrintData, FieldsCarryTheirLabelsOrderAndLimits) {
    test::app();
    CPrintTexts texts;
    CDlgPrintData dlg(texts);
    EXPECT_EQ(dlg.windowTitle(), QStringLiteral(".: Informace pro tisk ..."));
    EXPECT_EQ(LabelOf(dlg, Field(dlg, kPrintCustomerName)), QStringLiteral("Jméno a príjmení zákazníka:"));
    EXPECT_EQ(LabelOf(dlg, Field(dlg, kPrintInjectionType)), QStringLiteral("Typ vstřikování:"));
    EXPECT_EQ(LabelOf(dlg, dlg.findChild<QPlainTextEdit*>()), QStringLiteral("Poznámka :"));

    for (std::size_t f = 0; f < kPrintFieldCount; ++f)
        if (QLineEdit* edit = Field(dlg, static_cast<PrintField>(f)))
            edit->setText(QStringLiteral("v%1").arg(f));
    dlg.findChild<QPlainTextEdit*>()->setPlainText(QString(5000, QChar(0x010D))); // 'č', two bytes each
    const PrintData data = dlg.Data();
    for (std::size_t f = 0; f < kPrintFieldCount; ++f) {
        if (f != kPrintNote) {
            EXPECT_EQ(data.fields[f], "v" + std::to_string(f));
        }
    }
    EXPECT_EQ(data[kPrintNote].size(), kPrintNoteMax); // cut between whole characters

    // Tab runs down the customer column, then the vehicle column, then into the note.
    EXPECT_EQ(NextTabStop(Field(dlg, kPrintMeasurementName)), Field(dlg, kPrintCustomerName));
    EXPECT_EQ(NextTabStop(Field(dlg, kPrintCustomerEmail)), Field(dlg, kPrintLicencePlate));
    EXPECT_EQ(NextTabStop(Field(dlg, kPrintInjectionType)), dlg.findChild<QPlainTextEdit*>());
}

TEST(DlgPrintData, WithoutPrinterOkAsksForThePdfFileAndStaysOpenWhenNoneIsGiven) {
    test::app();
    CPrintTexts texts;
    CDlgPrintData dlg(texts);
    if (!dlg.PrintsToFile())
        GTEST_SKIP() << "this machine has a printer";
    EXPECT_EQ(dlg.Printer().outputFormat(), QPrinter::PdfFormat);
    QTemporaryDir dir;
    QString answer;
    dlg.SetFileChooser([&answer](QWidget*, const QString& proposed) {
        EXPECT_TRUE(proposed.endsWith(QStringLiteral(".pdf")));
        return answer;
    });
    dlg.show();
    dlg.accept();
    EXPECT_EQ(dlg.result(), QDialog::Rejected);
    EXPECT_TRUE(dlg.isVisible());

    answer = dir.filePath(QStringLiteral("zakazka"));
    dlg.accept();
    EXPECT_EQ(dlg.result(), QDialog::Accepted);
    EXPECT_EQ(dlg.Printer().outputFileName(), answer + ".pdf");
    EXPECT_EQ(dlg.PrinterLine(), QStringLiteral("Printer is PDF on %1 using PDF.").arg(answer + ".pdf"));
}

class PrintCommand : public ::testing::Test {
protected:
    void SetUp() override {
        test::app();
        QDir().mkpath(dir_.filePath(QStringLiteral("Settings")));
        WriteGeneral(true);
        view_.resize(640, 360);
        channel_ = test::MakeChannel(1, 4, 6, test::CrankVolts);
        view_.AddChannel(channel_.get());
        view_.UpdateData();
        sources_.dataDir = (dir_.path() + "/").toStdString();
        sources_.displays = {&view_};
        sources_.triggerChannel = channel_.get();
        sources_.channels = {channel_.get()};
    }

    void WriteGeneral(bool complete) {
        QFile f(dir_.filePath(QStringLiteral("Settings/General.ini")));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        QByteArray ini = "[Net]\nReaderAddres=127.0.0.2\nReaderPort=10000\n[Directories]\n";
        for (const auto& key : CVexorGeneralSettings::DirectoryKeys())
            ini += QByteArray(key.data(), static_cast<qsizetype>(key.size())) + "=x\\\n";
        ini += "[Owner]\nCompany=Dílna\nPerson=P\nStreet=S\nCity=C\nPSC=1\nPhone=2\nFax=3\nEmail=e\nICO=4\n";
        if (complete)
            ini += "DIC=5\n";
        f.write(ini);
    }

    PrintOutcome Run(bool accept, const QString& pdf = {}) {
        const QString file = pdf.isEmpty() ? dir_.filePath(QStringLiteral("page.pdf")) : pdf;
        WhenDialogShows([accept, file](CDlgPrintData& dlg) {
            dlg.Printer().setOutputFormat(QPrinter::PdfFormat);
            dlg.Printer().setOutputFileName(file);
            dlg.SetFileChooser([file](QWidget*, const QString&) { return file; });
            if (accept)
                dlg.accept();
            else
                dlg.reject();
        });
        previewPaints_ = 0;
        const auto waiting = std::make_shared<bool>(true);
        if (accept)
            WhenPreviewShows(
                [this](CDlgPrintPreview& preview) {
                    // The page is drawn before anything is printed, and printed only from the preview.
                    previewPaints_ = preview.PaintCount();
                    EXPECT_FALSE(QFile::exists(dir_.filePath(QStringLiteral("page.pdf"))));
                    preview.accept();
                },
                waiting);
        CPrintJob job(nullptr, [this](const std::string& text) { reports_.push_back(text); });
        const PrintOutcome outcome = job.Run(sources_);
        *waiting = false;
        return outcome;
    }

    QTemporaryDir dir_;
    CScope view_;
    std::unique_ptr<CChannelData> channel_;
    PrintSources sources_;
    std::vector<std::string> reports_;
    int previewPaints_ = 0;
};

TEST_F(PrintCommand, AcceptedDialogPrintsCancelledOrIncompleteSettingsPrintNothing) {
    EXPECT_EQ(Run(false), PrintOutcome::Cancelled);
    EXPECT_FALSE(QFile::exists(dir_.filePath(QStringLiteral("page.pdf"))));
    EXPECT_TRUE(reports_.empty());

    EXPECT_EQ(Run(true), PrintOutcome::Printed);
    EXPECT_GT(previewPaints_, 0);
    EXPECT_GT(QFile(dir_.filePath(QStringLiteral("page.pdf"))).size(), 0);
    EXPECT_TRUE(reports_.empty());
    QFile::remove(dir_.filePath(QStringLiteral("page.pdf")));

    WriteGeneral(false);
    EXPECT_EQ(Run(true), PrintOutcome::NoOwnerDetails);
    EXPECT_FALSE(QFile::exists(dir_.filePath(QStringLiteral("page.pdf"))));
    ASSERT_EQ(reports_.size(), 1u);
    EXPECT_EQ(reports_[0], "Údaje o dílně v General.ini nelze načíst. Nic se netiskne.");
}

TEST_F(PrintCommand, UnwritableFileIsNamedInTheMessage) {
    const QString bad = dir_.filePath(QStringLiteral("no/such/folder/page.pdf"));
    EXPECT_EQ(Run(true, bad), PrintOutcome::CannotOpen);
    ASSERT_EQ(reports_.size(), 1u);
    EXPECT_EQ(reports_[0], "Tisk se nepodařil. Soubor " + QDir::toNativeSeparators(bad).toStdString() +
                               " nelze otevřít pro zápis.");
}

} // namespace
} // namespace wavix
