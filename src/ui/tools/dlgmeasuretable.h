#pragma once
// "Tabulka měření": a modeless window of rows (channel, measurement) and their
// values, hidden until called. The rows live in the table handed in; the window
// edits them and tells `changed`, the owner measures and hands back the values.

#include "core/analysis/measurementtable.h"
#include "core/settings/langtexts.h"

#include <QDialog>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

class QCheckBox;
class QComboBox;
class QTableWidget;

namespace wavix {

class CDlgMeasureTable : public QDialog {
    Q_OBJECT
public:
    // An empty langFile keeps the built-in texts.
    CDlgMeasureTable(CMeasurementTable& table, std::filesystem::path langFile, QWidget* parent);

    // Told after a row was added or removed or the span switch changed.
    void SetChanged(std::function<void()> changed) { changed_ = std::move(changed); }

    bool BetweenCursors() const;
    void SetBetweenCursors(bool on);
    // Rows as the table holds them now, with values: one text per row.
    void ShowValues(const std::vector<std::string>& values);
    // The text of a language key of the window's range (reasons included).
    const std::string& Text(std::string_view key) const;

    // What the user does, also for tests.
    bool AddRow(int channel, std::string_view key);
    void RemoveSelectedRow();
    QTableWidget& Grid() const { return *grid_; }

protected:
    // Delete on the rows removes the current one.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void rebuild();

    CMeasurementTable& table_;
    CTextTable texts_;
    std::function<void()> changed_;
    QTableWidget* grid_ = nullptr;
    QComboBox* channel_ = nullptr;
    QComboBox* measure_ = nullptr;
    QCheckBox* cursors_ = nullptr;
};

} // namespace wavix
