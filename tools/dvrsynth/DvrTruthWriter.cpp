#include "DvrTruthWriter.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <sstream>

DvrTruthWriter::DvrTruthWriter(std::string folder) : m_folder(std::move(folder)) {}
DvrTruthWriter::~DvrTruthWriter() = default;

bool DvrTruthWriter::Fail(const std::string& what) {
    if (!m_failed)
        m_error = what + ": " + std::strerror(errno);
    m_failed = true;
    return false;
}

bool DvrTruthWriter::Open() {
    std::error_code error;
    std::filesystem::create_directories(m_folder, error);
    if (error) {
        m_error = "cannot create " + m_folder + ": " + error.message();
        m_failed = true;
        return false;
    }
    return true;
}

void DvrTruthWriter::AddPicture(int channel, const DvrPicture& picture) {
    if (m_failed)
        return;
    File& file = m_pictures[channel];
    if (!file) {
        const std::string path = m_folder + "/channel" + std::to_string(channel) + ".yuv";
        file.reset(std::fopen(path.c_str(), "wb"));
        if (!file) {
            Fail("cannot create " + path);
            return;
        }
    }
    for (const auto* plane : {&picture.y, &picture.u, &picture.v})
        if (std::fwrite(plane->data(), 1, plane->size(), file.get()) != plane->size()) {
            Fail("cannot write the pictures of channel " + std::to_string(channel));
            return;
        }
}

std::string DvrTruthWriter::FormatTimestamp(const QXTimestamp& t) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", 2000 + t.year, t.month, t.day,
                  t.hour, t.minute, t.second);
    return text;
}

bool DvrTruthWriter::Finish(const DvrRecorder::Result& result) {
    for (auto& [channel, file] : m_pictures)
        if (file && std::fflush(file.get()) != 0)
            return Fail("cannot write the pictures of channel " + std::to_string(channel));
    if (m_failed)
        return false;

    const std::string soundPath = m_folder + "/sound.s16";
    File sound(std::fopen(soundPath.c_str(), "wb"));
    if (!sound || std::fwrite(result.sound.data(), sizeof(std::int16_t), result.sound.size(),
                              sound.get()) != result.sound.size())
        return Fail("cannot write " + soundPath);

    std::ostringstream json;
    json << "{\"disk_bytes\":" << result.diskBytes << ",\"packets\":" << result.packetsWritten
         << ",\"stream_length\":" << result.streamLength << ",\"frames\":[";
    for (std::size_t i = 0; i < result.frames.size(); ++i) {
        const auto& f = result.frames[i];
        json << (i ? ",\n" : "\n") << "{\"n\":" << f.number << ",\"packet\":" << f.packet
             << ",\"channel\":" << f.channel << ",\"timestamp\":\"" << FormatTimestamp(f.timestamp)
             << "\",\"key\":" << (f.key ? 1 : 0) << ",\"slices\":" << f.slices
             << ",\"picture\":" << f.picture << ",\"damaged\":" << (f.damaged ? "true" : "false")
             << "}";
    }
    json << "],\n\"events\":[";
    for (std::size_t i = 0; i < result.events.size(); ++i) {
        const auto& e = result.events[i];
        json << (i ? ",\n" : "\n") << "{\"start\":\"" << FormatTimestamp(e.start) << "\",\"end\":\""
             << FormatTimestamp(e.end) << "\",\"packet\":" << e.packet << "}";
    }
    json << "]}\n";

    const std::string truthPath = m_folder + "/truth.json";
    File truth(std::fopen(truthPath.c_str(), "wb"));
    const std::string text = json.str();
    if (!truth || std::fwrite(text.data(), 1, text.size(), truth.get()) != text.size())
        return Fail("cannot write " + truthPath);
    return true;
}
