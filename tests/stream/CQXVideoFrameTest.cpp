#include "CQXVideoFrame.h"
#include "QXVideoStartCode.h"

#include <gtest/gtest.h>

#include <vector>

namespace {
using Bytes = std::vector<std::uint8_t>;

const QXTimestamp kTime{6, 12, 27, 15, 30, 45};

// Feeds all of `bytes` in one call; returns what was left over.
Bytes FeedAll(CQXVideoFrame& frame, const Bytes& bytes, std::uint8_t channelSet = 0x08) {
    const std::uint8_t* pointer = bytes.data();
    auto length = static_cast<std::uint16_t>(bytes.size());
    frame.Feed(pointer, length, kTime, channelSet);
    return Bytes(pointer, pointer + length);
}

void Append(Bytes& to, const Bytes& more) {
    to.insert(to.end(), more.begin(), more.end());
}

// A frame of `slices` slices of `sliceBytes` bytes each, header byte 0x8C, without the start
// code of the next frame.
Bytes MakeFrame(int slices, int sliceBytes = 5) {
    Bytes bytes = {0x00, 0x00, 0x01, 0xF8, 0x8C};
    for (int s = 0; s < slices; ++s) {
        Append(bytes, {0x00, 0x00, 0x01});
        for (int i = 0; i < sliceBytes; ++i)
            bytes.push_back(static_cast<std::uint8_t>(0x40 + i));
    }
    return bytes;
}
} // namespace

TEST(CQXVideoFrame, TwoSliceFrameCompletesAndReturnsTheBytesAfterTheNextStartCode) {
    CQXVideoFrame frame;
    Bytes stream = {0x00, 0x00, 0x01, 0xF8, 0x8C, 0x00, 0x00, 0x01, 0x00, 0x11, 0x00,
                    0x00, 0x01, 0x01, 0x22, 0x00, 0x00, 0x01, 0xF8, 0xAA, 0xBB};
    const Bytes rest = FeedAll(frame, stream, 0x3F);
    EXPECT_EQ(rest, (Bytes{0xAA, 0xBB}));
    ASSERT_TRUE(frame.IsComplete());
    EXPECT_EQ(frame.GetSliceCount(), 2);
    EXPECT_EQ(frame.GetSliceOffset(0), 1u);
    EXPECT_EQ(frame.GetSliceOffset(1), 6u);
    // The start code of the next frame stays at the end of this one.
    EXPECT_EQ(frame.GetLength(), 15u);
    EXPECT_EQ(frame.GetData()[14], 0xF8);
    EXPECT_EQ(frame.GetChannelSet(), 0x1F);
    EXPECT_EQ(frame.GetTimestamp(), kTime);
    EXPECT_EQ(frame.GetChannel(), 4);
    EXPECT_EQ(frame.GetQuantiser(), 1);
    EXPECT_EQ(frame.IsKeyFrame(), 1u);
    const std::uint8_t* address = nullptr;
    ASSERT_EQ(frame.GetSliceAddress(1, address), 1);
    EXPECT_EQ(address, frame.GetData() + 6);
    EXPECT_EQ(frame.GetSliceAddress(2, address), 0);
    EXPECT_EQ(address, nullptr);
}

TEST(CQXVideoFrame, FrameSpreadOverManyFeedsCompletesOnlyAtTheNextStartCode) {
    CQXVideoFrame frame;
    Bytes stream = {0x12, 0x34}; // garbage before the first start code is skipped
    Append(stream, MakeFrame(3));
    Append(stream, {0x00, 0x00, 0x01, 0xF8, 0x99});
    Bytes rest;
    for (std::size_t i = 0; i < stream.size(); i += 6) {
        ASSERT_FALSE(frame.IsComplete()) << i;
        Bytes piece(stream.begin() + i, stream.begin() + std::min(i + 6, stream.size()));
        rest = FeedAll(frame, piece);
    }
    ASSERT_TRUE(frame.IsComplete());
    EXPECT_EQ(frame.GetSliceCount(), 3);
    EXPECT_EQ(rest, Bytes{0x99});
}

TEST(CQXVideoFrame, IncompleteFrameReportsNothing) {
    CQXVideoFrame frame;
    EXPECT_TRUE(FeedAll(frame, MakeFrame(2)).empty());
    EXPECT_FALSE(frame.IsComplete());
    EXPECT_TRUE(frame.IsInFrame());
    EXPECT_EQ(frame.GetChannel(), 7);
    EXPECT_EQ(frame.IsKeyFrame(), 0xFFFFFFFFu);
    EXPECT_EQ(frame.GetSliceCount(), 0);
    EXPECT_EQ(frame.GetTimestamp(), QXTimestamp{});
    const std::uint8_t* address = frame.GetData();
    EXPECT_EQ(frame.GetSliceAddress(0, address), 0);
    EXPECT_EQ(address, nullptr);
}

TEST(CQXVideoFrame, FrameWithoutSlicesCompletesWithNone) {
    CQXVideoFrame frame;
    Bytes stream = {0x00, 0x00, 0x01, 0xF8, 0x8C, 0x55, 0x00, 0x00, 0x01, 0xF8, 0x66};
    // The prefix of the next start code counts as a slice until its F8 arrives.
    EXPECT_EQ(FeedAll(frame, stream), Bytes{0x66});
    ASSERT_TRUE(frame.IsComplete());
    EXPECT_EQ(frame.GetSliceCount(), 0);
    EXPECT_EQ(frame.GetLength(), 6u);
}

TEST(CQXVideoFrame, SeventeenSlicesCompleteButTheNineteenthSliceCodeDropsTheFrame) {
    CQXVideoFrame frame;
    Bytes stream = MakeFrame(17);
    Append(stream, {0x00, 0x00, 0x01, 0xF8});
    FeedAll(frame, stream);
    ASSERT_TRUE(frame.IsComplete());
    EXPECT_EQ(frame.GetSliceCount(), 17);

    // 18 slices plus the prefix of the next start code make 19 codes: dropped at the F8, and
    // collecting restarts with the next start code.
    frame.Reset();
    stream = MakeFrame(18);
    Append(stream, {0x00, 0x00, 0x01, 0xF8, 0x8C});
    EXPECT_TRUE(FeedAll(frame, stream).empty());
    EXPECT_FALSE(frame.IsComplete());
    EXPECT_FALSE(frame.IsInFrame());
    EXPECT_EQ(frame.GetLength(), 0u);

    stream = MakeFrame(20);
    Append(stream, {0x00, 0x00, 0x01, 0xF8});
    FeedAll(frame, stream);
    EXPECT_FALSE(frame.IsComplete());
}

TEST(CQXVideoFrame, OverflowDropsTheFrameAndTheNextStartCodeStartsANewOne) {
    CQXVideoFrame frame;
    Bytes chunk(4000, 0x55);
    Bytes first = MakeFrame(1);
    FeedAll(frame, first);
    std::uint32_t fed = frame.GetLength();
    while (fed + chunk.size() <= CQXVideoFrame::kCapacity) {
        FeedAll(frame, chunk);
        fed += static_cast<std::uint32_t>(chunk.size());
        ASSERT_EQ(frame.GetLength(), fed);
    }
    // This piece would carry the frame past 131072 bytes.
    EXPECT_TRUE(FeedAll(frame, chunk).empty());
    EXPECT_EQ(frame.GetLength(), 0u);
    EXPECT_FALSE(frame.IsInFrame());

    Bytes next = MakeFrame(2);
    Append(next, {0x00, 0x00, 0x01, 0xF8});
    FeedAll(frame, next);
    ASSERT_TRUE(frame.IsComplete());
    EXPECT_EQ(frame.GetSliceCount(), 2);
}

TEST(CQXVideoFrame, FrameOfExactlyTheCapacityIsKept) {
    CQXVideoFrame frame;
    Bytes stream = MakeFrame(1);
    // Fill up to the capacity; the completing start code is its last four bytes.
    stream.resize(CQXVideoFrame::kCapacity, 0x55);
    std::copy(std::begin(QXVideoStartCode::kBytes), std::end(QXVideoStartCode::kBytes),
              stream.end() - 4);
    for (std::size_t i = 0; i < stream.size(); i += 4096) {
        Bytes piece(stream.begin() + i, stream.begin() + std::min(i + 4096, stream.size()));
        FeedAll(frame, piece);
    }
    ASSERT_TRUE(frame.IsComplete());
    EXPECT_EQ(frame.GetLength(), CQXVideoFrame::kCapacity - 4);
}

TEST(CQXVideoFrame, FindSlicesRecordsAtMostEighteen) {
    CQXVideoFrame frame;
    const Bytes stream = MakeFrame(20);
    std::copy(stream.begin() + 4, stream.end(), frame.GetData());
    frame.SetLength(static_cast<std::uint32_t>(stream.size() - 4));
    frame.FindSlices();
    frame.SetComplete(true);
    EXPECT_EQ(frame.GetSliceCount(), 18);
    EXPECT_EQ(frame.GetSliceOffset(17), 1u + 17u * 8u);

    frame.SetLength(3);
    frame.FindSlices();
    EXPECT_EQ(frame.GetSliceCount(), 0);
    frame.SetLength(1u << 30);
    EXPECT_EQ(frame.GetLength(), CQXVideoFrame::kCapacity);
}

TEST(CQXVideoFrame, ChannelsOfARecordAreReversedIntoStreamOrder) {
    CQXVideoFrame frame;
    frame.GetData()[0] = 0x8A;           // channel 2
    frame.SetChannelSetFromRecord(0x03); // channels 1 and 2
    EXPECT_EQ(frame.GetChannelSet(), 0x0C);
    EXPECT_EQ(frame.GetData()[0], 0x8A);
    frame.SetChannelSetFromRecord(0xFF);
    EXPECT_EQ(frame.GetChannelSet(), 0x1F);
    EXPECT_EQ(frame.GetData()[0], 0x8C);
}

TEST(CQXVideoFrame, ResetReleasesTheFrame) {
    CQXVideoFrame frame;
    Bytes stream = MakeFrame(1);
    Append(stream, {0x00, 0x00, 0x01, 0xF8});
    FeedAll(frame, stream);
    ASSERT_TRUE(frame.IsComplete());
    frame.Reset();
    EXPECT_FALSE(frame.IsComplete());
    EXPECT_FALSE(frame.IsInFrame());
    EXPECT_EQ(frame.GetLength(), 0u);
    EXPECT_EQ(frame.GetChannelSet(), 0);
}
