#include "CQXAudioFrame.h"
#include "CQX4KPacket.h"

#include <gtest/gtest.h>

namespace {
void MakeAudioPacket(CQX4KPacket& packet) {
    std::uint8_t* bytes = packet.GetData();
    for (std::uint32_t i = 0; i < CQX4KPacket::kSize; ++i)
        bytes[i] = static_cast<std::uint8_t>(i * 7 + 3);
    bytes[0] = 0x80;
    bytes[6] = CQX4KPacket::kAudioMarker;
    bytes[7] = 0xF0;
}
} // namespace

TEST(CQXAudioFrame, LoadsTheAudioBytesOfAnAudioPacket) {
    CQX4KPacket packet;
    MakeAudioPacket(packet);
    CQXAudioFrame frame;
    EXPECT_EQ(frame.GetClassName(), "CQXAudioFrame");
    ASSERT_EQ(frame.LoadPacket(packet), 1);
    EXPECT_EQ(frame.GetLength(), 4000);
    EXPECT_EQ(frame.GetFlag(), 1);
    for (std::uint32_t i = 0; i < 4000; ++i)
        ASSERT_EQ(frame.GetAt(i), packet.GetAt(8 + i)) << i;
}

TEST(CQXAudioFrame, LeavesItselfAloneForOtherPackets) {
    CQX4KPacket packet;
    MakeAudioPacket(packet);
    packet.SetAt(6, 0x00); // no audio marker: a data or invalid packet
    CQXAudioFrame frame;
    frame.SetAt(0, 0x42);
    frame.SetLength(10);
    EXPECT_EQ(frame.LoadPacket(packet), 0);
    EXPECT_EQ(frame.GetLength(), 10);
    EXPECT_EQ(frame.GetAt(0), 0x42);
}

TEST(CQXAudioFrame, ResetClearsLengthAndFlag) {
    CQX4KPacket packet;
    MakeAudioPacket(packet);
    CQXAudioFrame frame;
    ASSERT_EQ(frame.LoadPacket(packet), 1);
    frame.Reset();
    EXPECT_EQ(frame.GetLength(), 0);
    EXPECT_EQ(frame.GetFlag(), 0);
}

TEST(CQXAudioFrame, LengthNeverExceedsTheCapacity) {
    CQXAudioFrame frame;
    frame.SetLength(4001);
    EXPECT_EQ(frame.GetLength(), 4000);
    CQXAudioFrame longFrame(20000);
    longFrame.SetLength(20000);
    EXPECT_EQ(longFrame.GetLength(), 20000);
    CQXAudioFrame huge(70000);
    huge.SetLength(70000);
    EXPECT_EQ(huge.GetLength(), 0xFFFF);
}
