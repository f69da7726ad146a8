#include "QXMysRecordHeader.h"

#include "QXChannelSet.h"
#include "QXLittleEndian.h"

#include <cstring>
#include <unistd.h>

bool QXMysRecordHeader::Read(int file, std::uint64_t offset, QXMysRecordHeader& header) {
    std::uint8_t bytes[kSize];
    if (pread(file, bytes, sizeof bytes, static_cast<off_t>(offset)) !=
        static_cast<ssize_t>(sizeof bytes))
        return false;
    header = FromBytes(bytes);
    return true;
}

QXMysRecordHeader QXMysRecordHeader::FromBytes(const std::uint8_t* bytes) {
    QXMysRecordHeader header;
    header.magic = QXLittleEndian::Get32(bytes);
    header.sequence = QXLittleEndian::Get32(bytes + 4);
    header.timeDifference = QXLittleEndian::Get32(bytes + 8);
    header.previousLength = QXLittleEndian::Get32(bytes + 12);
    header.length = QXLittleEndian::Get32(bytes + 16);
    header.timestamp = QXTimestamp::FromBytes(bytes + 20);
    header.channels = bytes[26];
    header.keyFlag = bytes[kKeyFlagOffset];
    return header;
}

void QXMysRecordHeader::ToBytes(std::uint8_t* bytes) const {
    std::memset(bytes, 0, kSize);
    QXLittleEndian::Put32(bytes, magic);
    QXLittleEndian::Put32(bytes + 4, sequence);
    QXLittleEndian::Put32(bytes + 8, timeDifference);
    QXLittleEndian::Put32(bytes + 12, previousLength);
    QXLittleEndian::Put32(bytes + 16, length);
    timestamp.ToBytes(bytes + 20);
    bytes[26] = channels;
    bytes[kKeyFlagOffset] = keyFlag;
}

bool QXMysRecordHeader::IsKeyVideoAt(const std::uint8_t* bytes) {
    return QXLittleEndian::Get32(bytes) == kVideoMagic && bytes[kKeyFlagOffset] == 1;
}

std::uint8_t QXMysRecordHeader::ChannelsFromSet(std::uint8_t channelSet) {
    std::uint8_t channels = channelSet & QXChannelSet::kCompositeBit;
    for (int channel = 0; channel < 4; ++channel)
        if (QXChannelSet::Has(channelSet, channel))
            channels |= static_cast<std::uint8_t>(1 << channel);
    return channels;
}
