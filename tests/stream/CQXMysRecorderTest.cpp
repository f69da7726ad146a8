#include "CQXMysRecorder.h"
#include "CQXMysRecordWalker.h"
#include "KWFileSizeLimit.h"
#include "KWRecordingTarget.h"
#include "KWTempDir.h"
#include "MysTestSupport.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {
// Offers the frame until the recorder has a free buffer for it.
int WriteWhenFree(CQXMysRecorder& recorder, const CQXVideoFrame& frame) {
    int taken = 0;
    WaitFor([&] { return (taken = recorder.WriteVideo(frame)) == 1; });
    return taken;
}

struct WalkedFile {
    std::vector<QXMysRecordHeader> records;
    std::vector<std::uint64_t> offsets;
    CQXMysRecordWalker::Stop stop;
};

WalkedFile Walk(const std::string& path) {
    WalkedFile walked;
    const int file = open(path.c_str(), O_RDONLY);
    const auto length = static_cast<std::uint64_t>(lseek(file, 0, SEEK_END));
    CQXMysRecordWalker walker(file, length);
    QXMysRecordHeader header;
    std::uint64_t offset = 0;
    while (walker.Next(header, offset)) {
        walked.records.push_back(header);
        walked.offsets.push_back(offset);
    }
    walked.stop = walker.GetStop();
    close(file);
    return walked;
}

// Every record names the one before it: sequence numbers count from 0 and the previous
// lengths lead back record by record to the first, which names none.
void ExpectLinked(const WalkedFile& walked) {
    EXPECT_EQ(walked.stop, CQXMysRecordWalker::kAtEnd);
    for (std::size_t n = 0; n < walked.records.size(); ++n) {
        EXPECT_EQ(walked.records[n].sequence, n);
        EXPECT_EQ(walked.records[n].previousLength, n ? walked.records[n - 1].length : 0u) << n;
    }
    ASSERT_FALSE(walked.records.empty());
    EXPECT_TRUE(walked.records[0].IsKeyVideo());
    EXPECT_EQ(walked.records[0].timeDifference, 0u);
}
} // namespace

TEST(CQXMysRecorder, OneKeyFrameGivesAFileOfHeaderRecordHeaderAndData) {
    KWTempDir dir;
    CQXMysRecorder recorder;
    KWRecordingTarget target;
    recorder.AddListenerWindow(&target);
    ASSERT_EQ(recorder.Open(dir / "capture", 0), 1);
    CQXVideoFrame frame;
    MakePlainFrame(frame, 60000, true, RecordTime(45), 0x0F);
    EXPECT_EQ(recorder.WriteVideo(frame), 1);
    recorder.Close();

    EXPECT_EQ(target.Received(),
              (std::vector<KWRecordingTarget::Message>{{0x1400, 1, 0}, {0x1400, 0, 0}}));
    const std::string path = dir / "capture/20061227150045.mys";
    const std::vector<std::uint8_t> bytes = ReadFile(path);
    ASSERT_EQ(bytes.size(), 60056u);
    const QXMysFileHeader header = QXMysFileHeader::FromBytes(bytes.data());
    EXPECT_EQ(header.magic, QXMysFileHeader::kMagic);
    EXPECT_EQ(header.fileSize, 60056u);
    EXPECT_EQ(header.recordCount, 1u);
    EXPECT_EQ(header.firstTimestamp, RecordTime(45));
    EXPECT_EQ(header.lastTimestamp, RecordTime(45));
    EXPECT_EQ(header.channels, 0x0F);
    EXPECT_EQ(header.channelsCopy, 0x0F);

    const QXMysRecordHeader record = QXMysRecordHeader::FromBytes(bytes.data() + 28);
    EXPECT_TRUE(record.IsKeyVideo());
    EXPECT_EQ(record.length, 60000u);
    EXPECT_EQ(record.sequence, 0u);
    EXPECT_EQ(record.previousLength, 0u);
    EXPECT_EQ(record.timeDifference, 0u);
    EXPECT_EQ(record.timestamp, RecordTime(45));
    // Start code, then the frame without its trailing four bytes.
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin() + 56, bytes.begin() + 60),
              (std::vector<std::uint8_t>{0, 0, 1, 0xF8}));
    EXPECT_TRUE(std::equal(bytes.begin() + 60, bytes.end(), frame.GetData()));
}

TEST(CQXMysRecorder, PalSetsBitSevenOfTheChannelByteAndItsCopyFollows) {
    KWTempDir dir;
    CQXMysRecorder recorder;
    ASSERT_EQ(recorder.Open(dir.Path().string(), 1), 1);
    CQXVideoFrame frame;
    MakePlainFrame(frame, 500, true, RecordTime(1), 0x08); // channel 1
    EXPECT_EQ(WriteWhenFree(recorder, frame), 1);
    MakePlainFrame(frame, 500, false, RecordTime(2), 0x01); // channel 4
    EXPECT_EQ(WriteWhenFree(recorder, frame), 1);
    recorder.Close();

    const std::vector<std::uint8_t> bytes = ReadFile(dir / "20061227150001.mys");
    ASSERT_GE(bytes.size(), 28u);
    EXPECT_EQ(bytes[20], 0x80 | 0x01 | 0x08);
    EXPECT_EQ(bytes[21], bytes[20]);
    const WalkedFile walked = Walk(dir / "20061227150001.mys");
    ASSERT_EQ(walked.records.size(), 2u);
    EXPECT_EQ(walked.records[0].channels, 0x01);
    EXPECT_EQ(walked.records[1].channels, 0x08);
}

TEST(CQXMysRecorder, RefusesAnInvalidStandardAndADirectoryThatCannotBeMade) {
    KWTempDir dir;
    CQXMysRecorder recorder;
    EXPECT_EQ(recorder.Open(dir.Path().string(), 2), 0);
    std::ofstream(dir / "file") << "x";
    EXPECT_EQ(recorder.Open(dir / "file/below", 0), 0);
    EXPECT_FALSE(recorder.IsRunning());
    CQXVideoFrame frame;
    MakePlainFrame(frame, 100, true, RecordTime(1));
    EXPECT_EQ(recorder.WriteVideo(frame), 0) << "not recording";
}

TEST(CQXMysRecorder, StartsAtTheFirstKeyFrameAndRefusesAudioBeforeIt) {
    KWTempDir dir;
    CQXMysRecorder recorder;
    ASSERT_EQ(recorder.Open(dir.Path().string(), 0), 1);
    CQXVideoFrame frame;
    CQXAudioFrame audio;
    audio.SetLength(4000);
    for (std::uint32_t i = 0; i < 4000; ++i)
        audio.SetAt(i, static_cast<std::uint8_t>(i));

    MakePlainFrame(frame, 300, false, RecordTime(1));
    EXPECT_EQ(recorder.WriteVideo(frame), 1) << "skipped, not refused";
    EXPECT_EQ(recorder.WriteAudio(audio), 0);
    MakePlainFrame(frame, 300, true, RecordTime(2));
    EXPECT_EQ(WriteWhenFree(recorder, frame), 1);
    int taken = 0;
    EXPECT_TRUE(WaitFor([&] { return (taken = recorder.WriteAudio(audio)) == 1; }));
    MakePlainFrame(frame, 300, false, RecordTime(3));
    frame.SetTimestamp(QXTimestamp{6, 13, 1, 0, 0, 0});
    EXPECT_EQ(recorder.WriteVideo(frame), 0) << "month 13";
    frame.Reset();
    EXPECT_EQ(recorder.WriteVideo(frame), 0) << "not complete";
    recorder.Close();

    EXPECT_EQ(MysFilesIn(dir.Path()), std::vector<std::string>{"20061227150002.mys"});
    const WalkedFile walked = Walk(dir / "20061227150002.mys");
    ExpectLinked(walked);
    ASSERT_EQ(walked.records.size(), 2u);
    EXPECT_TRUE(walked.records[1].IsAudio());
    EXPECT_EQ(walked.records[1].length, 4008u);
    const std::vector<std::uint8_t> bytes = ReadFile(dir / "20061227150002.mys");
    const std::size_t block = walked.offsets[1] + 28 + 8;
    EXPECT_TRUE(std::equal(bytes.begin() + static_cast<std::ptrdiff_t>(block), bytes.end(),
                           audio.GetData()));
    // A file whose last record is audio ends with an empty last time.
    EXPECT_EQ(QXMysFileHeader::FromBytes(bytes.data()).lastTimestamp, QXTimestamp{});
    EXPECT_EQ(QXMysFileHeader::FromBytes(bytes.data()).recordCount, 2u);
}

TEST(CQXMysRecorder, RecordingsStartedInTheSameSecondGetNumberedNames) {
    KWTempDir dir;
    CQXMysRecorder recorder;
    CQXVideoFrame frame;
    for (int run = 0; run < 3; ++run) {
        ASSERT_EQ(recorder.Open(dir.Path().string(), 0), 1);
        MakePlainFrame(frame, 200, true, RecordTime(7));
        EXPECT_EQ(recorder.WriteVideo(frame), 1);
        recorder.Close();
    }
    EXPECT_EQ(MysFilesIn(dir.Path()),
              (std::vector<std::string>{"20061227150007.mys", "20061227150007[01].mys",
                                        "20061227150007[02].mys"}));
}

TEST(CQXMysRecorder, StoppingBeforeAnyRecordLeavesNoFile) {
    KWTempDir dir;
    CQXMysRecorder recorder;
    ASSERT_EQ(recorder.Open(dir.Path().string(), 0), 1);
    recorder.Close();
    ASSERT_EQ(recorder.Open(dir.Path().string(), 0), 1);
    CQXVideoFrame frame;
    MakePlainFrame(frame, 200, false, RecordTime(7));
    EXPECT_EQ(recorder.WriteVideo(frame), 1);
    recorder.Close();
    EXPECT_TRUE(MysFilesIn(dir.Path()).empty());
    EXPECT_EQ(recorder.GetVideoStandard(), CQXMysRecorder::kStandardNone);
}

TEST(CQXMysRecorder, AFilePastTheLimitIsClosedAndTheNextRecordStartsANewOne) {
    KWTempDir dir;
    // Four records of 30000 bytes pass 100000 bytes: the file closes after the fourth.
    CQXMysRecorder recorder(100000);
    ASSERT_EQ(recorder.Open(dir.Path().string(), 0), 1);
    CQXVideoFrame frame;
    for (std::uint32_t n = 0; n < 9; ++n) {
        MakePlainFrame(frame, 30000, n % 2 == 0, RecordTime(10 + n));
        EXPECT_EQ(WriteWhenFree(recorder, frame), 1);
    }
    recorder.Close();

    const std::vector<std::string> names = MysFilesIn(dir.Path());
    ASSERT_GE(names.size(), 2u);
    EXPECT_EQ(names[0], "20061227150010.mys");
    const WalkedFile first = Walk(dir / names[0]);
    ExpectLinked(first);
    ASSERT_EQ(first.records.size(), 4u);
    EXPECT_EQ(QXMysFileHeader::FromBytes(ReadFile(dir / names[0]).data()).fileSize,
              28u + 4 * 30028u);
    // The next file is named after its own first record and linked on its own.
    const WalkedFile second = Walk(dir / names[1]);
    ASSERT_FALSE(second.records.empty());
    EXPECT_EQ(names[1], "2006122715" + std::string("00") +
                            std::to_string(RecordNumber(second.records[0].timestamp)) + ".mys");
    EXPECT_EQ(second.records[0].sequence, 0u);
    EXPECT_EQ(second.records[0].previousLength, 0u);
    for (std::size_t n = 1; n < second.records.size(); ++n)
        EXPECT_EQ(second.records[n].previousLength, second.records[n - 1].length);
}

TEST(CQXMysRecorder, TheFileOnDiskNamesItsVideoStandardFromTheFirstRecordOn) {
    KWTempDir dir;
    CQXMysRecorder recorder;
    ASSERT_EQ(recorder.Open(dir.Path().string(), 1), 1);
    CQXVideoFrame frame;
    MakePlainFrame(frame, 500, true, RecordTime(3));
    EXPECT_EQ(WriteWhenFree(recorder, frame), 1);
    ASSERT_TRUE(WaitFor([&] { return recorder.GetBytesWritten() > 28 + 28; }));
    // Read while still recording, as a capture killed now would leave it.
    const std::vector<std::uint8_t> bytes = ReadFile(dir / "20061227150003.mys");
    ASSERT_GE(bytes.size(), 28u);
    EXPECT_EQ(QXMysFileHeader::FromBytes(bytes.data()).GetStandard(), 1u);
    recorder.Close();
}

TEST(CQXMysRecorder, AFullDiskEndsTheRecordingWithTheErrorAndAFileOfWholeRecords) {
    KWTempDir dir;
    CQXMysRecorder recorder;
    KWRecordingTarget target;
    recorder.AddListenerWindow(&target);
    ASSERT_EQ(recorder.Open(dir.Path().string(), 1), 1);
    {
        // Room for the file header and three and a half records.
        KWFileSizeLimit full(28 + 3 * 1028 + 500);
        ASSERT_TRUE(full.IsApplied());
        CQXVideoFrame frame;
        // Once it has failed the recorder takes no more frames.
        for (std::uint32_t n = 0; n < 6; ++n) {
            MakePlainFrame(frame, 1000, n == 0, RecordTime(20 + n));
            WaitFor([&] { return recorder.WriteVideo(frame) == 1 || recorder.HasFailed(); });
        }
        ASSERT_TRUE(WaitFor([&] { return !recorder.IsRunning(); }));
    }
    EXPECT_TRUE(recorder.HasFailed());
    const std::vector<KWRecordingTarget::Message> received = target.Received();
    EXPECT_NE(std::find(received.begin(), received.end(),
                        KWRecordingTarget::Message{CQXMysRecorder::kMessageError, 0, 0}),
              received.end());
    // Closed like a stopped recording: the header counts the whole records, the file holds
    // nothing more, and the standard is kept.
    const std::string path = dir / "20061227150020.mys";
    const QXMysFileHeader header = QXMysFileHeader::FromBytes(ReadFile(path).data());
    EXPECT_EQ(header.recordCount, 3u);
    EXPECT_EQ(header.fileSize, 28u + 3 * 1028u);
    EXPECT_EQ(std::filesystem::file_size(path), header.fileSize);
    EXPECT_EQ(header.GetStandard(), 1u);
    const WalkedFile walked = Walk(path);
    ExpectLinked(walked);
    EXPECT_EQ(walked.records.size(), 3u);
}
