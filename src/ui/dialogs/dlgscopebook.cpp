#include "ui/dialogs/dlgscopebook.h"

#include "core/settings/builtintexts.h"
#include "core/settings/ini.h"
#include "platform/qtmessagetarget.h"
#include "ui/dialogs/ctrlscopebookfilelist.h"
#include "ui/dialogs/dlgscopefileedit.h"

#include <QApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace wavix {

namespace {

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

CDlgScopeBook::CDlgScopeBook(QWidget* parent) : QDialog(parent) {
    setModal(true);
    setSizeGripEnabled(true);
    target_ = new CQtMessageTarget(
        [this](Msg msg, std::intptr_t, std::intptr_t l) {
            if (msg == Msg::UWM_CTRL_SCOPE_BOOK_LIST_MSG)
                onListMessage(l);
        },
        this);

    auto* chartsGroup = new QGroupBox;
    chartsGroup->setObjectName(QStringLiteral("chartsGroup"));
    files_ = new CCtrlScopeBookFileList;
    files_->setObjectName(QStringLiteral("fileList"));
    files_->SetOwner(target_);
    (new QVBoxLayout(chartsGroup))->addWidget(files_);
    auto* detailsGroup = new QGroupBox;
    detailsGroup->setObjectName(QStringLiteral("detailsGroup"));
    details_ = new CCtrlScopeBookDetailList;
    details_->setObjectName(QStringLiteral("detailList"));
    details_->setFocusPolicy(Qt::NoFocus);
    (new QVBoxLayout(detailsGroup))->addWidget(details_);

    close_ = new QPushButton;
    close_->setObjectName(QStringLiteral("closeButton"));
    editButton_ = new QPushButton;
    editButton_->setObjectName(QStringLiteral("editButton"));
    loadSettings_ = new QPushButton;
    loadSettings_->setObjectName(QStringLiteral("loadSettingsButton"));
    loadAll_ = new QPushButton;
    loadAll_->setObjectName(QStringLiteral("loadAllButton"));
    loadAll_->setDefault(true);
    connect(close_, &QPushButton::clicked, this, [this] { finish(kClosed); });
    connect(loadSettings_, &QPushButton::clicked, this, [this] { finish(kLoadSettings); });
    connect(loadAll_, &QPushButton::clicked, this, [this] { finish(kLoadAll); });
    connect(editButton_, &QPushButton::clicked, this, [this] { onEdit(); });

    auto* lists = new QHBoxLayout;
    lists->addWidget(chartsGroup, 3);
    lists->addWidget(detailsGroup, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(close_);
    buttons->addWidget(editButton_);
    buttons->addStretch(1);
    buttons->addWidget(loadSettings_);
    buttons->addWidget(loadAll_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(lists, 1);
    layout->addLayout(buttons);
    resize(820, 480);

    edit_ = [this](ChartRecord& record) {
        CDlgScopeFileEdit dlg(this, langFile_);
        return dlg.Run(record) == 1;
    };
    // Typed characters are seen before any control handles them.
    installEventFilter(this);
    for (QWidget* child : findChildren<QWidget*>())
        child->installEventFilter(this);
    applyTexts();
}

CDlgScopeBook::~CDlgScopeBook() = default;

bool CDlgScopeBook::SetLanguage(const std::filesystem::path& langFile) {
    langFile_ = langFile;
    const bool loaded = library_.SetLanguage(langFile);
    applyTexts();
    return loaded;
}

void CDlgScopeBook::applyTexts() {
    using L = CChartLibrary;
    setWindowTitle(qs(library_.GetText(L::kTitle)));
    findChild<QGroupBox*>(QStringLiteral("chartsGroup"))->setTitle(qs(library_.GetText(L::kChartsGroup)));
    findChild<QGroupBox*>(QStringLiteral("detailsGroup"))->setTitle(qs(library_.GetText(L::kDetailsGroup)));
    files_->SetColumnTitles12(library_.GetText(L::kColumnFile), library_.GetText(L::kColumnDescription));
    details_->SetColumnTitles(library_.GetText(L::kColumnItem), library_.GetText(L::kColumnValue));
    close_->setText(qs(library_.GetText(L::kCloseButton)));
    editButton_->setText(qs(library_.GetText(L::kEditButton)));
    loadSettings_->setText(qs(library_.GetText(L::kLoadSettingsButton)));
    loadAll_->setText(qs(library_.GetText(L::kLoadAllButton)));
}

bool CDlgScopeBook::Prepare(const std::filesystem::path& folder) {
    if (!library_.List(folder))
        return false;
    library_.Open();
    result_ = kClosed;
    editButton_->setEnabled(false);
    files_->Fill(library_);
    details_->Fill({});
    files_->setFocus();
    return true;
}

int CDlgScopeBook::Run(const std::filesystem::path& folder) {
    if (!Prepare(folder))
        return kNoFolder;
    exec();
    return result_;
}

void CDlgScopeBook::finish(int result) {
    result_ = result;
    done(result);
}

bool CDlgScopeBook::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        // A key travels from the focus widget up to its parents: count it once, where it starts.
        QWidget* focus = QApplication::focusWidget();
        const bool origin = focus != nullptr ? watched == focus : watched == this;
        const QString text = static_cast<QKeyEvent*>(event)->text();
        if (origin && !text.isEmpty() && library_.Type(text.toStdString()))
            editButton_->setEnabled(true);
    }
    return QDialog::eventFilter(watched, event);
}

void CDlgScopeBook::onListMessage(std::intptr_t record) {
    library_.Select(reinterpret_cast<ChartRecord*>(record));
    details_->Fill(library_.DetailRows());
}

void CDlgScopeBook::box(std::string_view key) {
    const std::string text = LangText(CIni(langFile_), key, BuiltinText(key));
    lastBox_ = text;
    if (!quietBoxes_)
        QMessageBox::critical(this, qs(std::string(kCaptionError)), qs(text));
}

void CDlgScopeBook::onEdit() {
    ChartRecord* record = library_.Selected();
    if (record == nullptr) {
        box(kMsgSelectFirst);
        return;
    }
    if (edit_ && edit_(*record) && !CChartLibrary::WriteBack(*record))
        box(kMsgEditNotSaved);
    // The records are read again, so what the list shows is what the files hold.
    library_.List(library_.Folder());
    files_->Fill(library_);
    details_->Fill({});
}

} // namespace wavix
