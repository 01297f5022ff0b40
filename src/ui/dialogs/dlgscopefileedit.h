#pragma once
// Edits a chart's description and the name and description of each channel it
// holds (fields of absent channels stay disabled). OK writes the texts into the
// record; the caller writes the record to its file.

#include "core/files/chartlibrary.h"
#include "core/settings/langtexts.h"

#include <QDialog>

#include <array>
#include <filesystem>

class QLineEdit;

namespace wavix {

class CDlgScopeFileEdit : public QDialog {
    Q_OBJECT
public:
    // An empty langFile keeps the built-in texts.
    explicit CDlgScopeFileEdit(QWidget* parent = nullptr, const std::filesystem::path& langFile = {});

    // 1 when the user confirmed and the record was changed, else 0.
    int Run(ChartRecord& record);
    // Fills the fields from the record without running (tests, screenshots).
    void Prepare(const ChartRecord& record);
    // The fields as they stand.
    ChartEdit Fields() const;

private:
    const std::string& text(std::string_view key) const;

    CTextTable texts_;
    QLineEdit* description_ = nullptr;
    std::array<QLineEdit*, kMaxFileChannels> names_{};
    std::array<QLineEdit*, kMaxFileChannels> descriptions_{};
};

} // namespace wavix
