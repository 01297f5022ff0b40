#include "jsoninfoexporter.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QString>

#include <ostream>

namespace wavix {
namespace {

QString qs(const std::string& s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

} // namespace

ExportResult CJsonInfoExporter::Write(const ExportCapture& capture, std::ostream& out) const {
    const CScopeFile& file = capture.file;
    const std::span<const LogMark> marks = capture.marks;
    QJsonObject root;
    root["header"] = qs(file.GetHeaderText());
    root["version"] = static_cast<int>(file.GetVersion());
    const FileTime& t = file.GetTime();
    root["time"] = QString::asprintf("%04u-%02u-%02uT%02u:%02u:%02u.%03uZ", t.year, t.month, t.day, t.hour,
                                     t.minute, t.second, t.milliseconds);
    root["log"] = file.IsLog();
    if (file.IsLog())
        root["logSamplesPerChannel"] = static_cast<double>(file.GetLogSamplesPerChannel());
    root["timeBaseStep"] = file.GetTimeBaseStep();
    QJsonArray channels;
    for (int i = 0; i < file.GetChannelCount(); ++i) {
        const CChannelData& ch = *file.GetChannel(i);
        QJsonObject c;
        c["number"] = ch.GetChannel();
        c["name"] = qs(ch.GetName());
        c["description"] = qs(ch.GetDescription());
        c["range"] = ch.GetRange();
        c["voltsPerDiv"] = static_cast<double>(ch.GetVoltPerDiv());
        c["coupling"] = QString::fromLatin1(CouplingText(ch.GetCoupling()).data(),
                                            static_cast<qsizetype>(CouplingText(ch.GetCoupling()).size()));
        c["msPerDiv"] = static_cast<double>(ch.GetMsPerDiv());
        c["divider"] = static_cast<double>(ch.GetTimeBase());
        c["capacity"] = static_cast<double>(ch.GetCapacity());
        c["samples"] = static_cast<double>(ch.GetSampleCount());
        c["colour"] = static_cast<double>(ch.GetColor());
        QJsonObject trigger;
        trigger["channel"] = ch.GetTriggerChannel();
        trigger["level"] = ch.GetTriggerLevel();
        trigger["mode"] = ch.GetTriggerMode();
        trigger["edge"] = ch.GetTriggerEdge();
        trigger["position"] = static_cast<double>(ch.GetTriggerPosition());
        c["trigger"] = trigger;
        QJsonObject probe;
        probe["loaded"] = ch.GetProbe().IsLoaded();
        probe["name"] = qs(ch.GetProbe().GetName());
        probe["units"] = qs(ch.GetProbe().GetUnits());
        probe["ratio"] = static_cast<double>(ch.GetProbe().GetRatio());
        c["probe"] = probe;
        channels.append(c);
    }
    root["channels"] = channels;
    QJsonArray list;
    for (const LogMark& m : marks)
        list.append(QJsonObject{
            {"number", m.number}, {"position", static_cast<double>(m.position)}, {"kind", m.kind}});
    root["marks"] = list;
    // The list stops at the first kMaxLogMarks; the count covers the whole log.
    root["markCount"] = static_cast<double>(file.GetLogMarkCount());
    const QByteArray json = QJsonDocument(root).toJson(QJsonDocument::Indented);
    if (!out.write(json.constData(), json.size()))
        return ExportResult::Fail("cannot write the description");
    return {};
}

} // namespace wavix
