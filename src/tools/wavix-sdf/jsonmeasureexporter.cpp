#include "jsonmeasureexporter.h"

#include "core/analysis/measurement.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>

#include <algorithm>
#include <ostream>
#include <vector>

namespace wavix {
namespace {

QString qs(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

QJsonObject Measure(int channel, const SignalInput& input) {
    CSignalAnalysis a;
    a.Reset(input);
    QJsonObject o;
    QJsonObject why;
    o["channel"] = channel;
    for (const MeasureDef& d : Measurements()) {
        if (!d.json)
            continue;
        const MeasureResult r = Measure(d, a);
        if (r.ok()) {
            o[qs(d.key)] = r.value * d.jsonScale;
        } else if (!d.automotive) {
            o[qs(d.key)] = QJsonValue::Null;
            why[qs(d.key)] = qs(MeasureWhyText(r.why));
        }
    }
    o["why"] = why;
    return o;
}

} // namespace

ExportResult CJsonMeasureExporter::Write(const ExportCapture& capture, std::ostream& out) const {
    CScopeFile& file = capture.file;
    const ExportChannels chosen = ChannelsToExport(capture);
    const std::vector<const CChannelData*>& channels = chosen.list;
    const bool log = chosen.log;
    if (channels.empty())
        return ExportResult::Fail("no channels to measure");
    QJsonArray list;
    if (!log) {
        for (const CChannelData* ch : channels)
            list.append(Measure(ch->GetChannel(), ChannelSignal(*ch, capture.from, capture.count)));
    } else {
        const std::uint32_t total = file.GetLogSamplesPerChannel();
        const std::uint32_t from = std::min(capture.from, total);
        const std::uint32_t take = std::min({capture.count, total - from, kMaxSamples});
        std::vector<std::uint16_t> words;
        const std::size_t n = channels.size();
        if (take > 0 && (!file.ReadLogWords(from, take, words) || words.size() != std::size_t{take} * n))
            return ExportResult::Fail("cannot read the samples of the log");
        std::vector<std::int32_t> counts(take);
        for (std::size_t c = 0; c < n; ++c) {
            for (std::size_t k = 0; k < take; ++k)
                counts[k] = LogWordValue(words[k * n + c]);
            SignalInput in = ChannelSignal(*channels[c], 0, 0);
            // A log carries only the step: the table rate applies.
            in.secondsPerSample = SamplePeriod(channels[c]->GetTimeBaseStep());
            in.counts = counts;
            list.append(Measure(channels[c]->GetChannel(), in));
        }
    }
    const QByteArray json = QJsonDocument(list).toJson(QJsonDocument::Indented);
    if (!out.write(json.constData(), json.size()))
        return ExportResult::Fail("cannot write the measurements");
    return {};
}

} // namespace wavix
