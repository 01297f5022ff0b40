#include "ui/dialogs/dlggetlogfiles.h"

#include "core/support/messagecodes.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace wavix {

namespace {

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

CDlgGetLogFiles::CDlgGetLogFiles(IMessageTarget* owner, QWidget* parent) : QDialog(parent), owner_(owner) {
    setModal(false);
    statusLabel_ = new QLabel;
    status_ = new QLabel(QStringLiteral("--"));
    status_->setObjectName(QStringLiteral("status"));
    status_->setMinimumWidth(360);
    countLabel_ = new QLabel;
    count_ = new QLabel(QStringLiteral("--"));
    count_->setObjectName(QStringLiteral("fileCount"));
    message_ = new QLabel;
    message_->setObjectName(QStringLiteral("message"));
    message_->setWordWrap(true);
    message_->setMinimumHeight(40);
    message_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    progress_ = new QProgressBar;
    progress_->setObjectName(QStringLiteral("progress"));
    progress_->setRange(0, 1);
    progress_->setValue(0);
    progress_->setFormat(QStringLiteral("%v / %m kB"));
    download_ = new QPushButton;
    download_->setObjectName(QStringLiteral("downloadButton"));
    download_->setEnabled(false);
    close_ = new QPushButton;
    close_->setObjectName(QStringLiteral("closeButton"));

    auto* grid = new QGridLayout;
    grid->addWidget(statusLabel_, 0, 0);
    grid->addWidget(status_, 0, 1);
    grid->addWidget(countLabel_, 1, 0);
    grid->addWidget(count_, 1, 1);
    grid->setColumnStretch(1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(download_);
    buttons->addWidget(close_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(progress_);
    layout->addWidget(message_, 1);
    layout->addLayout(buttons);

    connect(download_, &QPushButton::clicked, this, [this] {
        download_->setEnabled(false);
        postTo(owner_, Msg::UWM_DLG_GET_LOG_FILES_MSG, 0, Encode(LogFilesNotice::Download));
    });
    connect(close_, &QPushButton::clicked, this,
            [this] { postTo(owner_, Msg::UWM_DLG_GET_LOG_FILES_MSG, 0, Encode(LogFilesNotice::Close)); });
    close_->setDefault(true);
}

void CDlgGetLogFiles::SetTexts(const CLogListDownload& state) {
    using T = CLogListDownload;
    setWindowTitle(qs(state.GetText(T::kTitle)));
    statusLabel_->setText(qs(state.GetText(T::kStatusLabel)));
    countLabel_->setText(qs(state.GetText(T::kCountLabel)));
    download_->setText(qs(state.GetText(T::kDownloadButton)));
    close_->setText(qs(state.GetText(T::kCloseButton)));
}

void CDlgGetLogFiles::Refresh(const CLogListDownload& state) {
    status_->setText(qs(state.StatusText()));
    count_->setText(qs(state.FileCountText()));
    message_->setText(qs(state.MessageText()));
    download_->setEnabled(state.DownloadEnabled());
    close_->setEnabled(state.CloseEnabled());
    const bool downloading = state.IsBusy();
    const int total = static_cast<int>(std::min<std::uint32_t>(state.KilobytesTotal(), 1u << 30));
    // The tester counts a block per datagram; a file may take one more than its size says.
    progress_->setRange(0, downloading ? std::max(total, 1) : 1);
    progress_->setValue(
        downloading ? std::min(static_cast<int>(state.KilobytesReceived()), progress_->maximum()) : 0);
    progress_->setVisible(downloading || state.GetPhase() == CLogListDownload::Phase::Done);
}

bool CDlgGetLogFiles::AskOverwrite(const std::string& caption, const std::string& text) {
    lastBox_ = text;
    if (autoAnswer_)
        return *autoAnswer_;
    return QMessageBox::information(this, qs(caption), qs(text), QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
}

std::optional<std::filesystem::path> CDlgGetLogFiles::ChooseFile(const std::filesystem::path& folder,
                                                                 const std::string& name) {
    if (autoAnswer_)
        return std::nullopt;
    QFileDialog chooser(this, QString(), QString::fromStdString((folder / name).string()),
                        QStringLiteral("Scope Files (*.sdf);;All Files (*.*)"));
    chooser.setAcceptMode(QFileDialog::AcceptSave);
    // The overwrite question is asked again by the download for the chosen path.
    chooser.setOption(QFileDialog::DontConfirmOverwrite, true);
    chooser.setOption(QFileDialog::ReadOnly, false);
    if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty())
        return std::nullopt;
    return std::filesystem::path(chooser.selectedFiles().front().toStdString());
}

void CDlgGetLogFiles::ShowBox(const std::string& caption, const std::string& text, bool error) {
    lastBox_ = text;
    if (autoAnswer_)
        return;
    QMessageBox box(error ? QMessageBox::Critical : QMessageBox::Information, qs(caption), qs(text),
                    QMessageBox::Ok, this);
    box.exec();
}

void CDlgGetLogFiles::reject() {
    if (close_->isEnabled())
        postTo(owner_, Msg::UWM_DLG_GET_LOG_FILES_MSG, 0, Encode(LogFilesNotice::Close));
}

} // namespace wavix
