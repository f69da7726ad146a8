#include "QXScreenLayout.h"
#include "CQXScreenManager4.h"

#include <gtest/gtest.h>

TEST(QXScreenLayout, RectanglesOfAnOddSizedWindow) {
    const QXScreenLayout layout = QXScreenLayout::Compute(607, 451);
    EXPECT_EQ(layout.video[QXScreenLayout::kQuad1], (KWRect{0, 20, 303, 225}));
    EXPECT_EQ(layout.video[QXScreenLayout::kQuad4], (KWRect{303, 225, 607, 431}));
    EXPECT_EQ(layout.bar[QXScreenLayout::kQuad3], (KWRect{0, 431, 303, 451}));
    EXPECT_EQ(layout.video[QXScreenLayout::kSingle], (KWRect{0, 20, 607, 431}));
    EXPECT_EQ(layout.video[QXScreenLayout::kRight], (KWRect{303, 20, 607, 431}));
    EXPECT_EQ(layout.bar[QXScreenLayout::kLeft], (KWRect{0, 0, 303, 20}));
    EXPECT_EQ(layout.bottomBar, (KWRect{0, 431, 607, 451}));
}

TEST(CQXScreenManager4, DisplayMaskIsTheRecordedChannelsLessTheHiddenOnes) {
    EXPECT_EQ(CQXScreenManager4::BuildDisplayMask(0x0F, 0x00), 0x0F);
    EXPECT_EQ(CQXScreenManager4::BuildDisplayMask(0x0F, 0xFF & ~0x01), 0x08); // only channel 1
    EXPECT_EQ(CQXScreenManager4::BuildDisplayMask(0x0F, 0x04), 0x0D);         // channel 3 hidden
    EXPECT_EQ(CQXScreenManager4::BuildDisplayMask(0x1F, 0x80), 0x0F);
    EXPECT_EQ(CQXScreenManager4::BuildDisplayMask(0x12, 0x00), 0x12);
}
