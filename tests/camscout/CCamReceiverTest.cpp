#include "CCamReceiver.h"

#include "CamMessages.h"
#include "CamTestSupport.h"
#include "KWRecordingTarget.h"
#include "KWTick.h"

#include <gtest/gtest.h>
#include <memory>

namespace {
// A receiver on a free loopback port posting to a recording target; frees what it received.
class CCamReceiverTest : public ::testing::Test {
protected:
    void SetUp() override {
        port = FreeUdpPort();
        ASSERT_NE(port, 0);
        ASSERT_TRUE(receiver.Start(&target, "127.0.0.1", port));
        sender.Open();
    }
    void TearDown() override {
        receiver.Stop();
        for (const auto& message : target.Received())
            delete reinterpret_cast<CameraRecord*>(message.wParam);
    }
    void Send(const std::string& datagram) { sender.SendTo(datagram, "127.0.0.1", port); }
    bool WaitForMessages(std::size_t count) {
        return PumpUntil([&] { return target.Count() >= count; });
    }
    const CameraRecord& RecordAt(std::size_t index) {
        return *reinterpret_cast<CameraRecord*>(target.Received().at(index).wParam);
    }

    std::uint16_t port = 0;
    KWRecordingTarget target;
    CCamReceiver receiver;
    CKWUdpSocket sender;
};
} // namespace

TEST_F(CCamReceiverTest, PostsOneRecordPerAcceptedReplyWithItsKind) {
    Send(Reply('0', "00-11-22-33-44-55", "127.0.0.1:80", "front"));
    Send(Reply('7', "00-11-22-33-44-55", "127.0.0.1:80"));
    ASSERT_TRUE(WaitForMessages(2));
    EXPECT_EQ(target.Received()[0].message, CamMessages::WM_CAM_FOUND);
    EXPECT_EQ(target.Received()[1].message, CamMessages::WM_CAM_RESET);
    EXPECT_EQ(target.Received()[0].lParam, 0);
    EXPECT_STREQ(RecordAt(0).name, "front");
    EXPECT_EQ(RecordAt(0).port, 80);
}

TEST_F(CCamReceiverTest, DropsForeignUnknownAndOversizedDatagrams) {
    Send("KESTRAREPLYX,0,M,1.2.3.4:80,m,g,n");
    Send("KESTRAREPLY,10,M,1.2.3.4:80,m,g,n");
    Send("KESTRAREPLY,5,M,1.2.3.4:80,m,g,n");
    const std::string prefix = Reply('0', "AA", "1.2.3.4:80", "big");
    Send(prefix + std::string(251 - prefix.size(), 'x')); // one byte over the buffer
    Send(Reply('0', "BB", "1.2.3.4:80", "last"));         // arrives after all the others
    ASSERT_TRUE(WaitForMessages(1));
    ASSERT_EQ(target.Count(), 1u);
    EXPECT_STREQ(RecordAt(0).name, "last");
}

TEST_F(CCamReceiverTest, AcceptsADatagramThatFillsTheBufferExactly) {
    const std::string prefix = Reply('0', "AA", "1.2.3.4:80", "n");
    const std::string full = prefix + std::string(250 - prefix.size(), 'x');
    ASSERT_EQ(full.size(), 250u);
    Send(full);
    ASSERT_TRUE(WaitForMessages(1));
    EXPECT_STREQ(RecordAt(0).name, "nxxxxxxxxxxxxxxxxxxx"); // cut to 20 characters
}

TEST_F(CCamReceiverTest, StopsPromptlyAndReportsANormalEnd) {
    const std::uint32_t start = KWGetTickCount();
    receiver.Stop();
    EXPECT_LT(KWTicksSince(start, KWGetTickCount()), 3000u);
    EXPECT_FALSE(receiver.IsRunning());
    EXPECT_EQ(receiver.Result(), 1);
}

TEST(CCamReceiver, PortTakenPostsBindFailedAndEnds) {
    CKWUdpSocket holder;
    ASSERT_TRUE(holder.Open());
    ASSERT_TRUE(holder.Bind("127.0.0.1", 0));
    KWRecordingTarget target;
    CCamReceiver receiver;
    ASSERT_TRUE(receiver.Start(&target, "127.0.0.1", holder.LocalPort()));
    ASSERT_TRUE(PumpUntil([&] { return target.Count() == 1; }));
    EXPECT_EQ(target.Received()[0],
              (KWRecordingTarget::Message{CamMessages::WM_CAM_BIND_FAILED, 0, 0}));
    receiver.Stop();
    EXPECT_EQ(receiver.Result(), 0);
}
