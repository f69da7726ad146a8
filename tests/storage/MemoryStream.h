#pragma once
// An in-memory stream of packets for the reader tests, built from video streams and sound.
#include "CQX4KPacket.h"
#include "CQXPacketSource.h"
#include "VideoTestPictures.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <set>
#include <string>
#include <vector>

class MemoryStream : public CQXPacketSource {
public:
    static constexpr std::uint8_t kHeader[8] = {6, 12, 27, 15, 30, 45, 0, 0x0F};

    int ReadPacket(std::uint32_t index, CQX4KPacket& packet) override {
        read.insert(index);
        if (index >= packets.size() || failing.count(index))
            return 0;
        std::memcpy(packet.GetData(), packets[index].data(), CQX4KPacket::kSize);
        return 1;
    }
    std::uint32_t GetStreamLength() const override { return length; }

    // Appends data packets carrying `bytes` as their video stream; the last one is zero-filled.
    void AddVideo(const std::vector<std::uint8_t>& bytes, std::uint8_t channelSet = 0x0F) {
        for (std::size_t at = 0; at < bytes.size(); at += CQX4KPacket::kPayloadSize) {
            std::vector<std::uint8_t> packet(CQX4KPacket::kSize, 0);
            std::copy(std::begin(kHeader), std::end(kHeader), packet.begin());
            packet[7] = channelSet;
            const std::size_t n =
                std::min<std::size_t>(CQX4KPacket::kPayloadSize, bytes.size() - at);
            std::copy(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                      bytes.begin() + static_cast<std::ptrdiff_t>(at + n),
                      packet.begin() + CQX4KPacket::kHeaderSize);
            packets.push_back(packet);
        }
        length = static_cast<std::uint32_t>(packets.size() - 1);
    }
    // Appends the video stream of the frames with the start code of frame `split` cut in two
    // by the end of a data packet, and a sound packet before the data packet with the rest:
    // frame `split` - 1 gets zero bytes at its end to bring its successor there.
    void AddVideoSplitBySound(std::vector<std::vector<std::uint8_t>>& bodies, std::size_t split) {
        std::size_t start = 0; // of frame `split`'s start code in the stream
        for (std::size_t i = 0; i < split; ++i)
            start += QXVideoStartCode::kLength + bodies[i].size();
        const std::size_t boundary =
            (start / CQX4KPacket::kPayloadSize + 1) * CQX4KPacket::kPayloadSize;
        bodies[split - 1].resize(bodies[split - 1].size() + boundary - 2 - start, 0);
        const std::vector<std::uint8_t> video = VideoStream(bodies);
        const auto cut = static_cast<std::ptrdiff_t>(boundary);
        AddVideo(std::vector<std::uint8_t>(video.begin(), video.begin() + cut));
        AddAudio(0x5A);
        AddVideo(std::vector<std::uint8_t>(video.begin() + cut, video.end()));
    }
    // Takes packets 0 to `streamLength` of a disk image, as a drive reads them.
    bool LoadImage(const std::string& path, std::uint32_t streamLength) {
        std::ifstream image(path, std::ios::binary);
        CQX4KPacket packet;
        for (std::uint32_t index = 0; index <= streamLength; ++index) {
            if (!image.read(reinterpret_cast<char*>(packet.GetData()), CQX4KPacket::kSize))
                return false;
            packet.ExchangeBytes();
            packets.emplace_back(packet.GetData(), packet.GetData() + CQX4KPacket::kSize);
        }
        length = streamLength;
        return true;
    }
    void AddAudio(std::uint8_t fill) {
        std::vector<std::uint8_t> packet(CQX4KPacket::kSize, fill);
        packet[0] = 0x80;
        packet[6] = CQX4KPacket::kAudioMarker;
        packet[7] = 0xF0;
        packets.push_back(packet);
        length = static_cast<std::uint32_t>(packets.size() - 1);
    }

    std::vector<std::vector<std::uint8_t>> packets;
    std::uint32_t length = 0;
    std::set<std::uint32_t> read;
    std::set<std::uint32_t> failing;
};
