#include "ui/dialogs/dlgsavescope.h"

#include "core/files/chartlibrary.h"
#include "core/settings/builtintexts.h"
#include "core/settings/ini.h"
#include "core/settings/langtexts.h"
#include "ui/dialogs/chartchooser.h"

#include <QDateTime>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace wavix {

namespace {

constexpr std::string_view kMissingNameKey = "TXT_1593";

QString qs(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString qpath(const std::filesystem::path& p) {
    return QString::fromStdString(p.string());
}

std::vector<std::string> builtinTexts(int first, int last) {
    std::vector<std::string> texts;
    for (const auto& e : BuiltinTextRange(first, last))
        texts.emplace_back(e.builtin);
    return texts;
}

FileTime localNow() {
    const QDateTime now = QDateTime::currentDateTime();
    const auto u16 = [](int v) { return static_cast<std::uint16_t>(v); };
    return {u16(now.date().year()),   u16(now.date().month()), u16(now.date().dayOfWeek() % 7),
            u16(now.date().day()),    u16(now.time().hour()),  u16(now.time().minute()),
            u16(now.time().second()), u16(now.time().msec())};
}

QString chooseFile(QWidget* parent, const QString& title, const QString& start,
                   const std::filesystem::path& langFile) {
    QFileDialog dlg(parent, title, start, QStringLiteral("Scope Data File (*.sdf)"));
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setDefaultSuffix(QStringLiteral("sdf"));
    SpeakUserLanguage(dlg, langFile);
    dlg.selectFile(start);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return {};
    return dlg.selectedFiles().front();
}

} // namespace

CDlgSaveScope::CDlgSaveScope(QWidget* parent, const std::filesystem::path& folder)
    : QDialog(parent), folder_(folder), texts_(builtinTexts(900, 905)), extra_(builtinTexts(906, 907)),
      errorCaption_(BuiltinText(kCaptionSaveError)), missingName_(BuiltinText(kMissingNameKey)),
      clock_(localNow) {
    setModal(true);
    browser_ = [this](QWidget* owner, const QString& title, const QString& start) {
        return chooseFile(owner, title, start, langFile_);
    };
    errorBox_ = [this](const QString& caption, const QString& text) {
        QMessageBox::critical(this, caption, text);
    };

    nameLabel_ = new QLabel;
    name_ = new QLineEdit;
    name_->setObjectName(QStringLiteral("chartName"));
    name_->setMaxLength(static_cast<int>(kFileTextField) - 1);
    nameLabel_->setBuddy(name_);
    fileLabel_ = new QLabel;
    file_ = new QLineEdit;
    file_->setObjectName(QStringLiteral("fileName"));
    fileLabel_->setBuddy(file_);
    browseButton_ = new QPushButton(QStringLiteral("..."));
    browseButton_->setObjectName(QStringLiteral("browse"));
    browseButton_->setAutoDefault(false);
    folderLabel_ = new QLabel;
    folderLabel_->setObjectName(QStringLiteral("folder"));
    folderLabel_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    folderLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);

    ok_ = new QPushButton;
    ok_->setObjectName(QStringLiteral("ok"));
    ok_->setDefault(true);
    cancel_ = new QPushButton;
    cancel_->setObjectName(QStringLiteral("cancel"));
    cancel_->setAutoDefault(false);

    auto* grid = new QGridLayout;
    grid->addWidget(nameLabel_, 0, 0);
    grid->addWidget(name_, 0, 1, 1, 2);
    grid->addWidget(fileLabel_, 1, 0);
    grid->addWidget(file_, 1, 1);
    grid->addWidget(browseButton_, 1, 2);
    grid->addWidget(folderLabel_, 2, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok_);
    buttons->addWidget(cancel_);
    auto* root = new QVBoxLayout(this);
    root->addLayout(grid);
    root->addLayout(buttons);

    setTabOrder(name_, file_);
    setTabOrder(file_, browseButton_);
    setTabOrder(browseButton_, ok_);
    setTabOrder(ok_, cancel_);
    connect(browseButton_, &QPushButton::clicked, this, &CDlgSaveScope::browse);
    connect(ok_, &QPushButton::clicked, this, &CDlgSaveScope::accept);
    connect(cancel_, &QPushButton::clicked, this, &CDlgSaveScope::reject);
    connect(name_, &QLineEdit::textChanged, this, [this] { propose(); });
    connect(file_, &QLineEdit::textEdited, this, [this] { fileEdited_ = true; });
    propose();

    applyTexts();
    showFolder();
    name_->setFocus();
    setMinimumWidth(460);
}

void CDlgSaveScope::SetSaveAll(bool all) {
    saveAll_ = all;
    applyTexts();
}

void CDlgSaveScope::SetClock(FileClock clock) {
    clock_ = std::move(clock);
    propose();
}

void CDlgSaveScope::propose() {
    if (!fileEdited_ && clock_)
        file_->setText(QString::fromStdString(ProposedChartFileName(clock_(), name_->text().toStdString())));
}

void CDlgSaveScope::SetLanguage(const std::filesystem::path& langFile) {
    langFile_ = langFile;
    missingName_ = LangText(CIni(langFile), kMissingNameKey, BuiltinText(kMissingNameKey));
    texts_ = SaveScopeTexts(langFile);
    CTextTable extra(BuiltinTextRange(906, 907));
    extra.Load(langFile);
    for (std::size_t i = 0; i < extra.size() && i < extra_.size(); ++i)
        extra_[i] = extra[i];
    errorCaption_ = LangText(CIni(langFile), kCaptionSaveError, BuiltinText(kCaptionSaveError));
    applyTexts();
}

void CDlgSaveScope::applyTexts() {
    setWindowTitle(qs(texts_[saveAll_ ? 0 : 1]));
    nameLabel_->setText(qs(texts_[2]));
    fileLabel_->setText(qs(texts_[3]));
    ok_->setText(qs(texts_[4]));
    cancel_->setText(qs(texts_[5]));
}

void CDlgSaveScope::showFolder() {
    const QString folder = QDir::toNativeSeparators(qpath(folder_));
    folderLabel_->setText(folder);
    folderLabel_->setToolTip(folder);
}

void CDlgSaveScope::browse() {
    const QString start = QDir(qpath(folder_)).filePath(file_->text());
    const QString chosen = browser_ ? browser_(this, qs(extra_[1]), start) : QString();
    if (chosen.isEmpty())
        return;
    const QFileInfo info(chosen);
    folder_ = std::filesystem::path(info.absolutePath().toStdString()) / "";
    fileEdited_ = true;
    file_->setText(info.fileName());
    showFolder();
    // Room for the whole new folder.
    layout()->activate();
    adjustSize();
}

void CDlgSaveScope::accept() {
    // No name at all is no bad path: say what is missing.
    const bool missing = file_->text().trimmed().isEmpty();
    const std::optional<std::filesystem::path> full =
        missing ? std::nullopt : SaveScopePath(folder_, file_->text().toStdString());
    if (!full) {
        if (errorBox_)
            errorBox_(qs(errorCaption_), qs(missing ? missingName_ : extra_[0]));
        file_->setFocus();
        return;
    }
    chartName_ = name_->text().toStdString();
    fullPath_ = *full;
    QDialog::accept();
}

} // namespace wavix
