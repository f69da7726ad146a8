#include "QXViewerDiagnostics.h"

#include "CQXScreenManager4.h"
#include "CQXStorageDeviceManager.h"

#include <cinttypes>

namespace {
constexpr std::uint64_t kBytesPerSector = 512;
constexpr std::uint64_t kBytesPerMegabyte = 1000000;
// The screen manager's video surfaces whose figures count: channels 1-4 and the composite.
constexpr int kCountedSurfaces = 5;

char Mark(std::uint8_t mask, std::uint8_t bit) {
    return (mask & bit) ? 'o' : '_';
}
} // namespace

namespace QXViewerDiagnostics {
QString DeviceList(const CQXStorageDeviceManager& devices) {
    QString text = QString::asprintf("QX Devices:\t%d", devices.GetFormattedCount());
    for (std::uint8_t index = 0; index < devices.GetDeviceCount(); ++index) {
        const std::uint64_t sectors = devices.GetSectorCount(index);
        text += QString::asprintf("\r\n\tdevice:%d\t%s [%s]", index,
                                  devices.IsIdeDevice(index) ? "IDE" : "non IDE",
                                  devices.IsFormatted(index) ? "QX Device" : "Non QX Device");
        text += QString::asprintf("\r\n\t\tsize:\t%" PRIu64 " MByte [%s]",
                                  sectors * kBytesPerSector / kBytesPerMegabyte,
                                  devices.GetMediaTypeName(index).c_str());
        text += QString::asprintf("\r\n\t\t4kPkt:\t%u", devices.GetPacketCount(index));
        text += QString::asprintf("\r\n\t\tsector:\t%" PRIu64, sectors);
        text += QString::asprintf("\r\n\t\tvalid:\t%u", devices.GetStreamLength(index));
    }
    return text;
}

QString ScreenText(CQXScreenManager4& screen) {
    const auto count = [&screen](CQXVideoDecoder::Counter counter) {
        return screen.GetDecoderCounter(counter);
    };
    QString text = "fps\t" + QString::fromStdString(screen.FormatFrameRate()) + "\r\n";
    text += QString::asprintf(
        "stat:\tnf:%3u,nr:%3u,zq:%3u,si:%3u\r\n\tsa:%3u,ni:%3u,sx:%3u,al:%3u\r\n\tbx:%3u,"
        "ib:%3u,tt:  %u\r\n",
        count(CQXVideoDecoder::kNullFrame), count(CQXVideoDecoder::kFrameNotValid),
        count(CQXVideoDecoder::kZeroQuantiser), count(CQXVideoDecoder::kUnlistedSliceCount),
        count(CQXVideoDecoder::kUnused), count(CQXVideoDecoder::kNoPicture),
        count(CQXVideoDecoder::kRowOutOfRange), count(CQXVideoDecoder::kBadSliceStart),
        count(CQXVideoDecoder::kOutsidePicture), count(CQXVideoDecoder::kBlockFailed),
        screen.GetFramesTaken());
    text += "primary:\t" + QString::fromStdString(screen.GetPrimaryDescription()) + "\r\n";
    text += "blank:\t" + QString::fromStdString(screen.GetBlankDescription()) + "\r\n";
    text += "capture:\t" + QString::fromStdString(screen.GetCaptureDescription()) + "\r\n";
    text += "conversion:\r\n";
    for (int index = 0; index < kCountedSurfaces; ++index)
        text += "\t" + QString::fromStdString(screen.GetConversionDescription(index)) + "\r\n";
    text += "information:\r\n";
    for (int index = 0; index < kCountedSurfaces; ++index)
        text += "\t" + QString::fromStdString(screen.GetInformationDescription(index)) + "\r\n";
    return text + ChannelMarks(screen.GetDisplayMask());
}

QString ChannelMarks(std::uint8_t mask) {
    return QString::asprintf("display channel\r\n\tq %c 1 %c 2 %c 3 %c 4 %c\r\n", Mark(mask, 0x10),
                             Mark(mask, 0x08), Mark(mask, 0x04), Mark(mask, 0x02),
                             Mark(mask, 0x01));
}

QString PlaybackText(const CQXStorageDeviceManager& devices) {
    return QString::asprintf("view device index:\t%02X [physical id: %02X]\r\n",
                             devices.GetSelected(), devices.GetCurrentDeviceIndex()) +
           "view play mode:\t" + QString::fromLatin1(devices.GetPlayModeName());
}
} // namespace QXViewerDiagnostics
