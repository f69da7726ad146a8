// A capture of a synthetic disk's stream played back from its MYS file shows the same decoded
// pictures as the disk.
#include "CQXFrameLister.h"
#include "CQXFrameReader.h"
#include "CQXMysFileManager.h"
#include "CQXPacketSource.h"
#include "DvrRecorder.h"
#include "KWTempDir.h"
#include "MysTestSupport.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {
// A disk image read as the device reads it: packets with their 16-bit words exchanged back.
class ImagePacketSource : public CQXPacketSource {
public:
    ImagePacketSource(const std::string& path, std::uint32_t streamLength)
        : m_file(open(path.c_str(), O_RDONLY)), m_streamLength(streamLength) {}
    ~ImagePacketSource() override { close(m_file); }
    int ReadPacket(std::uint32_t index, CQX4KPacket& packet) override {
        const off_t at = static_cast<off_t>(index) * CQX4KPacket::kSize;
        if (pread(m_file, packet.GetData(), CQX4KPacket::kSize, at) != CQX4KPacket::kSize)
            return 0;
        packet.ExchangeBytes();
        return 1;
    }
    std::uint32_t GetStreamLength() const override { return m_streamLength; }

private:
    int m_file;
    std::uint32_t m_streamLength;
};

// The description of a frame without its place in the stream, which the file does not keep.
std::string Picture(CQXFrameLister& lister, long n, const CQXVideoFrame& frame) {
    return lister.Describe(n, frame, 0);
}
} // namespace

TEST(MysRoundTrip, ACapturedStreamPlaysBackAsTheSamePictures) {
    KWTempDir dir;
    DvrRecorder::Options options;
    options.output = dir / "disk.img";
    options.seconds = 2;
    options.keyPeriod = 10;
    // Audio packets without a recording time, which the packet test knows for audio.
    options.audioTime = false;
    options.start.tm_year = 106;
    options.start.tm_mon = 11;
    options.start.tm_mday = 27;
    options.start.tm_hour = 15;
    options.start.tm_min = 30;
    const DvrRecorder::Result disk = DvrRecorder(options).Record();
    ASSERT_TRUE(disk.ok) << disk.error;

    // The device side of a capture: every frame the reader completes goes to the recorder,
    // and so does every audio block, in sample order as the wave output leaves it.
    ImagePacketSource source(dir / "disk.img", static_cast<std::uint32_t>(disk.streamLength));
    CQXFrameReader reader(source);
    CQXFrameLister deviceLister;
    CQXMysFileManager manager;
    ASSERT_EQ(manager.OpenRecorder((dir / "capture").c_str(), 0), 1);
    std::vector<std::string> shown;
    CQXAudioFrame audio;
    std::size_t audioBlocks = 0;
    for (;;) {
        const int result = reader.ReadFrame(0);
        if (result == CQXFrameReader::kVideo) {
            CQXVideoFrame* frame = reader.GetCompletedFrame();
            if (!shown.empty() || frame->IsKeyFrame() == 1)
                shown.push_back(Picture(deviceLister, static_cast<long>(shown.size()), *frame));
            ASSERT_TRUE(WaitFor([&] { return manager.WriteVideo(*frame) == 1; }));
            frame->Reset();
        } else if (result == CQXFrameReader::kAudio) {
            EXPECT_EQ(audio.LoadPacket(reader.GetPacket()), 1);
            QXExchangeBytes(audio.GetData(), audio.GetLength());
            if (!shown.empty()) {
                ASSERT_TRUE(WaitFor([&] { return manager.WriteAudio(audio) == 1; }));
                ++audioBlocks;
            }
        } else if (reader.IsAtEnd()) {
            break;
        } else {
            reader.ResetFill();
        }
    }
    manager.CloseRecorder();
    ASSERT_GT(shown.size(), 40u);
    ASSERT_GT(audioBlocks, 0u);

    const std::vector<std::string> files = MysFilesIn(dir / "capture");
    ASSERT_EQ(files.size(), 1u);
    CQXFrameLister fileLister;
    std::vector<std::string> played;
    PlayerListener listener([&](const CQXVideoFrame& frame) {
        played.push_back(Picture(fileLister, static_cast<long>(played.size()), frame));
    });
    CQXMysPlayer player;
    player.SetPacing(false);
    player.AddListenerObject(&listener);
    ASSERT_EQ(player.Open(dir / ("capture/" + files[0])), 1);
    ASSERT_TRUE(WaitFor([&] { return player.GetPlayMode() == QXPlayMode::kPause; }));
    player.Close();
    EXPECT_EQ(listener.AudioLengths().size(), audioBlocks);
    ASSERT_EQ(played.size(), shown.size());
    for (std::size_t n = 0; n < shown.size(); ++n)
        ASSERT_EQ(played[n], shown[n]) << n;
    EXPECT_NE(played.back().find("\"decoded\":true"), std::string::npos) << played.back();
}
