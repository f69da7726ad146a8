#include "QXIconSet.h"

#include <QColor>
#include <QPainter>
#include <QPixmap>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <set>
#include <string>
#include <vector>

using namespace QXIconSet;

namespace {
const QColor kLightTheme(0xef, 0xef, 0xef);
const QColor kDarkTheme(0x2d, 0x2d, 0x2d);

// The opaque part of an icon: pixels at least half covered.
constexpr int kOpaqueAlpha = 128;

// The transport and channel buttons, which have an active icon.
std::vector<States> ButtonsWithThreeStates() {
    std::vector<States> buttons(std::begin(kTransport), std::end(kTransport));
    buttons.insert(buttons.end(), std::begin(kChannelButtons), std::end(kChannelButtons));
    return buttons;
}

std::vector<int> SmallIds() {
    std::vector<int> ids = {kChannelNotAvailable, kAudioOn, kAudioOff, kOk, kCancel};
    for (const States& states : ButtonsWithThreeStates())
        ids.insert(ids.end(), {states.normal, states.disabled, states.active});
    return ids;
}

// Normal and disabled icon of every 32 x 32 button.
const std::vector<std::pair<int, int>> kLargePairs = {
    {kWorkingMode, kWorkingModeDisabled}, {kSelectDevice, kSelectDeviceDisabled},
    {kDeviceInfo, kDeviceInfoDisabled},   {kMysCapture, kMysCaptureDisabled},
    {kJpegCapture, kJpegCaptureDisabled}, {kLoadFile, kLoadFileDisabled},
    {kAviCapture, kAviCaptureDisabled},
};

std::vector<int> LargeIds() {
    std::vector<int> ids = {kAviRecording1, kAviRecording2};
    for (const auto& [normal, disabled] : kLargePairs)
        ids.insert(ids.end(), {normal, disabled});
    return ids;
}

std::vector<std::pair<int, int>> NormalDisabledPairs() {
    std::vector<std::pair<int, int>> pairs = kLargePairs;
    for (const States& states : ButtonsWithThreeStates())
        pairs.emplace_back(states.normal, states.disabled);
    return pairs;
}

// The icon as the button shows it over a window background.
QImage OnBackground(const QImage& icon, const QColor& background) {
    QImage shown(icon.size(), QImage::Format_RGB32);
    shown.fill(background);
    QPainter(&shown).drawImage(0, 0, icon);
    return shown;
}

double Linear(double channel) {
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

double Luminance(const QColor& colour) {
    return 0.2126 * Linear(colour.redF()) + 0.7152 * Linear(colour.greenF()) +
           0.0722 * Linear(colour.blueF());
}

// Contrast ratio of two colours, 1 (none) to 21 (black on white).
double Contrast(const QColor& a, const QColor& b) {
    const double first = Luminance(a);
    const double second = Luminance(b);
    return (std::max(first, second) + 0.05) / (std::min(first, second) + 0.05);
}

struct Coverage {
    int opaque = 0;
    int distinct = 0; // opaque pixels that can be told from the background at all
    int clear = 0;    // opaque pixels that stand out as a clear edge or fill
};

Coverage CoverageOn(const QImage& icon, const QColor& background) {
    const QImage shown = OnBackground(icon, background);
    Coverage coverage;
    for (int y = 0; y < icon.height(); ++y)
        for (int x = 0; x < icon.width(); ++x) {
            if (icon.pixelColor(x, y).alpha() < kOpaqueAlpha)
                continue;
            const double contrast = Contrast(shown.pixelColor(x, y), background);
            ++coverage.opaque;
            coverage.distinct += contrast >= 1.5;
            coverage.clear += contrast >= 3.0;
        }
    return coverage;
}

// Mean HSV saturation of the opaque pixels, 0 (grey) to 1.
double MeanSaturation(const QImage& icon) {
    double sum = 0;
    int count = 0;
    for (int y = 0; y < icon.height(); ++y)
        for (int x = 0; x < icon.width(); ++x) {
            const QColor pixel = icon.pixelColor(x, y);
            if (pixel.alpha() < kOpaqueAlpha)
                continue;
            sum += pixel.hsvSaturationF();
            ++count;
        }
    return count ? sum / count : 0;
}

// Pixels whose largest channel difference, both shown over `background`, is at least `step`.
int ChangedPixels(const QImage& a, const QImage& b, const QColor& background, int step) {
    const QImage shownA = OnBackground(a, background);
    const QImage shownB = OnBackground(b, background);
    int changed = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QColor p = shownA.pixelColor(x, y);
            const QColor q = shownB.pixelColor(x, y);
            changed += std::max({std::abs(p.red() - q.red()), std::abs(p.green() - q.green()),
                                 std::abs(p.blue() - q.blue())}) >= step;
        }
    return changed;
}

std::string Name(const QColor& colour) {
    return colour.name().toStdString();
}

int Area(const QImage& image) {
    return image.width() * image.height();
}
} // namespace

TEST(QXIconSet, EveryIconLoadsAtItsDocumentedSizeAndIsNotBlank) {
    for (const auto& [ids, side] : {std::pair(SmallIds(), kSmallSize), {LargeIds(), kLargeSize}})
        for (int id : ids) {
            EXPECT_EQ(Size(id), QSize(side, side)) << id;
            const QImage image = Image(id);
            ASSERT_EQ(image.size(), QSize(side, side)) << id;
            EXPECT_EQ(image.format(), QImage::Format_ARGB32) << id;
            // At least a sixth of the square is drawn.
            const int opaque = CoverageOn(image, kLightTheme).opaque;
            EXPECT_GE(opaque, Area(image) / 6) << id;
        }
}

TEST(QXIconSet, EveryNamedIconIsInTheSetOnceAndNoIdentifierIsReservedByTheButton) {
    std::vector<int> named = SmallIds();
    const std::vector<int> large = LargeIds();
    named.insert(named.end(), large.begin(), large.end());
    const std::set<int> unique(named.begin(), named.end());
    EXPECT_EQ(unique.size(), named.size());

    const std::vector<int> listed(Ids().begin(), Ids().end());
    EXPECT_EQ(std::set<int>(listed.begin(), listed.end()), unique);
    EXPECT_EQ(listed.size(), unique.size());
    EXPECT_GT(*unique.begin(), 0);
}

TEST(QXIconSet, UnknownIdentifiersGiveNullImagesAndInvalidSizes) {
    for (int id : {0, -1, -2, -3, 199, 1 << 20}) {
        EXPECT_TRUE(Image(id).isNull()) << id;
        EXPECT_FALSE(Size(id).isValid()) << id;
    }
}

TEST(QXIconSet, EveryIconReadsOnALightAndADarkWindowTheme) {
    for (int id : Ids())
        for (const QColor& theme : {kLightTheme, kDarkTheme}) {
            const Coverage coverage = CoverageOn(Image(id), theme);
            // Most of the drawing can be told from the window (light paper on a light window
            // need not), and enough of it stands out clearly to draw the shape: thin black
            // strokes alone fail on the dark theme, white marks alone on the light one.
            EXPECT_GE(coverage.distinct, coverage.opaque / 2) << id << " on " << Name(theme);
            EXPECT_GE(coverage.clear, coverage.opaque / 6) << id << " on " << Name(theme);
        }
}

TEST(QXIconSet, DisabledIconsAreGreyAndNormalIconsColoured) {
    for (const auto& [normal, disabled] : NormalDisabledPairs()) {
        EXPECT_GE(MeanSaturation(Image(normal)), 0.3) << normal;
        EXPECT_LE(MeanSaturation(Image(disabled)), 0.05) << disabled;
    }
}

TEST(QXIconSet, ActiveIconsAndTheTwoRecordingIconsDifferAtAGlance) {
    for (const States& states : ButtonsWithThreeStates()) {
        const QImage normal = Image(states.normal);
        // Most of the square changes strongly when an active button blinks.
        for (const QColor& theme : {kLightTheme, kDarkTheme})
            EXPECT_GE(ChangedPixels(normal, Image(states.active), theme, 96), Area(normal) / 3)
                << states.active << " on " << Name(theme);
    }
    // The recording lamp is lit in one and dimmed in the other.
    for (const QColor& theme : {kLightTheme, kDarkTheme})
        EXPECT_GE(ChangedPixels(Image(kAviRecording1), Image(kAviRecording2), theme, 96), 40)
            << Name(theme);
}

TEST(QXIconSet, ProgramIconComesInEverySizeAWindowSystemAsksFor) {
    const QIcon icon = ProgramIcon();
    const QList<QSize> available = icon.availableSizes();
    for (int side : {16, 32, 48, 256}) {
        EXPECT_TRUE(available.contains(QSize(side, side))) << side;
        const QImage image = icon.pixmap(side, side).toImage();
        ASSERT_EQ(image.size(), QSize(side, side)) << side;
        EXPECT_GE(CoverageOn(image, kLightTheme).opaque, Area(image) / 2) << side;
    }
}
