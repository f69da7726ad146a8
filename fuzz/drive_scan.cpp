// The data scan of a drive that answers the identify request, over an image in memory. The
// first 512 input bytes are the identify data (and so the size the drive claims); every
// following 8 bytes are the header of one 4 KB packet of the image, whose payload stays zero -
// the scan reads headers only, so a short input stands for a long recording.
#include "CQX4KPacket.h"
#include "CQXStorageDevice.h"
#include "FuzzMemoryFile.h"
#include "KWIdeStorageDevice.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <thread>

namespace {
constexpr std::size_t kMaxPackets = 1 << 16;
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static FuzzMemoryFile image;
    KWRawDrive::IdentifyData identify{};
    const std::size_t identifyBytes = std::min(size, identify.size());
    std::copy_n(data, identifyBytes, identify.begin());

    const std::size_t packets =
        std::min((size - identifyBytes) / CQX4KPacket::kHeaderSize, kMaxPackets);
    image.Resize(std::uint64_t{packets} * CQX4KPacket::kSize);
    for (std::size_t p = 0; p < packets; ++p)
        image.WriteAt(std::uint64_t{p} * CQX4KPacket::kSize,
                      data + identifyBytes + p * CQX4KPacket::kHeaderSize,
                      CQX4KPacket::kHeaderSize);

    IdeStorageDevice drive(identify);
    drive.SetDriveList(std::make_shared<const KWDriveList>(KWDriveList{image.Path()}));
    if (!drive.Open(0, 0))
        return 0;
    while (drive.IsBusy())
        std::this_thread::yield();

    // A found stream ends at a recorded packet of the image.
    if (drive.IsFormatted() != (drive.GetStreamLength() != 0))
        std::abort();
    if (drive.IsFormatted()) {
        CQX4KPacket last;
        if (drive.GetStreamLength() >= packets ||
            !drive.ReadPacket(drive.GetStreamLength(), last) || !last.IsRecorded())
            std::abort();
    }
    drive.Close();
    return 0;
}
