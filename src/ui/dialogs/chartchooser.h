#pragma once
// The file chooser for charts in the user's language: Qt's own dialog (a
// native one would speak the desktop's language), its labels from the
// language file.

#include <QString>

#include <filesystem>

class QFileDialog;
class QWidget;

namespace wavix {

// Labels, buttons and the non-native look; the title stays the caller's.
void SpeakUserLanguage(QFileDialog& chooser, const std::filesystem::path& langFile);
// Asks for an existing chart in folder; empty when cancelled.
QString ChooseChartToOpen(QWidget* parent, const std::filesystem::path& folder,
                          const std::filesystem::path& langFile);

} // namespace wavix
