#include "ui/dialogs/dlgprintdata.h"

#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPageSize>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>

namespace wavix {

namespace {

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}

std::string Cut(const QString& text, std::size_t max) {
    std::string s = text.toStdString();
    if (s.size() <= max)
        return s;
    // Never leave half a UTF-8 character at the end.
    std::size_t n = max;
    while (n > 0 && (static_cast<unsigned char>(s[n]) & 0xC0) == 0x80)
        --n;
    s.resize(n);
    return s;
}

QString DefaultChooser(QWidget* parent, const QString& proposed) {
    return QFileDialog::getSaveFileName(parent, QString(), proposed, QStringLiteral("PDF (*.pdf)"));
}

} // namespace

CDlgPrintData::CDlgPrintData(const CPrintTexts& texts, QWidget* parent)
    : QDialog(parent), texts_(texts), chooseFile_(DefaultChooser) {
    using T = CPrintTexts;
    setWindowTitle(qs(texts_.Get(T::kDlgTitle)));
    setModal(true);
    setUpPrinter();

    auto* grid = new QGridLayout;
    const auto addField = [&](PrintField field, int row, int column, int span) {
        auto* edit = new QLineEdit(this);
        edit->setObjectName(QStringLiteral("field%1").arg(static_cast<int>(field)));
        edit->setMaxLength(static_cast<int>(kPrintFieldMax));
        auto* label = new QLabel(qs(texts_.Get(T::FieldLabel(field))), this);
        label->setBuddy(edit);
        grid->addWidget(label, row, column);
        grid->addWidget(edit, row, column + 1, 1, span);
        lines_[field] = edit;
    };
    addField(kPrintMeasurementName, 0, 0, 3);
    const std::array<PrintField, 5> customer = {kPrintCustomerName, kPrintCustomerAddress,
                                                kPrintCustomerPhone, kPrintCustomerFax, kPrintCustomerEmail};
    const std::array<PrintField, 6> vehicle = {kPrintLicencePlate,   kPrintCarType, kPrintYear,
                                               kPrintEngineCapacity, kPrintVin,     kPrintInjectionType};
    for (std::size_t i = 0; i < customer.size(); ++i)
        addField(customer[i], static_cast<int>(i) + 1, 0, 1);
    for (std::size_t i = 0; i < vehicle.size(); ++i)
        addField(vehicle[i], static_cast<int>(i) + 1, 2, 1);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);

    note_ = new QPlainTextEdit(this);
    note_->setObjectName(QStringLiteral("field%1").arg(static_cast<int>(kPrintNote)));
    // Tab leaves the note; Enter starts a new line in it.
    note_->setTabChangesFocus(true);
    note_->setMinimumHeight(80);
    auto* noteLabel = new QLabel(qs(texts_.Get(T::kDlgNote)), this);
    noteLabel->setBuddy(note_);
    grid->addWidget(noteLabel, 7, 0, Qt::AlignTop);
    grid->addWidget(note_, 7, 1, 1, 3);

    printerLine_ = new QLabel(this);
    printerLine_->setObjectName(QStringLiteral("printerLine"));
    printerLine_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* ok = new QPushButton(qs(texts_.Get(T::kDlgOk)), this);
    auto* setup = new QPushButton(qs(texts_.Get(T::kDlgSetup)), this);
    auto* cancel = new QPushButton(qs(texts_.Get(T::kDlgCancel)), this);
    ok->setObjectName(QStringLiteral("okButton"));
    setup->setObjectName(QStringLiteral("setupButton"));
    cancel->setObjectName(QStringLiteral("cancelButton"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &CDlgPrintData::accept);
    connect(setup, &QPushButton::clicked, this, &CDlgPrintData::printerSetup);
    connect(cancel, &QPushButton::clicked, this, &CDlgPrintData::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(ok);
    buttons->addStretch(1);
    buttons->addWidget(setup);
    buttons->addWidget(cancel);

    auto* root = new QVBoxLayout(this);
    root->addLayout(grid, 1);
    root->addWidget(printerLine_);
    root->addLayout(buttons);

    // Down the customer column, then the vehicle column, then the note and the buttons.
    QWidget* previous = lines_[kPrintMeasurementName];
    const auto chain = [&previous](QWidget* next) {
        QWidget::setTabOrder(previous, next);
        previous = next;
    };
    for (PrintField f : customer)
        chain(lines_[f]);
    for (PrintField f : vehicle)
        chain(lines_[f]);
    chain(note_);
    chain(ok);
    chain(setup);
    chain(cancel);
    lines_[kPrintMeasurementName]->setFocus();

    refreshPrinterLine();
    resize(720, sizeHint().height());
}

CDlgPrintData::~CDlgPrintData() = default;

void CDlgPrintData::setUpPrinter() {
    printer_ = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer_->setDocName(QStringLiteral("Wavix print job ... "));
    if (QPrinterInfo::availablePrinters().isEmpty()) {
        toFile_ = true;
        printer_->setOutputFormat(QPrinter::PdfFormat);
        printer_->setPageSize(QPageSize(QPageSize::A4));
        printer_->setOutputFileName(DefaultPdfPath());
    }
}

QString CDlgPrintData::DefaultPdfPath() {
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QDir(folder).exists())
        folder = QDir::homePath();
    const QString name =
        QStringLiteral("Wavix_%1.pdf")
            .arg(QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd_HH-mm-ss")));
    return QDir(folder).filePath(name);
}

PrintData CDlgPrintData::Data() const {
    PrintData out;
    for (std::size_t f = 0; f < kPrintFieldCount; ++f)
        if (lines_[f] != nullptr)
            out.fields[f] = Cut(lines_[f]->text(), kPrintFieldMax);
    out[kPrintNote] = Cut(note_->toPlainText(), kPrintNoteMax);
    return out;
}

void CDlgPrintData::SetData(const PrintData& values) {
    for (std::size_t f = 0; f < kPrintFieldCount; ++f)
        if (lines_[f] != nullptr)
            lines_[f]->setText(qs(values.fields[f]));
    note_->setPlainText(qs(values[kPrintNote]));
}

QString CDlgPrintData::PrinterLine() const {
    return printerLine_->text();
}

void CDlgPrintData::refreshPrinterLine() {
    QString name;
    QString port;
    QString driver;
    if (printer_->outputFormat() == QPrinter::PdfFormat) {
        name = QStringLiteral("PDF");
        port = QDir::toNativeSeparators(printer_->outputFileName());
        driver = QStringLiteral("PDF");
    } else {
        const QPrinterInfo info = QPrinterInfo::printerInfo(printer_->printerName());
        name = printer_->printerName();
        port = info.location();
        driver = info.makeAndModel();
    }
    printerLine_->setText(QStringLiteral("Printer is %1 on %2 using %3.").arg(name, port, driver));
}

bool CDlgPrintData::chooseFile() {
    QString path = chooseFile_ ? chooseFile_(this, printer_->outputFileName()) : QString();
    if (path.isEmpty())
        return false;
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".pdf");
    printer_->setOutputFileName(path);
    fileChosen_ = true;
    refreshPrinterLine();
    return true;
}

void CDlgPrintData::printerSetup() {
    if (toFile_) {
        chooseFile();
        return;
    }
    QPrintDialog dialog(printer_.get(), this);
    dialog.setOption(QAbstractPrintDialog::PrintToFile, false);
    dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
    dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
    if (dialog.exec() == QDialog::Accepted)
        refreshPrinterLine();
}

void CDlgPrintData::accept() {
    // Unless the setup chose it already, the file is asked for only now.
    if (toFile_ && !fileChosen_ && !chooseFile())
        return;
    QDialog::accept();
}

} // namespace wavix
