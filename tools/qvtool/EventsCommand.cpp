// qvtool events: lists the recorder's event table of a drive as the viewer's event list shows
// it, as one JSON object, through the viewer's own event list; --dump FILE writes the area as
// the event list leaves it in its dump file. The drive is only read.
#include "CQXStreamJumps.h"
#include "QvToolCommand.h"
#include "QvToolDrive.h"
#include "QvToolJson.h"

#include <cstdio>

namespace {
const char* const kName = "events";
const char* const kUsage = "usage: qvtool events IMAGE|--drive PATH [--dump FILE]";

std::string Hex(const std::string& bytes) {
    std::string hex;
    for (const unsigned char byte : bytes) {
        char digits[3];
        std::snprintf(digits, sizeof digits, "%02x", byte);
        hex += digits;
    }
    return hex;
}

std::string ListingJson(const QXEventArea::Bytes& area,
                        const std::vector<QXEventArea::Entry>& entries) {
    std::string json = "{\"first_index\":" + std::to_string(QXEventArea::FirstIndex(area.data())) +
                       ",\"end_index\":" + std::to_string(QXEventArea::EndIndex(area.data())) +
                       ",\"events\":[";
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const QXEventArea::Entry& e = entries[i];
        json += (i ? ",{\"number\":" : "{\"number\":") + std::to_string(e.number) +
                ",\"line\":" + QvToolJson::String(e.line) +
                ",\"line_gb2312_hex\":" + QvToolJson::String(Hex(e.lineGb2312)) +
                ",\"packet\":" + std::to_string(e.packet) +
                ",\"offset\":" + std::to_string(e.offset) + "}";
    }
    return json + "]}";
}

int RunEvents(const std::vector<std::string>& arguments) {
    QvToolDrive::Stream stream;
    std::vector<std::string> rest;
    if (int status = QvToolDrive::OpenStream(kName, arguments, {"--dump"}, stream, rest))
        return status;
    std::string dump;
    for (std::size_t i = 0; i < rest.size(); i += 2) {
        if (rest[i] != "--dump" || i + 1 == rest.size())
            return QvToolCommand::UsageError(kName,
                                             "unknown argument '" + rest[i] + "' (" + kUsage + ")");
        dump = rest[i + 1];
    }

    QvToolCommand::QuietMessageBoxes();
    CQXStreamJumps jumps(stream.device, nullptr);
    jumps.SetEventDumpFile(dump);
    std::string json;
    const CQXStreamJumps::EventList list = jumps.ShowEventList(
        [&json](const QXEventArea::Bytes& area, const std::vector<QXEventArea::Entry>& entries) {
            json = ListingJson(area, entries);
            return -1;
        });
    const std::string path = stream.device->GetDrivePath();
    stream.manager->CloseAllDevices();
    if (!list.read) {
        std::fprintf(stderr, "qvtool events: the event area of %s cannot be read\n", path.c_str());
        return QvToolCommand::kExitFailure;
    }
    std::printf("%s\n", json.c_str());
    if (!list.dumped) {
        std::fprintf(stderr, "qvtool events: cannot write %s\n", dump.c_str());
        return QvToolCommand::kExitFailure;
    }
    return QvToolCommand::kExitOk;
}

const QvToolCommand::Registration kRegistration(
    kName, {"list the event table of IMAGE (or --drive PATH) as JSON (--dump FILE)", RunEvents});
} // namespace
