#include "QvToolEvidenceReport.h"

#include "QvToolJson.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <sstream>

namespace {
std::string Number(std::uint64_t value) {
    return std::to_string(value);
}

std::string GapsJson(const std::vector<QvToolEvidenceReport::Gap>& gaps) {
    std::string json = "[";
    for (const auto& gap : gaps)
        json += (json.size() > 1 ? "," : "") + std::string("{\"before\":") +
                QvToolJson::String(gap.before) + ",\"after\":" + QvToolJson::String(gap.after) +
                ",\"seconds\":" + std::to_string(gap.seconds) + "}";
    return json + "]";
}

std::string SkippedJson(const std::vector<QvToolEvidenceReport::Skipped>& skipped) {
    std::string json = "[";
    for (const auto& frame : skipped)
        json += (json.size() > 1 ? "," : "") + std::string("{\"packet\":") + Number(frame.packet) +
                ",\"time\":" + QvToolJson::String(frame.time) +
                ",\"reason\":" + QvToolJson::String(frame.reason) + "}";
    return json + "]";
}

std::string Nullable(const std::string& text) {
    return text.empty() ? "null" : QvToolJson::String(text);
}
} // namespace

std::string QvToolEvidenceReport::ToJson() const {
    std::string json =
        "{\n  \"program\":" + QvToolJson::String("qvtool " + version) +
        ",\n  \"command_line\":" + QvToolJson::String(commandLine) +
        ",\n  \"complete\":" + (complete ? "true" : "false") + ",\n  \"note\":" + Nullable(note) +
        ",\n  \"drive\":{\"path\":" + QvToolJson::String(drivePath) +
        ",\"bytes\":" + Number(driveBytes) + ",\"model\":" + Nullable(driveModel) +
        "},\n  \"packets\":{\"first\":" + Number(firstPacket) + ",\"last\":" + Number(lastPacket) +
        ",\"sha256\":" + QvToolJson::String(packetsSha256) + "},\n  \"files\":[";
    for (std::size_t i = 0; i < files.size(); ++i) {
        const File& f = files[i];
        json +=
            std::string(i ? "," : "") + "\n    {\"name\":" + QvToolJson::String(f.name) +
            ",\"channel\":" + QvToolJson::String(f.channel) +
            ",\"sha256\":" + QvToolJson::String(f.sha256) + ",\"bytes\":" + Number(f.bytes) +
            ",\"video_codec\":" + QvToolJson::String(f.videoCodec) +
            ",\"sound_codec\":" + Nullable(f.soundCodec) + ",\"width\":" + std::to_string(f.width) +
            ",\"height\":" + std::to_string(f.height) + ",\"frames\":" + std::to_string(f.frames) +
            ",\"sound_samples\":" + Number(f.soundSamples) +
            ",\"first_time\":" + Nullable(f.first) + ",\"last_time\":" + Nullable(f.last) +
            ",\"gaps\":" + GapsJson(f.gaps) + ",\"skipped_frames\":" + SkippedJson(f.skipped) + "}";
    }
    return json + "\n  ]\n}\n";
}

std::string QvToolEvidenceReport::ToText() const {
    std::ostringstream text;
    text << "Evidence export report\n"
         << "Program: qvtool " << version << "\n"
         << "Command line: " << commandLine << "\n"
         << "Complete: " << (complete ? "yes" : "no - " + note) << "\n\n"
         << "Drive: " << drivePath << "\n"
         << "Drive size: " << driveBytes << " bytes\n"
         << "Drive model: " << (driveModel.empty() ? "(not reported)" : driveModel) << "\n"
         << "Packets read: " << firstPacket << " to " << lastPacket << " (4096 bytes each)\n"
         << "SHA-256 of those packets as stored: " << packetsSha256 << "\n";
    for (const File& f : files) {
        text << "\nFile: " << f.name << " (channel " << f.channel << ")\n"
             << "  SHA-256: " << f.sha256 << "\n"
             << "  Size: " << f.bytes << " bytes\n"
             << "  Video: " << f.videoCodec << ", " << f.width << "x" << f.height << ", "
             << f.frames << " frames\n"
             << "  Sound: "
             << (f.soundCodec.empty()
                     ? "none"
                     : f.soundCodec + ", " + Number(f.soundSamples) + " samples at 8000 Hz")
             << "\n"
             << "  First recorded time: " << (f.first.empty() ? "-" : f.first) << "\n"
             << "  Last recorded time: " << (f.last.empty() ? "-" : f.last) << "\n"
             << "  Gaps longer than 2 s: " << f.gaps.size() << "\n";
        for (const Gap& gap : f.gaps)
            text << "    " << gap.before << " to " << gap.after << " (" << gap.seconds << " s)\n";
        text << "  Damaged or undecodable frames skipped: " << f.skipped.size() << "\n";
        for (const Skipped& frame : f.skipped)
            text << "    packet " << frame.packet << ", " << frame.time << ": " << frame.reason
                 << "\n";
    }
    return text.str();
}

bool QvToolEvidenceReport::FromJson(const std::string& json, std::string& error) {
    QJsonParseError parse{};
    const QJsonDocument document = QJsonDocument::fromJson(QByteArray::fromStdString(json), &parse);
    const QJsonObject root = document.object();
    const QJsonObject drive = root.value("drive").toObject();
    const QJsonObject packets = root.value("packets").toObject();
    if (parse.error != QJsonParseError::NoError || !root.value("files").isArray() ||
        !packets.value("sha256").isString()) {
        error = "it is not a report of qvtool export";
        return false;
    }
    drivePath = drive.value("path").toString().toStdString();
    driveBytes = static_cast<std::uint64_t>(drive.value("bytes").toDouble());
    firstPacket = static_cast<std::uint32_t>(packets.value("first").toDouble());
    lastPacket = static_cast<std::uint32_t>(packets.value("last").toDouble());
    packetsSha256 = packets.value("sha256").toString().toStdString();
    complete = root.value("complete").toBool();
    files.clear();
    for (const QJsonValue& value : root.value("files").toArray()) {
        const QJsonObject object = value.toObject();
        File file;
        file.name = object.value("name").toString().toStdString();
        file.sha256 = object.value("sha256").toString().toStdString();
        file.bytes = static_cast<std::uint64_t>(object.value("bytes").toDouble());
        if (file.name.empty() || file.name == ".." || file.name.find('/') != std::string::npos) {
            error = "a file of the report has no name or a name outside the folder";
            return false;
        }
        files.push_back(file);
    }
    return true;
}
