#include "QXIconSet.h"

#include <QHash>
#include <QPainter>
#include <QPixmap>
#include <QString>
#include <QSvgRenderer>

#include <algorithm>
#include <iterator>
#include <vector>

namespace {
using namespace QXIconSet;

struct Entry {
    int id;
    const char* file; // under icons/, without ".svg"
    int size;
};

constexpr Entry kEntries[] = {
    {kFastReverse, "fast-reverse", kSmallSize},
    {kFastReverseDisabled, "fast-reverse-disabled", kSmallSize},
    {kFastReverseActive, "fast-reverse-active", kSmallSize},
    {kReverse, "reverse", kSmallSize},
    {kReverseDisabled, "reverse-disabled", kSmallSize},
    {kReverseActive, "reverse-active", kSmallSize},
    {kPause, "pause", kSmallSize},
    {kPauseDisabled, "pause-disabled", kSmallSize},
    {kPauseActive, "pause-active", kSmallSize},
    {kPlay, "play", kSmallSize},
    {kPlayDisabled, "play-disabled", kSmallSize},
    {kPlayActive, "play-active", kSmallSize},
    {kFastForward, "fast-forward", kSmallSize},
    {kFastForwardDisabled, "fast-forward-disabled", kSmallSize},
    {kFastForwardActive, "fast-forward-active", kSmallSize},

    {kChannelsAll, "channels-all", kSmallSize},
    {kChannelsAllDisabled, "channels-all-disabled", kSmallSize},
    {kChannelsAllActive, "channels-all-active", kSmallSize},
    {kChannelsTwo, "channels-two", kSmallSize},
    {kChannelsTwoDisabled, "channels-two-disabled", kSmallSize},
    {kChannelsTwoActive, "channels-two-active", kSmallSize},
    {kChannel1, "channel-1", kSmallSize},
    {kChannel1Disabled, "channel-1-disabled", kSmallSize},
    {kChannel1Active, "channel-1-active", kSmallSize},
    {kChannel2, "channel-2", kSmallSize},
    {kChannel2Disabled, "channel-2-disabled", kSmallSize},
    {kChannel2Active, "channel-2-active", kSmallSize},
    {kChannel3, "channel-3", kSmallSize},
    {kChannel3Disabled, "channel-3-disabled", kSmallSize},
    {kChannel3Active, "channel-3-active", kSmallSize},
    {kChannel4, "channel-4", kSmallSize},
    {kChannel4Disabled, "channel-4-disabled", kSmallSize},
    {kChannel4Active, "channel-4-active", kSmallSize},
    {kChannelNotAvailable, "channel-off", kSmallSize},

    {kAudioOn, "audio-on", kSmallSize},
    {kAudioOff, "audio-off", kSmallSize},

    {kWorkingMode, "working-mode", kLargeSize},
    {kWorkingModeDisabled, "working-mode-disabled", kLargeSize},
    {kSelectDevice, "select-device", kLargeSize},
    {kSelectDeviceDisabled, "select-device-disabled", kLargeSize},
    {kDeviceInfo, "device-info", kLargeSize},
    {kDeviceInfoDisabled, "device-info-disabled", kLargeSize},
    {kMysCapture, "mys-capture", kLargeSize},
    {kMysCaptureDisabled, "mys-capture-disabled", kLargeSize},
    {kJpegCapture, "jpeg-capture", kLargeSize},
    {kJpegCaptureDisabled, "jpeg-capture-disabled", kLargeSize},
    {kLoadFile, "load-file", kLargeSize},
    {kLoadFileDisabled, "load-file-disabled", kLargeSize},
    {kAviCapture, "avi-capture", kLargeSize},
    {kAviRecording1, "avi-recording-1", kLargeSize},
    {kAviRecording2, "avi-recording-2", kLargeSize},
    {kAviCaptureDisabled, "avi-capture-disabled", kLargeSize},

    {kOk, "ok", kSmallSize},
    {kCancel, "cancel", kSmallSize},
};

constexpr const char* kProgramIconFile = "program";
constexpr int kProgramIconSizes[] = {16, 24, 32, 48, 64, 128, 256};

const Entry* Find(int id) {
    const auto* entry = std::find_if(std::begin(kEntries), std::end(kEntries),
                                     [id](const Entry& e) { return e.id == id; });
    return entry == std::end(kEntries) ? nullptr : entry;
}

// The drawing scaled to `size`, transparent around it; a null image when the file is missing
// or not a drawing.
QImage Render(const char* file, QSize size) {
    QSvgRenderer renderer(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(file)));
    if (!renderer.isValid())
        return {};
    // Painting goes to the premultiplied format Qt draws fastest into; the copy handed out keeps
    // plain colour values.
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter, QRectF(QPointF(0, 0), QSizeF(size)));
    painter.end();
    return image.convertToFormat(QImage::Format_ARGB32);
}
} // namespace

namespace QXIconSet {
std::span<const int> Ids() {
    static const std::vector<int> ids = [] {
        std::vector<int> all;
        for (const Entry& entry : kEntries)
            all.push_back(entry.id);
        return all;
    }();
    return ids;
}

QSize Size(int id) {
    const Entry* entry = Find(id);
    return entry ? QSize(entry->size, entry->size) : QSize();
}

QImage Image(int id) {
    static QHash<int, QImage> rendered;
    const auto cached = rendered.constFind(id);
    if (cached != rendered.constEnd())
        return *cached;
    const Entry* entry = Find(id);
    if (!entry)
        return {};
    const QImage image = Render(entry->file, QSize(entry->size, entry->size));
    rendered.insert(id, image);
    return image;
}

// Built on every call: pixmaps must not outlive the application object, as a static would.
QIcon ProgramIcon() {
    QIcon icon;
    for (int size : kProgramIconSizes)
        icon.addPixmap(QPixmap::fromImage(Render(kProgramIconFile, QSize(size, size))));
    return icon;
}
} // namespace QXIconSet
