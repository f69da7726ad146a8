#include "CQXMysRecordWalker.h"

#include "QXMysFileHeader.h"

#include <sys/stat.h>
#include <unistd.h>

CQXMysRecordWalker::CQXMysRecordWalker(int fileDescriptor, std::uint64_t length)
    : m_file(fileDescriptor), m_length(length), m_offset(QXMysFileHeader::kSize) {}

bool CQXMysRecordWalker::Next(QXMysRecordHeader& header, std::uint64_t& offset) {
    if (m_stop != kRunning)
        return false;
    if (m_offset >= m_length) {
        m_stop = kAtEnd;
        return false;
    }
    if (m_offset + QXMysRecordHeader::kSize > m_length) {
        m_stop = kCutShort;
        return false;
    }
    std::uint8_t bytes[QXMysRecordHeader::kSize];
    if (pread(m_file, bytes, sizeof bytes, static_cast<off_t>(m_offset)) !=
        static_cast<ssize_t>(sizeof bytes)) {
        m_stop = kReadError;
        return false;
    }
    header = QXMysRecordHeader::FromBytes(bytes);
    if (!header.IsRecord()) {
        m_stop = kForeignBytes;
        return false;
    }
    const std::uint64_t end = m_offset + QXMysRecordHeader::kSize + header.length;
    if (end > m_length) {
        m_stop = kCutShort;
        return false;
    }
    offset = m_offset;
    m_offset = end;
    return true;
}

std::uint64_t CQXMysRecordWalker::PlayableLength(int fileDescriptor, std::uint32_t headerFileSize) {
    struct stat info {};
    if (fstat(fileDescriptor, &info) != 0)
        return headerFileSize;
    const auto real = static_cast<std::uint64_t>(info.st_size);
    if (headerFileSize != 0 && headerFileSize <= real)
        return headerFileSize;
    // The header was never finished (size 0) or the file lost its tail.
    CQXMysRecordWalker walker(fileDescriptor, real);
    QXMysRecordHeader header;
    std::uint64_t offset = 0;
    while (walker.Next(header, offset)) {
    }
    return walker.GetStop() == kCutShort ? walker.GetEnd() : real;
}
