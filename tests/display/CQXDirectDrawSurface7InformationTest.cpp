#include "CQXDirectDrawSurface7Information.h"
#include "CKWDirectDrawSurface7Primary.h"
#include "KWDisplaySurface.h"
#include "KWMessageBoxRecorder.h"
#include "ScreenTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {
const QXTimestamp kNoon{5, 3, 7, 12, 5, 0};

class CQXDirectDrawSurface7InformationTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(m_primary.Create(&m_window, CKWDirectDrawSurface7Primary::kScreenWindowed), 1);
        ASSERT_EQ(m_caption.Create(m_primary, 640, 40, CKWDirectDrawSurface7::kFormatRGB565), 1);
    }

    // How many pixels of the area are near white and how many clearly red.
    struct Ink {
        int white = 0;
        int red = 0;
    };
    Ink InkIn(const KWRect& area) {
        KWLockedSurface locked;
        EXPECT_EQ(m_caption.GetSurface()->Lock(locked, true), KWDisplayResult::kOk);
        KWPixelBuffer copy;
        EXPECT_TRUE(copy.Allocate(locked.layout, locked.width, locked.height));
        std::memcpy(copy.GetBits(), locked.bits, copy.GetByteSize());
        m_caption.GetSurface()->Unlock();
        Ink ink;
        for (int y = area.top; y < area.bottom; ++y)
            for (int x = area.left; x < area.right; ++x) {
                std::uint32_t rgb = 0;
                copy.ReadRow(y, x, 1, &rgb);
                const int r = rgb >> 16, g = (rgb >> 8) & 0xFF, b = rgb & 0xFF;
                ink.white += r > 160 && g > 160 && b > 160;
                ink.red += r > 160 && g < 110 && b < 110;
            }
        return ink;
    }

    KWDisplayWindow m_window{640, 480};
    CKWDirectDrawSurface7Primary m_primary;
    CQXDirectDrawSurface7Information m_caption;
};
} // namespace

TEST(CQXDirectDrawSurface7Information, DateTextUsesATwelveHourClockWithNoonAsZero) {
    EXPECT_EQ(CQXDirectDrawSurface7Information::FormatDateTime(kNoon), "2005/03/07 00:05:00 PM");
    EXPECT_EQ(CQXDirectDrawSurface7Information::FormatDateTime({5, 3, 7, 0, 5, 0}),
              "2005/03/07 00:05:00 AM");
    EXPECT_EQ(CQXDirectDrawSurface7Information::FormatDateTime({99, 12, 31, 23, 59, 58}),
              "2099/12/31 11:59:58 PM");
}

TEST(CQXDirectDrawSurface7Information, ChannelSevenIsRefused) {
    KWMessageBoxRecorder boxes;
    CQXDirectDrawSurface7Information caption;
    caption.SetChannel(2);
    caption.SetChannel(7);
    EXPECT_EQ(caption.GetChannel(), 2);
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_NE(boxes.Boxes()[0].request.text.find("failed to set channel"), std::string::npos);
}

TEST_F(CQXDirectDrawSurface7InformationTest,
       QuadModeShowsLabelOffMarkAndTheDateWhereTheLayoutCutsThem) {
    m_caption.SetChannel(3);
    m_caption.Draw(kNoon, 0x08, CQXDirectDrawSurface7Information::kModeQuad);
    const Ink label = InkIn({0, 0, 60, 20});
    EXPECT_GT(label.white, 20);
    EXPECT_GT(InkIn({50, 0, 120, 20}).red, 10) << "channel 4 is not shown: OFF";
    EXPECT_GT(InkIn({120, 0, 310, 20}).white, 100) << "date in the quadrant's strip";
    EXPECT_EQ(InkIn({311, 0, 640, 20}).white, 0);
    EXPECT_EQ(InkIn({0, 20, 640, 40}).white, 0) << "the quad layout shows no lower strip";
}

TEST_F(CQXDirectDrawSurface7InformationTest, SingleModeHasNoOffMarkAndRedrawsOnlyForANewValidTime) {
    m_caption.SetChannel(0);
    m_caption.Draw(kNoon, 0x00, CQXDirectDrawSurface7Information::kModeSingle);
    EXPECT_GT(InkIn({0, 0, 60, 20}).white, 20);
    EXPECT_EQ(InkIn({0, 0, 640, 40}).red, 0);
    EXPECT_EQ(InkIn({100, 0, 640, 20}).white, 0);

    m_caption.Clear();
    m_caption.Draw(kNoon, 0x00, CQXDirectDrawSurface7Information::kModeSingle);
    EXPECT_EQ(InkIn({0, 0, 640, 40}).white, 0) << "same time: not redrawn";
    m_caption.Draw({5, 13, 7, 12, 5, 1}, 0x00, CQXDirectDrawSurface7Information::kModeSingle);
    EXPECT_EQ(InkIn({0, 0, 640, 40}).white, 0) << "month 13: not valid";
    m_caption.Draw({5, 3, 7, 12, 5, 1}, 0x00, CQXDirectDrawSurface7Information::kModeSingle);
    EXPECT_GT(InkIn({0, 0, 640, 40}).white, 100);
}

TEST_F(CQXDirectDrawSurface7InformationTest, CompositeLabelsAllFourChannelsOnlyWhenOneIsShown) {
    m_caption.SetChannel(4);
    m_caption.Draw(kNoon, 0x10, CQXDirectDrawSurface7Information::kModeSingle);
    EXPECT_EQ(InkIn({0, 0, 640, 20}).white, 0);
    EXPECT_GT(InkIn({400, 20, 620, 40}).white, 100);
    EXPECT_EQ(InkIn({621, 20, 640, 40}).white, 0) << "the date ends 20 pixels from the edge";

    m_caption.Draw({5, 3, 7, 12, 5, 1}, 0x14, CQXDirectDrawSurface7Information::kModeSingle);
    EXPECT_GT(InkIn({330, 0, 380, 20}).white, 20) << "CH 2";
    EXPECT_EQ(InkIn({330, 0, 450, 20}).red, 0) << "channel 2 is shown";
    EXPECT_GT(InkIn({50, 0, 120, 20}).red, 10) << "channel 1 is not";
    EXPECT_GT(InkIn({370, 20, 440, 40}).red, 10) << "nor channel 4";
}
