#pragma once
// A picture of the capture as the program's display shows it. Drawing needs
// the display widget, so the layer that has widgets provides the renderer.

#include "core/export/exporter.h"

#include <cstdint>
#include <vector>

namespace wavix {

class ICaptureRenderer {
public:
    virtual ~ICaptureRenderer() = default;
    // The capture encoded as PNG; false with a reason when its samples cannot be read.
    virtual ExportResult RenderPng(const ExportCapture& capture, std::vector<std::uint8_t>& png) const = 0;
};

class CPngExporter : public IExporter {
public:
    explicit CPngExporter(const ICaptureRenderer& renderer) : renderer_(renderer) {}
    std::string_view Name() const override { return "png"; }
    std::string_view Extension() const override { return ".png"; }
    ExportResult Write(const ExportCapture& capture, std::ostream& out) const override;
    // Nothing is created when the picture cannot be drawn.
    ExportResult Write(const ExportCapture& capture, const std::filesystem::path& path) const override;

private:
    const ICaptureRenderer& renderer_;
};

} // namespace wavix
