#include "ui/dialogs/dlgscopebook.h"

#include "core/settings/builtintexts.h"
#include "core/settings/ini.h"
#include "core/settings/langtexts.h"
#include "platform/qtmessagetarget.h"
#include "ui/colorref.h"
#include "ui/dialogs/ctrlscopebookfilelist.h"
#include "ui/dialogs/dlgscopefileedit.h"

#include <QApplication>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QTabWidget>
#include <QTreeWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace wavix {

namespace {

QString qs(const std::string& text) {
    return QString::fromStdString(text);
}

constexpr QSize kThumbnail(120, 36);

// Each channel's samples as one min/max stroke per column, in its colour.
QPixmap thumbnail(const CScopeFile& file) {
    QPixmap pixmap(kThumbnail);
    pixmap.fill(Qt::black);
    QPainter p(&pixmap);
    const int w = kThumbnail.width();
    const double half = kThumbnail.height() / 2.0 - 1.0;
    for (int k = 0; k < file.GetChannelCount(); ++k) {
        const CChannelData* ch = file.GetChannel(k);
        if (ch == nullptr || ch->GetSampleCount() == 0)
            continue;
        const auto samples =
            ch->GetSamples().first(std::min<std::size_t>(ch->GetSampleCount(), ch->GetSamples().size()));
        p.setPen(ToQColor(ch->GetColor()));
        for (int x = 0; x < w; ++x) {
            const std::size_t from =
                samples.size() * static_cast<std::size_t>(x) / static_cast<std::size_t>(w);
            const std::size_t to = std::max(from + 1, samples.size() * static_cast<std::size_t>(x + 1) /
                                                          static_cast<std::size_t>(w));
            if (from >= samples.size())
                break;
            const auto [lo, hi] = std::minmax_element(
                samples.begin() + static_cast<std::ptrdiff_t>(from),
                samples.begin() + static_cast<std::ptrdiff_t>(std::min(to, samples.size())));
            const auto y = [&](std::int32_t v) {
                return static_cast<int>(std::lround(half + 1.0 - std::clamp(v, -512, 512) * half / 512.0));
            };
            p.drawLine(x, y(*hi), x, y(*lo));
        }
    }
    return pixmap;
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

    auto* samplePage = new QWidget;
    auto* lists = new QHBoxLayout(samplePage);
    lists->addWidget(chartsGroup, 3);
    lists->addWidget(detailsGroup, 2);
    tabs_ = new QTabWidget;
    tabs_->setObjectName(QStringLiteral("bookTabs"));
    tabs_->addTab(samplePage, QString());
    tabs_->addTab(createUserPage(), QString());
    // The sample charts' buttons mean nothing on the user's tab.
    connect(tabs_, &QTabWidget::currentChanged, this, [this](int index) {
        for (QPushButton* b : {editButton_, loadSettings_, loadAll_})
            b->setVisible(index == 0);
    });
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(close_);
    buttons->addWidget(editButton_);
    buttons->addStretch(1);
    buttons->addWidget(loadSettings_);
    buttons->addWidget(loadAll_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(tabs_, 1);
    layout->addLayout(buttons);
    resize(860, 500);

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
    tabs_->setTabText(0, qs(langText("TXT_1581")));
    tabs_->setTabText(1, qs(langText("TXT_1582")));
    filter_->setPlaceholderText(qs(langText("TXT_1583")));
    QStringList titles;
    for (const char* key : {"TXT_1584", "TXT_1585", "TXT_1586", "TXT_1587", "TXT_1588"})
        titles << qs(langText(key));
    userList_->setHeaderLabels(titles);
    openUser_->setText(qs(langText("TXT_1589")));
    deleteUser_->setText(qs(langText("TXT_1590")));
}

std::string CDlgScopeBook::langText(std::string_view key) const {
    return LangText(CIni(langFile_), key, BuiltinText(key));
}

QWidget* CDlgScopeBook::createUserPage() {
    auto* page = new QWidget;
    filter_ = new QLineEdit;
    filter_->setObjectName(QStringLiteral("userFilter"));
    filter_->setClearButtonEnabled(true);
    connect(filter_, &QLineEdit::textChanged, this, [this] { filterUserCharts(); });
    userList_ = new QTreeWidget;
    userList_->setObjectName(QStringLiteral("userList"));
    userList_->setRootIsDecorated(false);
    userList_->setAllColumnsShowFocus(true);
    userList_->setSelectionMode(QAbstractItemView::SingleSelection);
    userList_->setColumnCount(5);
    userList_->setIconSize(kThumbnail);
    connect(userList_, &QTreeWidget::itemDoubleClicked, this, [this] { openUserChart(); });
    openUser_ = new QPushButton;
    openUser_->setObjectName(QStringLiteral("openUserButton"));
    deleteUser_ = new QPushButton;
    deleteUser_->setObjectName(QStringLiteral("deleteUserButton"));
    connect(openUser_, &QPushButton::clicked, this, [this] { openUserChart(); });
    connect(deleteUser_, &QPushButton::clicked, this, [this] { deleteUserChart(); });
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(deleteUser_);
    buttons->addStretch(1);
    buttons->addWidget(openUser_);
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(filter_);
    layout->addWidget(userList_, 1);
    layout->addLayout(buttons);
    confirm_ = [this](const std::string& question) {
        return QMessageBox::question(this, qs(std::string(kCaptionOverwrite)), qs(question)) ==
               QMessageBox::Yes;
    };
    return page;
}

void CDlgScopeBook::fillUserCharts() {
    const QSignalBlocker quiet(userList_);
    userList_->clear();
    for (ChartRecord* record : userLibrary_.Rows()) {
        const UserChartColumns row = UserChartRow(*record);
        auto* item = new QTreeWidgetItem(
            userList_, {qs(row.name), qs(row.date), qs(row.timebase), qs(row.channels), QString()});
        item->setData(0, Qt::UserRole, QVariant::fromValue(static_cast<void*>(record)));
        item->setToolTip(0, QString::fromStdString(record->path.filename().string()));
        if (record->file)
            item->setIcon(4, QIcon(thumbnail(*record->file)));
    }
    for (int c = 0; c < 4; ++c)
        userList_->resizeColumnToContents(c);
    if (userList_->topLevelItemCount() > 0)
        userList_->setCurrentItem(userList_->topLevelItem(0));
    filterUserCharts();
}

void CDlgScopeBook::filterUserCharts() {
    const QString wanted = filter_->text().trimmed();
    QTreeWidgetItem* firstShown = nullptr;
    for (int i = 0; i < userList_->topLevelItemCount(); ++i) {
        QTreeWidgetItem* item = userList_->topLevelItem(i);
        // The name typed at save or the file's name, whatever the case of its letters.
        const bool shown = wanted.isEmpty() || item->text(0).contains(wanted, Qt::CaseInsensitive) ||
                           item->toolTip(0).contains(wanted, Qt::CaseInsensitive);
        item->setHidden(!shown);
        if (shown && firstShown == nullptr)
            firstShown = item;
    }
    if (userList_->currentItem() == nullptr || userList_->currentItem()->isHidden())
        userList_->setCurrentItem(firstShown);
    openUser_->setEnabled(firstShown != nullptr);
    deleteUser_->setEnabled(firstShown != nullptr);
}

ChartRecord* CDlgScopeBook::currentUserChart() const {
    const QTreeWidgetItem* item = userList_->currentItem();
    if (item == nullptr || item->isHidden())
        return nullptr;
    return static_cast<ChartRecord*>(item->data(0, Qt::UserRole).value<void*>());
}

void CDlgScopeBook::openUserChart() {
    if (ChartRecord* record = currentUserChart()) {
        opened_ = record;
        finish(kLoadAll);
    }
}

void CDlgScopeBook::deleteUserChart() {
    ChartRecord* record = currentUserChart();
    if (record == nullptr)
        return;
    std::string question = langText("TXT_1591");
    if (const auto at = question.find("%s"); at != std::string::npos)
        question.replace(at, 2, UserChartRow(*record).name);
    if (confirm_ && !confirm_(question))
        return;
    if (!userLibrary_.Remove(record))
        box("TXT_1592");
    fillUserCharts();
}

bool CDlgScopeBook::Prepare(const std::filesystem::path& folder) {
    if (!library_.List(folder))
        return false;
    library_.Open();
    opened_ = nullptr;
    userLibrary_.List(userFolder_); // no folder yet: no charts
    userLibrary_.SortByDate();
    fillUserCharts();
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
