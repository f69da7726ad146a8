// The data scan of a drive that answered the identify request, over an image in memory. The
// first 4 input bytes are the size in sectors the drive claims (little-endian); every following
// 8 bytes are the header of one 4 KB packet of the image, whose payload stays zero - the scan
// reads headers only, so a short input stands for a long recording. The drive is opened once;
// each input is scanned on the fuzzer's thread.
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
constexpr std::size_t kClaimBytes = 4;

struct Drive {
    Drive() : device(IdentifyData(kMaxPackets * CQX4KPacket::kSectors, false, 0)) {
        device.SetPacing(false);
        device.SetDriveList(std::make_shared<const KWDriveList>(KWDriveList{image.Path()}));
        // Opening an ATA drive starts a scan on the worker: the image is empty, so it ends at once.
        if (!device.Open(0, 0))
            std::abort();
        while (device.IsBusy())
            std::this_thread::yield();
    }
    FuzzMemoryFile image;
    IdeStorageDevice device;
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < kClaimBytes)
        return 0;
    static Drive drive;
    std::uint32_t sectors = 0;
    for (std::size_t i = 0; i < kClaimBytes; ++i)
        sectors |= std::uint32_t{data[i]} << (8 * i);

    const std::size_t packets =
        std::min((size - kClaimBytes) / CQX4KPacket::kHeaderSize, kMaxPackets);
    drive.image.Resize(std::uint64_t{packets} * CQX4KPacket::kSize);
    for (std::size_t p = 0; p < packets; ++p)
        drive.image.WriteAt(std::uint64_t{p} * CQX4KPacket::kSize,
                            data + kClaimBytes + p * CQX4KPacket::kHeaderSize,
                            CQX4KPacket::kHeaderSize);

    CQXStorageDevice& device = drive.device;
    device.SetSectorCount(sectors);
    if (!device.RunDataScan())
        std::abort();

    // A found stream ends at a recorded packet of the image.
    if (device.IsFormatted() != (device.GetStreamLength() != 0))
        std::abort();
    if (device.IsFormatted()) {
        CQX4KPacket last;
        if (device.GetStreamLength() >= packets ||
            !device.ReadPacket(device.GetStreamLength(), last) || !last.IsRecorded())
            std::abort();
    }
    return 0;
}
