#include "ui/main/exportui.h"

#include "core/app/mainview.h"
#include "core/export/csvexporter.h"
#include "core/export/pngexporter.h"
#include "core/scope/channeldata.h"
#include "ui/dialogs/chartchooser.h"
#include "ui/scope/cscope.h"

#include <QBuffer>
#include <QFileDialog>
#include <QStatusBar>

#include <algorithm>
#include <vector>

namespace wavix {
namespace {

// The view at the size it has on the screen, with what it shows now.
class CViewPicture : public ICaptureRenderer {
public:
    explicit CViewPicture(CScope& view) : view_(view) {}
    ExportResult RenderPng(const ExportCapture&, std::vector<std::uint8_t>& png) const override {
        const QImage image = view_.Render(view_.size());
        QByteArray bytes;
        QBuffer buffer(&bytes);
        if (image.isNull() || !buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG"))
            return ExportResult::Fail("cannot encode the picture");
        const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.constData());
        png.assign(data, data + bytes.size());
        return {};
    }

private:
    CScope& view_;
};

std::string WithArgument(std::string text, const std::string& argument) {
    if (const auto at = text.find("%s"); at != std::string::npos)
        text.replace(at, 2, argument);
    return text;
}

} // namespace

CExportUi::CExportUi(QWidget& window, IMainView& boxes, QStatusBar& status, TextLookup text,
                     std::filesystem::path langFile, std::filesystem::path folder)
    : window_(window), boxes_(boxes), status_(status), text_(std::move(text)), langFile_(std::move(langFile)),
      folder_(std::move(folder)) {}

std::filesystem::path CExportUi::Choose(const QString& title, const QString& filter) {
    if (chooser_)
        return chooser_(title, filter);
    QFileDialog chooser(&window_, title, QString::fromStdString(folder_.string()), filter);
    chooser.setAcceptMode(QFileDialog::AcceptSave);
    chooser.setFileMode(QFileDialog::AnyFile);
    SpeakUserLanguage(chooser, langFile_);
    if (chooser.exec() != QDialog::Accepted || chooser.selectedFiles().isEmpty())
        return {};
    return chooser.selectedFiles().first().toStdString();
}

bool CExportUi::Export(CScope& view, ExportFormat format) {
    const std::string caption = text_(format == ExportFormat::Csv ? "TXT_1760" : "TXT_1761");
    std::vector<const CChannelData*> channels;
    std::uint32_t samples = 0;
    for (int slot = 0; slot < view.LiveCount(); ++slot)
        if (const CChannelData* ch = view.LiveChannel(slot)) {
            channels.push_back(ch);
            samples = std::max(samples, ch->GetSampleCount());
        }
    if (channels.empty() || samples == 0 || !view.HasData()) {
        boxes_.MessageBox(caption, text_("TXT_1764"), BoxIcon::Exclamation, BoxButtons::Ok);
        return false;
    }
    // The picture is the view as shown; only the values have a choice of span.
    bool whole = true;
    if (format == ExportFormat::Csv && view.Zoom().IsZoomed())
        whole = boxes_.MessageBox(caption, text_("TXT_1765"), BoxIcon::Question, BoxButtons::YesNo) ==
                BoxAnswer::No;
    const std::int64_t shown = view.SampleCount();
    const SampleSpan span = ViewSpan(view.Zoom().FirstVisible(shown), view.Zoom().LastVisible(shown),
                                     whole ? samples : shown, whole);

    const CCsvExporter csv;
    const CViewPicture renderer(view);
    const CPngExporter png(renderer);
    const IExporter& exporter = format == ExportFormat::Csv ? static_cast<const IExporter&>(csv) : png;
    std::filesystem::path path =
        Choose(QString::fromStdString(caption),
               QString::fromStdString(text_(format == ExportFormat::Csv ? "TXT_1768" : "TXT_1769")));
    if (path.empty())
        return false;
    path = WithExtension(std::move(path), exporter.Extension());

    CScopeFile file;
    const ExportResult written = exporter.Write({file, channels, {}, span.from, span.count}, path);
    if (!written) {
        boxes_.MessageBox(caption, WithArgument(text_("TXT_1767"), written.reason), BoxIcon::Error,
                          BoxButtons::Ok);
        return false;
    }
    folder_ = path.parent_path();
    status_.showMessage(QString::fromStdString(WithArgument(text_("TXT_1766"), path.string())), 15000);
    return true;
}

} // namespace wavix
