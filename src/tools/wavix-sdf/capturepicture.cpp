#include "capturepicture.h"

#include "core/files/logwindow.h"
#include "ui/scope/cscope.h"

#include <QBuffer>

#include <algorithm>

namespace wavix {

bool RenderCapture(CScopeFile& file, std::span<const LogMark> marks, const PictureOptions& options,
                   QImage& image, QString& error) {
    std::uint32_t instants = 0;
    if (file.IsLog() && !ReadLogWindow(file, options.logStart, kPictureLogWindow, &instants)) {
        error = QStringLiteral("cannot read the samples of the log");
        return false;
    }
    CScope scope;
    scope.resize(options.size);
    scope.SetDrawStyle(options.style);
    if (file.GetChannelCount() > 0)
        scope.SetRangeIndex(file.GetChannel(0)->GetRange());
    for (int i = 0; i < file.GetChannelCount(); ++i) {
        CChannelData* ch = file.GetChannel(i);
        ch->SetShown(file.IsShown(i));
        scope.AddChannel(ch);
    }
    scope.UpdateData();
    scope.SetHalfMode(options.half);
    if (file.IsLog()) {
        // Marks count from the log's start, the display from the window's.
        std::vector<DisplayMark> shown;
        for (const LogMark& m : marks) {
            const std::int64_t at = static_cast<std::int64_t>(m.position) - options.logStart;
            if (at >= 0 && at < instants)
                shown.push_back({m.number, at, m.kind});
        }
        scope.SetLogMarks(std::move(shown));
    }
    image = scope.Render(options.size);
    return true;
}

ExportResult CCapturePicture::RenderPng(const ExportCapture& capture, std::vector<std::uint8_t>& png) const {
    QImage image;
    QString error;
    if (!RenderCapture(capture.file, capture.marks, options_, image, error))
        return ExportResult::Fail(error.toStdString());
    QByteArray bytes;
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG"))
        return ExportResult::Fail("cannot encode the picture");
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.constData());
    png.assign(data, data + bytes.size());
    return {};
}

} // namespace wavix
