#pragma once
// The log chooser: the logs of the log folder in four columns (file, description,
// duration, date), sorted by name or newest first. "Zobraz log." ends with
// Accepted, the close button with Rejected, and the button that asks for the
// tester's files with kCheckTester.

#include "core/files/chartlibrary.h"
#include "core/settings/builtintexts.h"
#include "core/settings/langtexts.h"

#include <QDialog>

#include <filesystem>

class QGroupBox;
class QPushButton;
class QRadioButton;
class QTreeWidget;

namespace wavix {

class CDlgLoadLogCharts : public QDialog {
    Q_OBJECT
public:
    static constexpr int kCheckTester = 1147;
    static constexpr int kFolderMissing = CChartLibrary::kLogFolderMissing;

    explicit CDlgLoadLogCharts(QWidget* parent = nullptr);

    void SetTesterReady(bool ready) { testerReady_ = ready; }
    // At the first missing key loading stops; the texts already there stay.
    void SetLanguage(const std::filesystem::path& langFile);

    // Lists the folder without running the dialog; false when it does not exist.
    bool List(const std::filesystem::path& folder);
    // Lists the folder and runs the dialog: kFolderMissing, Accepted, Rejected or kCheckTester.
    int Run(const std::filesystem::path& folder);

    bool IsChoiceValid() const { return choiceValid_; }
    const std::filesystem::path& ChosenPath() const { return chosen_; }

    void SortByName();
    void SortByDate();
    // The file names in list order (tests).
    QStringList RowNames() const;
    void SelectRow(int row);

    void done(int result) override;

private:
    void applyTexts();
    void fill();

    CTextTable texts_{BuiltinTextRange(1100, 1111)};
    CChartLibrary library_;
    bool testerReady_ = false;
    bool choiceValid_ = false;
    std::filesystem::path chosen_;

    QTreeWidget* list_ = nullptr;
    QRadioButton* byName_ = nullptr;
    QRadioButton* byDate_ = nullptr;
    QPushButton* ok_ = nullptr;
    QPushButton* close_ = nullptr;
    QPushButton* tester_ = nullptr;
    QGroupBox* listGroup_ = nullptr;
    QGroupBox* sortGroup_ = nullptr;
};

} // namespace wavix
