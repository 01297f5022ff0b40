#pragma once
// The customer and vehicle details of one printed page, and the printer it
// goes to. Without any installed printer the page goes to a PDF file whose
// name is asked for when the user confirms.

#include "core/print/printdata.h"
#include "core/print/printtexts.h"

#include <QDialog>
#include <QString>

#include <array>
#include <functional>
#include <memory>

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPrinter;
class QPushButton;

namespace wavix {

class CDlgPrintData : public QDialog {
    Q_OBJECT

public:
    // Answers the chosen PDF path, or an empty text when the user cancelled.
    using FileChooser = std::function<QString(QWidget* parent, const QString& proposed)>;

    CDlgPrintData(const CPrintTexts& texts, QWidget* parent = nullptr);
    ~CDlgPrintData() override;

    // The fields as typed, each cut to what a page can show.
    PrintData Data() const;
    void SetData(const PrintData& values);

    QPrinter& Printer() { return *printer_; }
    bool PrintsToFile() const { return toFile_; }
    QString PrinterLine() const;
    // Replaces the file chooser (scripted runs and tests); the default one is QFileDialog.
    void SetFileChooser(FileChooser chooser) { chooseFile_ = std::move(chooser); }
    // A place for the PDF when there is no printer: the documents folder, else home.
    static QString DefaultPdfPath();

    void accept() override;

private:
    void setUpPrinter();
    void printerSetup();
    bool chooseFile();
    void refreshPrinterLine();

    const CPrintTexts& texts_;
    std::unique_ptr<QPrinter> printer_;
    bool toFile_ = false;
    bool fileChosen_ = false;
    FileChooser chooseFile_;
    std::array<QLineEdit*, kPrintFieldCount> lines_{};
    QPlainTextEdit* note_ = nullptr;
    QLabel* printerLine_ = nullptr;
};

} // namespace wavix
