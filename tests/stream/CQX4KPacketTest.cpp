#include "CQX4KPacket.h"
#include "CKWBuffer.h"
#include "QXChannelSet.h"
#include "QXTimestamp.h"

#include <algorithm>
#include <array>
#include <gtest/gtest.h>

namespace {
using Header = std::array<std::uint8_t, 8>;

constexpr Header kExampleHeader = {0x06, 0x0C, 0x1B, 0x0F, 0x1E, 0x2D, 0x00, 0x08};

void SetHeader(CQX4KPacket& packet, const Header& header) {
    std::copy(header.begin(), header.end(), packet.GetData());
}

TEST(CQX4KPacket, ExampleHeaderIsAValidDataPacket) {
    CQX4KPacket packet;
    SetHeader(packet, kExampleHeader);
    EXPECT_EQ(packet.GetType(), CQX4KPacket::kTypeData);
    EXPECT_TRUE(packet.IsValid());
    EXPECT_TRUE(packet.IsRecorded());
    const QXTimestamp time = packet.GetTimestamp();
    EXPECT_EQ(time, (QXTimestamp{6, 12, 27, 15, 30, 45}));
    EXPECT_EQ(time.Format(), "2006/12/27 15:30");
    EXPECT_EQ(packet.GetIntervalCode(), 0);
    EXPECT_EQ(QXChannelSet::Count(packet.GetChannelSet()), 1);
    EXPECT_TRUE(QXChannelSet::Has(packet.GetChannelSet(), 0));
    EXPECT_FALSE(QXChannelSet::Has(packet.GetChannelSet(), 1));
}

TEST(CQX4KPacket, MonthZeroIsNeitherDataNorValidAndEmptyChannelSetIsDataButNotValid) {
    CQX4KPacket packet;
    Header header = kExampleHeader;
    header[1] = 0;
    SetHeader(packet, header);
    EXPECT_EQ(packet.GetType(), CQX4KPacket::kTypeNone);
    EXPECT_FALSE(packet.IsValid());
    EXPECT_FALSE(packet.IsRecorded());

    header = kExampleHeader;
    header[7] = 0;
    SetHeader(packet, header);
    EXPECT_EQ(packet.GetType(), CQX4KPacket::kTypeData);
    EXPECT_FALSE(packet.IsValid());
    EXPECT_FALSE(packet.IsRecorded());
}

TEST(CQX4KPacket, AudioPacketWithoutValidTimeIsAudioAndCountsAsRecorded) {
    CQX4KPacket packet;
    SetHeader(packet, {0x80, 0, 0, 0, 0, 0, 0xF1, 0xF0});
    EXPECT_EQ(packet.GetType(), CQX4KPacket::kTypeAudio);
    EXPECT_FALSE(packet.IsValid());
    EXPECT_TRUE(packet.IsRecorded());

    // Each of the three marks is needed.
    SetHeader(packet, {0x00, 0, 0, 0, 0, 0, 0xF1, 0xF0});
    EXPECT_EQ(packet.GetType(), CQX4KPacket::kTypeNone);
    SetHeader(packet, {0x80, 0, 0, 0, 0, 0, 0xF0, 0xF0});
    EXPECT_EQ(packet.GetType(), CQX4KPacket::kTypeNone);
    SetHeader(packet, {0x80, 0, 0, 0, 0, 0, 0xF1, 0xE0});
    EXPECT_EQ(packet.GetType(), CQX4KPacket::kTypeNone);
    EXPECT_FALSE(packet.IsRecorded());
}

TEST(CQX4KPacket, AudioIsTestedBeforeData) {
    CQX4KPacket packet;
    SetHeader(packet, {0x86, 0x0C, 0x1B, 0x0F, 0x1E, 0x2D, 0xF1, 0xF0});
    EXPECT_EQ(packet.GetType(), CQX4KPacket::kTypeAudio);
    // Its time is valid and the composite bit of 0xF0 gives a channel count of 1.
    EXPECT_TRUE(packet.IsValid());
}

TEST(CQX4KPacket, TimestampBoundaries) {
    EXPECT_TRUE((QXTimestamp{255, 1, 1, 0, 0, 0}.IsValid()));
    EXPECT_TRUE((QXTimestamp{0, 12, 31, 23, 59, 59}.IsValid()));
    EXPECT_FALSE((QXTimestamp{0, 13, 1, 0, 0, 0}.IsValid()));
    EXPECT_FALSE((QXTimestamp{0, 1, 0, 0, 0, 0}.IsValid()));
    EXPECT_FALSE((QXTimestamp{0, 1, 32, 0, 0, 0}.IsValid()));
    EXPECT_FALSE((QXTimestamp{0, 1, 1, 24, 0, 0}.IsValid()));
    EXPECT_FALSE((QXTimestamp{0, 1, 1, 0, 60, 0}.IsValid()));
    EXPECT_FALSE((QXTimestamp{0, 1, 1, 0, 0, 60}.IsValid()));
}

TEST(CQX4KPacket, ExchangeBytesSwapsEveryWordOfThePacket) {
    CQX4KPacket packet;
    for (std::uint32_t i = 0; i < CQX4KPacket::kSize; ++i)
        packet.SetAt(i, static_cast<std::uint8_t>(i * 7));
    packet.ExchangeBytes();
    for (std::uint32_t i = 0; i < CQX4KPacket::kSize; ++i)
        ASSERT_EQ(packet.GetAt(i), static_cast<std::uint8_t>((i ^ 1) * 7)) << i;
}

TEST(CQX4KPacket, ExchangeBytesOfAnyLengthSwapsWholeWordsOnlyAndStaysInside) {
    // Lengths around the eight-byte steps, an odd one leaving its last byte, inside a guard.
    for (std::uint32_t length = 0; length <= 19; ++length) {
        std::array<std::uint8_t, 24> bytes{};
        for (std::uint32_t i = 0; i < bytes.size(); ++i)
            bytes[i] = static_cast<std::uint8_t>(i + 1);
        QXExchangeBytes(bytes.data() + 1, length);
        for (std::uint32_t i = 0; i < bytes.size(); ++i) {
            const bool inWord = i >= 1 && i < 1 + length / 2 * 2;
            const std::uint32_t from = inWord ? 1 + ((i - 1) ^ 1) : i;
            ASSERT_EQ(bytes[i], from + 1) << "length " << length << ", byte " << i;
        }
    }
}

TEST(CQX4KPacket, VideoStartCodeMustLieWhollyInsideThePayload) {
    const std::uint8_t code[] = {0x00, 0x00, 0x01, 0xF8};
    auto withCodeAt = [&](std::uint32_t offset) {
        CQX4KPacket packet;
        std::fill(packet.GetData(), packet.GetData() + CQX4KPacket::kSize, 0xFF);
        for (std::uint32_t i = 0; i < 4; ++i)
            packet.SetAt(offset + i, code[i]);
        return packet.HasVideoStart();
    };
    EXPECT_TRUE(withCodeAt(8));
    EXPECT_TRUE(withCodeAt(4092));
    EXPECT_FALSE(withCodeAt(4093)); // its last byte would lie outside the packet
    EXPECT_FALSE(withCodeAt(4));    // in the header, not the payload
    CQX4KPacket zeros;
    EXPECT_FALSE(zeros.HasVideoStart());
}

TEST(CQX4KPacket, ResetClearsOnlyTheHeader) {
    CQX4KPacket packet;
    std::fill(packet.GetData(), packet.GetData() + CQX4KPacket::kSize, 0x5A);
    packet.Reset();
    for (std::uint32_t i = 0; i < CQX4KPacket::kHeaderSize; ++i)
        EXPECT_EQ(packet.GetAt(i), 0);
    EXPECT_EQ(packet.GetAt(CQX4KPacket::kHeaderSize), 0x5A);
    EXPECT_EQ(packet.GetPayload(), packet.GetData() + 8);
    EXPECT_EQ(packet.GetPayloadSize(), 4088u);
}

TEST(QXTimestamp, EqualIgnoresSecondsLaterAndEarlierIgnoreYearAndSeconds) {
    const QXTimestamp base{6, 12, 27, 15, 30, 45};
    EXPECT_TRUE(base.IsEqual(QXTimestamp{6, 12, 27, 15, 30, 0}));
    EXPECT_FALSE(base.IsEqual(QXTimestamp{7, 12, 27, 15, 30, 45}));
    EXPECT_FALSE(base.IsEqual(QXTimestamp{6, 12, 27, 15, 31, 45}));

    // A later year with an earlier month is earlier: the year does not take part.
    const QXTimestamp nextYearJanuary{7, 1, 1, 0, 0, 0};
    EXPECT_TRUE(nextYearJanuary.IsEarlier(base));
    EXPECT_FALSE(nextYearJanuary.IsLater(base));
    // Seconds alone make neither later nor earlier.
    const QXTimestamp sameMinute{6, 12, 27, 15, 30, 59};
    EXPECT_FALSE(sameMinute.IsLater(base));
    EXPECT_FALSE(sameMinute.IsEarlier(base));
    // Month outranks day, day outranks hour, hour outranks minute.
    EXPECT_TRUE((QXTimestamp{0, 11, 31, 23, 59, 0}.IsEarlier(QXTimestamp{0, 12, 1, 0, 0, 0})));
    EXPECT_TRUE((QXTimestamp{0, 12, 2, 0, 0, 0}.IsLater(QXTimestamp{0, 12, 1, 23, 59, 0})));
    EXPECT_TRUE((QXTimestamp{0, 12, 1, 1, 0, 0}.IsLater(QXTimestamp{0, 12, 1, 0, 59, 0})));

    QXTimestamp copy = base;
    copy.Clear();
    EXPECT_EQ(copy, QXTimestamp{});
    std::uint8_t bytes[6];
    base.ToBytes(bytes);
    EXPECT_EQ(QXTimestamp::FromBytes(bytes), base);
}

TEST(QXTimestamp, FormatPrintsTheThreeDigitYearAfterTheDigit2) {
    EXPECT_EQ((QXTimestamp{123, 1, 2, 3, 4, 5}.Format()), "2123/01/02 03:04");
    EXPECT_EQ((QXTimestamp{255, 12, 31, 23, 59, 59}.Format()), "2255/12/31 23:59");
}

TEST(QXChannelSet, CountHasAndEqualUseTheFiveLowBitsOnly) {
    EXPECT_EQ(QXChannelSet::Count(0x0F), 4);
    EXPECT_EQ(QXChannelSet::Count(0x05), 2);
    EXPECT_EQ(QXChannelSet::Count(0x1F), 1); // the composite picture is one frame per cycle
    EXPECT_EQ(QXChannelSet::Count(0xE0), 0);
    EXPECT_TRUE(QXChannelSet::Has(0x08, 0));
    EXPECT_TRUE(QXChannelSet::Has(0x04, 1));
    EXPECT_TRUE(QXChannelSet::Has(0x02, 2));
    EXPECT_TRUE(QXChannelSet::Has(0x01, 3));
    EXPECT_TRUE(QXChannelSet::Has(0x10, 4));
    EXPECT_FALSE(QXChannelSet::Has(0x0F, 4));
    EXPECT_FALSE(QXChannelSet::Has(0xFF, 5));
    EXPECT_TRUE(QXChannelSet::Equal(0x2A, 0x0A));
    EXPECT_FALSE(QXChannelSet::Equal(0x1A, 0x0A));
    EXPECT_EQ(QXChannelSet::Bits(0xFF), 0x1F);
}

TEST(CKWBuffer, AccessBeyondTheSizeReadsZeroAndWritesNothing) {
    CKWBuffer_BYTE bytes;
    EXPECT_EQ(bytes.GetSize(), 0u);
    EXPECT_EQ(bytes.GetAt(0), 0);
    bytes.SetAt(0, 1); // ignored, nothing allocated
    ASSERT_EQ(bytes.Allocate(4), 1);
    bytes.SetAt(3, 9);
    bytes.SetAt(4, 9);
    EXPECT_EQ(bytes.GetAt(3), 9);
    EXPECT_EQ(bytes.GetAt(4), 0);
    EXPECT_EQ(bytes.GetAt(0xFFFFFFFF), 0);

    CKWBuffer_SHORT samples;
    ASSERT_EQ(samples.Allocate(2), 1);
    samples.SetAt(1, -300);
    samples.SetAt(2, 5);
    EXPECT_EQ(samples.GetAt(1), -300);
    EXPECT_EQ(samples.GetAt(2), 0);
    EXPECT_EQ(samples.GetAt(0), 0); // zero-filled
}
} // namespace
