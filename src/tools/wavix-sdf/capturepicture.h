#pragma once
// A capture drawn by the program's own display into an image: every channel of
// a waveform on one view in its colour, or the first window of a log with its
// marks numbered. Needs a QApplication (the display is a widget).

#include "core/files/scopefile.h"

#include <QImage>
#include <QSize>
#include <QString>

#include <vector>

namespace wavix {

struct PictureOptions {
    int style = 3028;
    bool half = false;
    QSize size{1280, 720};
    std::int64_t logStart = 0; // first instant of a log's window
};

// Instants of a log shown in its first window, as the log viewer opens it.
inline constexpr std::int64_t kPictureLogWindow = 50000;

// The sizes a picture may have; outside them the layout has no room or the image no memory.
inline constexpr QSize kPictureMinSize{160, 120};
inline constexpr QSize kPictureMaxSize{8192, 8192};

// False with a one-line reason when the file's samples cannot be read.
bool RenderCapture(CScopeFile& file, const std::vector<LogMark>& marks, const PictureOptions& options,
                   QImage& image, QString& error);

} // namespace wavix
