#pragma once
// The question before a loaded capture forces another timebase: it names the
// timebase in force and the file's. Yes (accept) adapts the record in force.

#include <QDialog>

#include <filesystem>
#include <string>

class QPushButton;

namespace wavix {

class CDlgChangeTimeBase : public QDialog {
    Q_OBJECT

public:
    // An empty langFile keeps the built-in texts.
    CDlgChangeTimeBase(const std::filesystem::path& langFile, int currentStep, int fileStep,
                       QWidget* parent = nullptr);

    // "0.5 ms/dílek", "1 s/dílek" for a timebase step.
    static std::string StepText(int step, const std::string& division);
};

} // namespace wavix
