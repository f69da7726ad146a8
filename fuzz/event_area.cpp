// The recorder's event table as read from the end of a drive: the list the event window shows
// and the dump of its exchanged bytes. Every listed entry must lie inside the area.
#include "QXEventArea.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    QXEventArea::Bytes area{};
    std::copy_n(data, std::min(size, area.size()), area.begin());
    const std::vector<QXEventArea::Entry> entries = QXEventArea::List(area.data());
    int number = 0;
    for (const QXEventArea::Entry& entry : entries) {
        if (entry.number != ++number || entry.offset < QXEventArea::kEntriesOffset ||
            entry.offset + QXEventArea::kEntryBytes > area.size() ||
            entry.packet != QXEventArea::PacketAt(area.data(), entry.offset))
            std::abort();
    }
    QXEventArea::Exchanged(area.data());
    return 0;
}
