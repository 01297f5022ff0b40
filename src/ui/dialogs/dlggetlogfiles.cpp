#include "ui/dialogs/dlggetlogfiles.h"

#include "core/settings/builtintexts.h"
#include "core/support/messagecodes.h"
#include "core/support/strformat.h"

#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace wavix {

namespace {

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

// Indexes into TXT_1650 .. TXT_1655.
enum ListText : std::size_t { kNameColumn, kSizeColumn, kOpen, kSdfFilter, kAllFilter, kSaveAs };

} // namespace

CDlgGetLogFiles::CDlgGetLogFiles(IMessageTarget* owner, QWidget* parent)
    : QDialog(parent), owner_(owner), texts_(BuiltinTextRange(1650, 1655)) {
    setModal(false);
    list_ = new QTreeWidget;
    list_->setObjectName(QStringLiteral("files"));
    list_->setColumnCount(2);
    list_->setRootIsDecorated(false);
    list_->setMinimumHeight(120);
    list_->setHeaderLabels({qs(texts_[kNameColumn]), qs(texts_[kSizeColumn])});
    connect(list_, &QTreeWidget::itemChanged, this, [this] { refreshButtons(); });
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
    openButton_ = new QPushButton(qs(texts_[kOpen]));
    openButton_->setObjectName(QStringLiteral("openButton"));
    openButton_->setEnabled(false);

    auto* grid = new QGridLayout;
    grid->addWidget(statusLabel_, 0, 0);
    grid->addWidget(status_, 0, 1);
    grid->addWidget(countLabel_, 1, 0);
    grid->addWidget(count_, 1, 1);
    grid->setColumnStretch(1, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(download_);
    buttons->addWidget(openButton_);
    buttons->addWidget(close_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(list_, 1);
    layout->addWidget(progress_);
    layout->addWidget(message_, 1);
    layout->addLayout(buttons);

    connect(download_, &QPushButton::clicked, this, [this] {
        download_->setEnabled(false);
        postTo(owner_, Msg::UWM_DLG_GET_LOG_FILES_MSG, 0, Encode(LogFilesNotice::Download));
    });
    connect(openButton_, &QPushButton::clicked, this, [this] {
        if (open_)
            open_();
    });
    connect(close_, &QPushButton::clicked, this,
            [this] { postTo(owner_, Msg::UWM_DLG_GET_LOG_FILES_MSG, 0, Encode(LogFilesNotice::Close)); });
    close_->setDefault(true);
}

void CDlgGetLogFiles::SetTexts(const CLogListDownload& state, const std::filesystem::path& langFile) {
    if (!langFile.empty())
        texts_.Load(langFile);
    list_->setHeaderLabels({qs(texts_[kNameColumn]), qs(texts_[kSizeColumn])});
    openButton_->setText(qs(texts_[kOpen]));
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
    fillList(state);
    downloadAllowed_ = state.DownloadEnabled();
    openAllowed_ = state.GetPhase() == CLogListDownload::Phase::Done && !state.Saved().empty();
    refreshButtons();
    close_->setEnabled(state.CloseEnabled());
    const bool downloading = state.IsBusy();
    const int total = static_cast<int>(std::min<std::uint32_t>(state.KilobytesTotal(), 1u << 30));
    // The tester counts a block per datagram; a file may take one more than its size says.
    progress_->setRange(0, downloading ? std::max(total, 1) : 1);
    progress_->setValue(
        downloading ? std::min(static_cast<int>(state.KilobytesReceived()), progress_->maximum()) : 0);
    progress_->setVisible(downloading || state.GetPhase() == CLogListDownload::Phase::Done);
}

void CDlgGetLogFiles::fillList(const CLogListDownload& state) {
    using Phase = CLogListDownload::Phase;
    const Phase phase = state.GetPhase();
    // Filled once per listing: what the user checks must survive the refreshes that follow.
    if (phase == Phase::Idle || phase == Phase::Listing || phase == Phase::ProbeWait) {
        list_->clear();
        listed_ = false;
        return;
    }
    if (listed_)
        return;
    listed_ = true;
    const QSignalBlocker quiet(list_);
    list_->clear();
    for (const CLogListDownload::FoundFile& f : state.Found()) {
        auto* item = new QTreeWidgetItem(list_, {qs(f.name), qs(FormatByteSize(f.size))});
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(0, Qt::Checked);
        item->setTextAlignment(1, Qt::AlignRight | Qt::AlignVCenter);
    }
    list_->resizeColumnToContents(0);
}

void CDlgGetLogFiles::refreshButtons() {
    const std::vector<bool> chosen = Chosen();
    const bool any = std::find(chosen.begin(), chosen.end(), true) != chosen.end();
    download_->setEnabled(downloadAllowed_ && any);
    // The choice is fixed once the download has started.
    list_->setEnabled(downloadAllowed_);
    openButton_->setEnabled(openAllowed_);
}

std::vector<bool> CDlgGetLogFiles::Chosen() const {
    std::vector<bool> chosen;
    for (int i = 0; i < list_->topLevelItemCount(); ++i)
        chosen.push_back(list_->topLevelItem(i)->checkState(0) == Qt::Checked);
    return chosen;
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
    QFileDialog chooser(this, qs(texts_[kSaveAs]), QString::fromStdString((folder / name).string()),
                        qs(texts_[kSdfFilter]) + QStringLiteral(";;") + qs(texts_[kAllFilter]));
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
