#include "ui/print/dlgprintpreview.h"

#include "core/settings/builtintexts.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPainter>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>

namespace wavix {

namespace {
// Indexes into TXT_1660 .. TXT_1663.
enum PreviewText : std::size_t { kTitle, kPrint, kCancel, kInkSaving };

QString qs(const std::string& s) {
    return QString::fromStdString(s);
}
} // namespace

CDlgPrintPreview::CDlgPrintPreview(QPrinter& printer, const std::filesystem::path& langFile,
                                   PagePainter paint, QWidget* parent)
    : QDialog(parent), texts_(BuiltinTextRange(1660, 1663)), paint_(std::move(paint)) {
    if (!langFile.empty())
        texts_.Load(langFile);
    setWindowTitle(qs(texts_[kTitle]));
    setSizeGripEnabled(true);
    preview_ = new QPrintPreviewWidget(&printer, this);
    preview_->setObjectName(QStringLiteral("preview"));
    preview_->setZoomMode(QPrintPreviewWidget::FitInView);
    inkSaving_ = new QCheckBox(qs(texts_[kInkSaving]), this);
    inkSaving_->setObjectName(QStringLiteral("inkSaving"));
    print_ = new QPushButton(qs(texts_[kPrint]), this);
    print_->setObjectName(QStringLiteral("print"));
    print_->setDefault(true);
    cancel_ = new QPushButton(qs(texts_[kCancel]), this);
    cancel_->setObjectName(QStringLiteral("cancel"));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(inkSaving_);
    buttons->addStretch(1);
    buttons->addWidget(print_);
    buttons->addWidget(cancel_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(preview_, 1);
    layout->addLayout(buttons);

    connect(preview_, &QPrintPreviewWidget::paintRequested, this, [this](QPrinter* target) {
        QPainter p(target);
        ++paints_;
        if (paint_)
            paint_(p, inkSaving_->isChecked());
    });
    connect(inkSaving_, &QCheckBox::toggled, preview_, &QPrintPreviewWidget::updatePreview);
    connect(print_, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    // A page is taller than wide: room for it at a size where its text can be read.
    resize(720, 900);
}

bool CDlgPrintPreview::IsInkSaving() const {
    return inkSaving_->isChecked();
}

void CDlgPrintPreview::SetInkSaving(bool on) {
    inkSaving_->setChecked(on);
}

} // namespace wavix
