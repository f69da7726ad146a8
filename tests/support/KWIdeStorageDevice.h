#pragma once
#include "CQXStorageDevice.h"
#include "KWRawDrive.h"

#include <cstdint>

// Identify data in the layout of a drive's answer: 16-bit little-endian words.
inline KWRawDrive::IdentifyData IdentifyData(std::uint32_t sectors28, bool has48Bit,
                                             std::uint64_t sectors48) {
    KWRawDrive::IdentifyData data{};
    auto setWord = [&data](int word, std::uint16_t value) {
        data[2 * word] = static_cast<std::uint8_t>(value);
        data[2 * word + 1] = static_cast<std::uint8_t>(value >> 8);
    };
    setWord(0, 0x0040); // fixed device
    setWord(60, static_cast<std::uint16_t>(sectors28));
    setWord(61, static_cast<std::uint16_t>(sectors28 >> 16));
    setWord(83, has48Bit ? 0x7469 : 0x7069); // bit 10: the 48-bit address feature set
    for (int i = 0; i < 4; ++i)
        setWord(100 + i, static_cast<std::uint16_t>(sectors48 >> (16 * i)));
    return data;
}

// A device that answers the identify request with recorded data, as an ATA drive would.
class IdeStorageDevice : public CQXStorageDevice {
public:
    explicit IdeStorageDevice(const KWRawDrive::IdentifyData& identify) : m_identify(identify) {}

protected:
    bool RequestIdentify(KWRawDrive::IdentifyData& data) override {
        data = m_identify;
        return true;
    }

private:
    KWRawDrive::IdentifyData m_identify;
};
