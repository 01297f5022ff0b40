#pragma once
// The report list of chart files shared by the scope book and the log chooser:
// file name and description, in four-column mode also duration and date. Each
// row carries its chart record; a change of the current row is posted to the
// owner as UWM_CTRL_SCOPE_BOOK_LIST_MSG with the record in lParam.

#include "core/files/chartlibrary.h"
#include "core/support/messages.h"

#include <QTreeWidget>

namespace wavix {

class CCtrlScopeBookFileList : public QTreeWidget {
    Q_OBJECT
public:
    explicit CCtrlScopeBookFileList(QWidget* parent = nullptr);

    void SetOwner(IMessageTarget* owner) { owner_ = owner; }
    void SetFourColumns(bool on) { fourColumns_ = on; }
    void SetColumnTitles12(const std::string& first, const std::string& second);
    void SetColumnTitles34(const std::string& third, const std::string& fourth);

    void Clear();
    bool AddRow(ChartRecord* record, const ChartColumns& columns);
    // Clears and adds the library's rows in its order, then sizes the columns.
    void Fill(const CChartLibrary& library);
    void SizeColumns();
    ChartRecord* SelectedRecord() const;

private:
    IMessageTarget* owner_ = nullptr;
    bool fourColumns_ = false;
    QStringList titles_{QStringLiteral("Soubor"), QStringLiteral("Popis"), QStringLiteral("Délka záznamu"),
                        QStringLiteral("Datum")};
};

// The chosen chart's settings as item/value rows.
class CCtrlScopeBookDetailList : public QTreeWidget {
    Q_OBJECT
public:
    explicit CCtrlScopeBookDetailList(QWidget* parent = nullptr);
    void SetColumnTitles(const std::string& item, const std::string& value);
    void Fill(const std::vector<ChartDetailRow>& rows);
    void SizeColumns();
};

} // namespace wavix
