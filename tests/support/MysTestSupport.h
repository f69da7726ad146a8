#pragma once
// MYS files, frames and listeners for the recorder, player and file manager tests.
#include "CKWObject.h"
#include "CQXAudioFrame.h"
#include "CQXMysPlayer.h"
#include "CQXVideoFrame.h"
#include "KWMailbox.h"
#include "KWTick.h"
#include "QXMysFileHeader.h"
#include "QXMysRecordHeader.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

constexpr std::uint32_t kGenerousMs = 30000;

inline bool WaitFor(const std::function<bool()>& done) {
    return KWWaitDeliveringSends(kGenerousMs, done);
}

// A time whose minute and second count records: record n gets 2006-12-27 15:mm:ss.
inline QXTimestamp RecordTime(std::uint32_t n) {
    return QXTimestamp{
        6, 12, 27, 15, static_cast<std::uint8_t>(n / 60 % 60), static_cast<std::uint8_t>(n % 60)};
}
inline std::uint32_t RecordNumber(const QXTimestamp& t) {
    return t.minute * 60u + t.second;
}

// The audio bytes of test records.
inline std::uint8_t AudioByte(std::uint32_t i) {
    return static_cast<std::uint8_t>(i * 13 + 1);
}

struct TestRecord {
    bool video = true;
    bool key = false;
    std::uint32_t length = 100;
    std::uint8_t channels = 0x01;
    std::uint32_t timeDifference = 0;
    QXTimestamp timestamp;
    // A video record's frame after its start code; when empty, a filler of `length` bytes.
    std::vector<std::uint8_t> body;
};

// Writes a MYS file of the records (data: start code and the body or a filler for video, zeros
// for audio), linked as the recorder links them. Returns each record's offset.
inline std::vector<std::uint64_t> WriteMysFile(const std::string& path,
                                               const std::vector<TestRecord>& records,
                                               bool finishHeader = true) {
    std::vector<std::uint8_t> file(QXMysFileHeader::kSize);
    std::vector<std::uint64_t> offsets;
    QXMysFileHeader fileHeader;
    std::uint32_t previous = 0;
    for (std::size_t n = 0; n < records.size(); ++n) {
        const TestRecord& r = records[n];
        const bool coded = r.video && !r.body.empty();
        const auto length = coded ? static_cast<std::uint32_t>(r.body.size() + 4) : r.length;
        QXMysRecordHeader h;
        h.magic = r.video ? QXMysRecordHeader::kVideoMagic : QXMysRecordHeader::kAudioMagic;
        h.sequence = static_cast<std::uint32_t>(n);
        h.timeDifference = r.timeDifference;
        h.previousLength = previous;
        h.length = length;
        h.timestamp = r.timestamp;
        h.channels = r.video ? r.channels : 0;
        h.keyFlag = r.video && r.key ? 1 : 0;
        offsets.push_back(file.size());
        std::uint8_t bytes[QXMysRecordHeader::kSize];
        h.ToBytes(bytes);
        file.insert(file.end(), bytes, bytes + sizeof bytes);
        std::vector<std::uint8_t> data(length, r.video ? 0x5A : 0);
        if (!r.video)
            for (std::uint32_t i = QXMysRecordHeader::kAudioLead; i < length; ++i)
                data[i] = AudioByte(i - QXMysRecordHeader::kAudioLead);
        if (r.video && length >= 4) {
            const std::uint8_t code[4] = {0, 0, 1, 0xF8};
            std::memcpy(data.data(), code, 4);
            if (coded)
                std::copy(r.body.begin(), r.body.end(), data.begin() + 4);
            else
                data[4 % length] = r.key ? 0x80 : 0x00; // the frame header byte
        }
        file.insert(file.end(), data.begin(), data.end());
        previous = length;
        if (n == 0)
            fileHeader.firstTimestamp = r.timestamp;
        fileHeader.lastTimestamp = r.video ? r.timestamp : QXTimestamp{};
        fileHeader.channels |= h.channels;
    }
    fileHeader.channelsCopy = fileHeader.channels;
    if (finishHeader) {
        fileHeader.fileSize = static_cast<std::uint32_t>(file.size());
        fileHeader.recordCount = static_cast<std::uint32_t>(records.size());
    }
    fileHeader.ToBytes(file.data());
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(file.data()),
               static_cast<std::streamsize>(file.size()));
    return offsets;
}

// Rewrites the length word of the record header at `offset` of a written file: a damaged record.
inline void SetRecordLength(const std::string& path, std::uint64_t offset, std::uint32_t length) {
    std::fstream file(path, std::ios::binary | std::ios::in | std::ios::out);
    std::uint8_t bytes[QXMysRecordHeader::kSize];
    file.seekg(static_cast<std::streamoff>(offset));
    file.read(reinterpret_cast<char*>(bytes), sizeof bytes);
    QXMysRecordHeader header = QXMysRecordHeader::FromBytes(bytes);
    header.length = length;
    header.ToBytes(bytes);
    file.seekp(static_cast<std::streamoff>(offset));
    file.write(reinterpret_cast<const char*>(bytes), sizeof bytes);
}

inline std::vector<std::uint8_t> ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {});
}

inline std::vector<std::string> MysFilesIn(const std::filesystem::path& directory) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(directory))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

// A frame of the given fill length whose bytes count up, without slices: for the recorder,
// which copies frames without looking into them.
inline void MakePlainFrame(CQXVideoFrame& frame, std::uint32_t length, bool key,
                           const QXTimestamp& timestamp, std::uint8_t channelSet = 0x08) {
    frame.Reset();
    for (std::uint32_t i = 0; i < length; ++i)
        frame.SetAt(i, static_cast<std::uint8_t>(i * 7 + 3));
    frame.SetAt(0, key ? 0x80 : 0x00);
    frame.SetLength(length);
    frame.SetTimestamp(timestamp);
    frame.SetChannelSetFromRecord(QXMysRecordHeader::ChannelsFromSet(channelSet));
    frame.SetComplete(true);
}

// Listens to a player (or a file manager): records every message, takes a copy of each video
// frame and gives it back at once, as the screen manager does after drawing.
class PlayerListener : public CKWObject {
public:
    struct Shown {
        QXTimestamp timestamp;
        std::uint32_t length;
        bool key;
        std::uint8_t channelSet;
        std::uint32_t tick;
        std::uint64_t position; // of the position message before it
        std::vector<std::uint8_t> bytes;
    };
    struct Message {
        std::uint32_t message;
        KWWParam wParam;
        KWLParam lParam;
    };
    using FrameHook = std::function<void(const CQXVideoFrame&)>;

    explicit PlayerListener(FrameHook hook = {}) : m_hook(std::move(hook)) {}

    KWResult OnListenerSend(std::uint32_t message, KWWParam wParam, KWLParam lParam) override {
        std::lock_guard lock(m_mutex);
        m_messages.push_back({message, wParam, lParam});
        if (message == CQXMysPlayer::kMessagePosition)
            m_position = static_cast<std::uint64_t>(lParam);
        if (message == CQXMysPlayer::kMessageVideo) {
            auto* frame = reinterpret_cast<CQXVideoFrame*>(lParam);
            if (m_hook)
                m_hook(*frame);
            m_shown.push_back({frame->GetTimestamp(), frame->GetLength(), frame->IsKeyFrame() == 1,
                               frame->GetChannelSet(), KWGetTickCount(), m_position,
                               std::vector<std::uint8_t>(frame->GetData(),
                                                         frame->GetData() + frame->GetLength())});
            frame->Reset();
        }
        if (message == CQXMysPlayer::kMessageAudio) {
            auto* audio = reinterpret_cast<CQXAudioFrame*>(lParam);
            m_audioLengths.push_back(audio->GetLength());
        }
        return 0;
    }
    void OnListenerPost(std::uint32_t message, KWWParam wParam, KWLParam lParam) override {
        OnListenerSend(message, wParam, lParam);
    }

    std::vector<Shown> Frames() const {
        std::lock_guard lock(m_mutex);
        return m_shown;
    }
    std::vector<Message> Messages() const {
        std::lock_guard lock(m_mutex);
        return m_messages;
    }
    std::vector<std::uint32_t> AudioLengths() const {
        std::lock_guard lock(m_mutex);
        return m_audioLengths;
    }
    // The modes announced by 0x1410 (or the file manager's 0x1420), in order.
    std::vector<std::uint32_t> Modes(std::uint32_t message = CQXMysPlayer::kMessageMode) const {
        std::lock_guard lock(m_mutex);
        std::vector<std::uint32_t> modes;
        for (const auto& m : m_messages)
            if (m.message == message)
                modes.push_back(static_cast<std::uint32_t>(m.wParam));
        return modes;
    }
    std::vector<std::uint32_t> ShownNumbers() const {
        std::vector<std::uint32_t> numbers;
        for (const auto& f : Frames())
            numbers.push_back(RecordNumber(f.timestamp));
        return numbers;
    }

private:
    FrameHook m_hook;
    mutable std::mutex m_mutex;
    std::vector<Message> m_messages;
    std::vector<Shown> m_shown;
    std::vector<std::uint32_t> m_audioLengths;
    std::uint64_t m_position = 0;
};
