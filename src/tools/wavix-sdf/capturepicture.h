#pragma once
// A capture drawn by the program's own display into an image: every channel of
// a waveform on one view in its colour, or the first window of a log with its
// marks numbered. Needs a QApplication (the display is a widget).

#include "core/export/pngexporter.h"
#include "core/files/scopefile.h"

#include <QImage>
#include <QSize>
#include <QString>

#include <span>

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
bool RenderCapture(CScopeFile& file, std::span<const LogMark> marks, const PictureOptions& options,
                   QImage& image, QString& error);

// The PNG exporter's renderer: the file's own channels, drawn with fixed options.
class CCapturePicture : public ICaptureRenderer {
public:
    explicit CCapturePicture(const PictureOptions& options) : options_(options) {}
    ExportResult RenderPng(const ExportCapture& capture, std::vector<std::uint8_t>& png) const override;

private:
    PictureOptions options_;
};

} // namespace wavix
