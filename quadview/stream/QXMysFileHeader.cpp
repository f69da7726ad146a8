#include "QXMysFileHeader.h"

#include "QXLittleEndian.h"

#include <cstring>

QXMysFileHeader QXMysFileHeader::FromBytes(const std::uint8_t* bytes) {
    QXMysFileHeader header;
    header.magic = QXLittleEndian::Get32(bytes);
    header.fileSize = QXLittleEndian::Get32(bytes + 4);
    header.firstTimestamp = QXTimestamp::FromBytes(bytes + 8);
    header.lastTimestamp = QXTimestamp::FromBytes(bytes + 14);
    header.channels = bytes[20];
    header.channelsCopy = bytes[21];
    header.recordCount = QXLittleEndian::Get32(bytes + 24);
    return header;
}

void QXMysFileHeader::ToBytes(std::uint8_t* bytes) const {
    std::memset(bytes, 0, kSize);
    QXLittleEndian::Put32(bytes, magic);
    QXLittleEndian::Put32(bytes + 4, fileSize);
    firstTimestamp.ToBytes(bytes + 8);
    lastTimestamp.ToBytes(bytes + 14);
    bytes[20] = channels;
    bytes[21] = channelsCopy;
    QXLittleEndian::Put32(bytes + 24, recordCount);
}
