#include "CCamFinder.h"

#include "CCamReply.h"
#include "CamMessages.h"
#include "CamTestSupport.h"
#include "KWMessageBoxRecorder.h"

#include <algorithm>
#include <cstdio>
#include <gtest/gtest.h>
#include <map>
#include <memory>

namespace {
// Long enough for a reply loop on loopback to send hundreds of queries.
constexpr std::uint32_t kStormWatchMs = 500;
// A lost reply never arrives, so the wait for a whole burst ends only with this time-out.
constexpr std::uint32_t kBurstWaitMs = 20000;

CameraRecord Camera(const char* mac, const char* address, const char* name = "cam") {
    CameraRecord record;
    CameraRecord::SetText(record.mac, mac);
    CameraRecord::SetText(record.address, address);
    CameraRecord::SetText(record.netMask, "255.255.255.0");
    CameraRecord::SetText(record.gateway, "192.168.0.1");
    CameraRecord::SetText(record.name, name);
    record.port = CCamReply::PortOf(address);
    return record;
}

// A finder talking to a fake camera over loopback.
class CCamFinderTest : public ::testing::Test {
protected:
    CCamFinderTest()
        : replyPort(FreeUdpPort()), camera(replyPort),
          finder(view, LoopbackEndpoints(camera.CommandPort(), replyPort)) {}

    void SetUp() override { ASSERT_TRUE(finder.Start()); }

    // Hands a record to the finder the way the receiver does: heap record, finder frees it.
    void Deliver(std::uint32_t message, const CameraRecord& record) {
        finder.Send(message, reinterpret_cast<KWWParam>(new CameraRecord(record)), 0);
    }

    std::uint16_t replyPort;
    FakeCamera camera;
    RecordingView view;
    CCamFinder finder;
};
} // namespace

TEST_F(CCamFinderTest, CameraAnsweringBothBroadcastsIsListedOnce) {
    camera.AnswerQueriesWith({Reply('0', "00-11-22-33-44-55", "127.0.0.1:80")});
    finder.StartSearch();
    EXPECT_FALSE(view.searchEnabled);
    EXPECT_FALSE(view.settingAllEnabled);
    EXPECT_FALSE(view.updateButtonsEnabled);
    EXPECT_EQ(view.timers.at(CCamFinder::kSearchTimerId), 3000u);
    ASSERT_TRUE(PumpUntil([&] { return view.totals.size() == 2; })); // "Total: 0", first answer

    finder.OnTimer(CCamFinder::kSearchTimerId);
    EXPECT_EQ(view.timers,
              (std::map<std::uint32_t, std::uint32_t>{{CCamFinder::kSearchEndTimerId, 3000u}}));
    EXPECT_TRUE(view.searchEnabled);
    EXPECT_TRUE(view.settingAllEnabled);
    EXPECT_FALSE(view.updateButtonsEnabled);
    ASSERT_TRUE(PumpUntil([&] { return view.totals.size() == 3; }));
    EXPECT_EQ(camera.Commands(), (std::vector<std::string>{"KESTRAQUERY,0", "KESTRAQUERY,0"}));
    EXPECT_EQ(view.totals, (std::vector<std::string>{"Total: 0", "Total: 1", "Total: 1"}));
    ASSERT_EQ(finder.Cameras().size(), 1u);
    EXPECT_EQ(view.shownRows, 1u);
}

// The search shows that it runs until a while after its second query; one that found nothing
// says so in the log, one that found a camera does not.
TEST_F(CCamFinderTest, SearchShowsThatItRunsAndSaysWhenNoCameraAnswered) {
    finder.StartSearch();
    EXPECT_TRUE(view.searching);
    finder.OnTimer(CCamFinder::kSearchTimerId);
    EXPECT_TRUE(view.searching);
    EXPECT_TRUE(finder.IsSearching());
    finder.OnTimer(CCamFinder::kSearchEndTimerId);
    EXPECT_FALSE(view.searching);
    EXPECT_FALSE(finder.IsSearching());
    EXPECT_TRUE(view.timers.empty());
    EXPECT_EQ(view.log, std::vector<std::string>{"No camera answered the search"});
    EXPECT_EQ(view.totals.back(), "Total: 0");

    finder.StartSearch();
    Deliver(CamMessages::WM_CAM_FOUND, Camera("A", "10.0.0.1:80"));
    finder.OnTimer(CCamFinder::kSearchTimerId);
    finder.OnTimer(CCamFinder::kSearchEndTimerId);
    EXPECT_FALSE(view.searching);
    EXPECT_EQ(view.log.size(), 1u);
}

// A command that no camera acknowledges within the wait after the last command is logged in the
// log's style; one that is acknowledged (by the target's MAC, or by the new one of a MAC change,
// in any case) is not.
TEST_F(CCamFinderTest, UnansweredCommandsAreLoggedAfterTheWait) {
    const CameraRecord a = Camera("00-11-22-33-44-AA", "10.0.0.1:80");
    const CameraRecord b = Camera("00-11-22-33-44-BB", "10.0.0.2:80");
    finder.SendUpdatePort(a, 81, "admin", "");
    EXPECT_EQ(view.timers.at(CCamFinder::kAnswerTimerId), 5000u);
    finder.SendSetDefault(b, "admin", "");
    finder.SendUpdateMac(b, "00-11-22-33-44-cc", "admin", "");
    ASSERT_TRUE(camera.WaitForCommands(3));

    CameraRecord ackA = Camera("00-11-22-33-44-aa", "10.0.0.1:81");
    CameraRecord::SetText(ackA.status, "SUCCESS");
    Deliver(CamMessages::WM_CAM_PORT_UPDATED, ackA);
    Deliver(CamMessages::WM_CAM_MAC_UPDATED, Camera("00-11-22-33-44-CC", "10.0.0.2:80"));
    EXPECT_EQ(view.timers.count(CCamFinder::kAnswerTimerId), 1u) << "the default is unanswered";
    finder.OnTimer(CCamFinder::kAnswerTimerId);
    EXPECT_EQ(view.log, (std::vector<std::string>{
                            "IPCAM IP[10.0.0.1:81], MAC[00-11-22-33-44-aa] update port SUCCESS",
                            "IPCAM IP[10.0.0.2:80], MAC[00-11-22-33-44-CC] update MAC ",
                            "IPCAM IP[10.0.0.2:80], MAC[00-11-22-33-44-BB] Set Default "
                            "no answer within 5 s"}));
    EXPECT_TRUE(view.timers.empty());

    // Once every command is acknowledged, the wait ends without a word.
    finder.SendUpdateName(a, "new", "admin", "");
    Deliver(CamMessages::WM_CAM_NAME_UPDATED, a);
    EXPECT_EQ(view.timers.count(CCamFinder::kAnswerTimerId), 0u);
}

// The batch's commands are each waited for, each named by the camera it went to.
TEST_F(CCamFinderTest, UnansweredBatchCommandsAreLoggedForTheirCamera) {
    const std::vector<CameraRecord> was = {Camera("A", "10.0.0.1:80", "cam"),
                                           Camera("B", "10.0.0.2:80", "cam")};
    std::vector<CameraRecord> now = was;
    CameraRecord::SetText(now[0].name, "cam0");
    CameraRecord::SetText(now[1].name, "cam1");
    finder.SendBatch(was, now, "admin", "pw");
    ASSERT_TRUE(camera.WaitForCommands(2));
    Deliver(CamMessages::WM_CAM_NAME_UPDATED, was[1]);
    finder.OnTimer(CCamFinder::kAnswerTimerId);
    ASSERT_FALSE(view.log.empty());
    EXPECT_EQ(view.log.back(), "IPCAM IP[10.0.0.1:80], MAC[A] update name no answer within 5 s");
    EXPECT_EQ(std::count_if(view.log.begin(), view.log.end(),
                            [](const std::string& line) {
                                return line.find("no answer") != std::string::npos;
                            }),
              1);
}

// A thousand cameras answering one query at the same moment are all listed.
TEST_F(CCamFinderTest, ABurstOfAThousandRepliesIsListedWhole) {
    constexpr int kCameras = 1000;
    std::vector<std::string> replies;
    for (int i = 0; i < kCameras; ++i) {
        char mac[18];
        std::snprintf(mac, sizeof mac, "00-11-22-33-%02X-%02X", i / 256, i % 256);
        replies.push_back(Reply('0', mac, "10.0.0.1:" + std::to_string(1000 + i)));
    }
    camera.AnswerQueriesWith(replies);
    finder.StartSearch();
    EXPECT_TRUE(PumpUntil([&] { return finder.Cameras().size() == kCameras; }, kBurstWaitMs))
        << finder.Cameras().size() << " listed";
    EXPECT_EQ(view.totals.back(), "Total: 1000");
}

TEST_F(CCamFinderTest, NewSearchEmptiesTheList) {
    Deliver(CamMessages::WM_CAM_FOUND, Camera("A", "10.0.0.1:80"));
    ASSERT_EQ(finder.Cameras().size(), 1u);
    finder.StartSearch();
    EXPECT_TRUE(finder.Cameras().empty());
    EXPECT_EQ(view.shownRows, 0u);
    EXPECT_EQ(view.totals.back(), "Total: 0");
}

TEST_F(CCamFinderTest, ChangedAddressListsTheCameraAgainButDefaultAndResetDoNot) {
    Deliver(CamMessages::WM_CAM_FOUND, Camera("A", "10.0.0.1:80"));
    Deliver(CamMessages::WM_CAM_FOUND, Camera("A", "10.0.0.2:80"));
    ASSERT_EQ(finder.Cameras().size(), 2u);
    Deliver(CamMessages::WM_CAM_DEFAULT_SET, Camera("A", "10.0.0.3:80"));
    Deliver(CamMessages::WM_CAM_RESET, Camera("Z", "10.0.0.2:80"));
    EXPECT_EQ(finder.Cameras().size(), 2u);
    EXPECT_EQ(view.totals.back(), "Total: 2");

    // Neither MAC nor address known: default and reset add the camera.
    Deliver(CamMessages::WM_CAM_RESET, Camera("B", "10.0.0.9:80"));
    ASSERT_EQ(finder.Cameras().size(), 3u);
    EXPECT_STREQ(finder.Cameras()[2].mac, "B");
    EXPECT_EQ(view.totals.back(), "Total: 3");
    EXPECT_EQ(view.shownRows, 3u);
}

TEST_F(CCamFinderTest, AcknowledgementsAreLoggedAsTheyStand) {
    CameraRecord ack = Camera("A", "10.0.0.1:80", "100%s");
    CameraRecord::SetText(ack.status, "OK%d");
    Deliver(CamMessages::WM_CAM_IP_UPDATED, ack);
    Deliver(CamMessages::WM_CAM_MAC_UPDATED, ack);
    Deliver(CamMessages::WM_CAM_PORT_UPDATED, ack);
    Deliver(CamMessages::WM_CAM_DEFAULT_SET, ack);
    Deliver(CamMessages::WM_CAM_RESET, ack);
    EXPECT_EQ(view.log, (std::vector<std::string>{
                            "IPCAM IP[10.0.0.1:80], MAC[A] update IP OK%d",
                            "IPCAM IP[10.0.0.1:80], MAC[A] update MAC OK%d",
                            "IPCAM IP[10.0.0.1:80], MAC[A] update port OK%d",
                            "IPCAM IP[10.0.0.1:80], MAC[A] Set Default OK%d",
                            "IPCAM IP[10.0.0.1:80], MAC[A] reset SUCCESS",
                        }));
    // Only the default acknowledgement added the (unknown) camera.
    EXPECT_EQ(finder.Cameras().size(), 1u);
}

TEST_F(CCamFinderTest, NameAcknowledgementStartsANewSearch) {
    Deliver(CamMessages::WM_CAM_FOUND, Camera("A", "10.0.0.1:80"));
    finder.SendUpdateName(Camera("A", "10.0.0.1:80"), "yard", "admin", "");
    CameraRecord ack = Camera("A", "10.0.0.1:80");
    CameraRecord::SetText(ack.status, "OK");
    Deliver(CamMessages::WM_CAM_NAME_UPDATED, ack);
    EXPECT_EQ(view.log.back(), "IPCAM IP[10.0.0.1:80], MAC[A] update name OK");
    EXPECT_TRUE(finder.Cameras().empty());
    ASSERT_TRUE(camera.WaitForCommands(2));
    EXPECT_EQ(camera.Commands()[1], "KESTRAQUERY,0");
}

// A camera that answers every query with a name acknowledgement, over the real sockets: a
// reply no command of ours waits for starts no search, the acknowledgement of the user's name
// change starts one, and the answers to that search's query start no further one.
TEST_F(CCamFinderTest, NameAcknowledgementsStartOneSearchPerNameChange) {
    const std::string ack = Reply('3', "00-11-22-33-44-55", "127.0.0.1:80", "yard", "OK");
    camera.AnswerQueriesWith({ack});
    camera.Send(ack);
    ASSERT_TRUE(PumpUntil([&] { return view.log.size() == 1; }));
    EXPECT_TRUE(camera.Commands().empty());

    finder.SendUpdateName(Camera("00-11-22-33-44-55", "127.0.0.1:80"), "yard", "admin", "");
    ASSERT_TRUE(camera.WaitForCommands(1));
    camera.Send(ack);
    // The acknowledgement, then the answer to the search's query.
    ASSERT_TRUE(PumpUntil([&] { return view.log.size() == 3; }));
    PumpUntil([] { return false; }, kStormWatchMs);
    EXPECT_EQ(
        camera.Commands(),
        (std::vector<std::string>{"KESTRAQUERY,3,00-11-22-33-44-55,yard,admin,", "KESTRAQUERY,0"}));
    EXPECT_EQ(view.log.size(), 3u);
}

TEST_F(CCamFinderTest, SingleCameraCommandsNameTheTargetByItsMac) {
    const CameraRecord target = Camera("12-34-56-07-89-AB", "10.0.0.5:80");
    finder.SendUpdateIp(target, "10.0.0.6", "255.0.0.0", "10.0.0.1", "admin", "pass");
    finder.SendUpdateMac(target, "12-34-56-07-89-AC", "admin", "");
    finder.SendUpdateName(target, "yard", "root", "<");
    finder.SendUpdatePort(target, 8080, "admin", "pass");
    finder.SendSetDefault(target, "admin", "pass");
    ASSERT_TRUE(camera.WaitForCommands(5));
    EXPECT_EQ(
        camera.Commands(),
        (std::vector<std::string>{
            "KESTRAQUERY,1,12-34-56-07-89-AB,10.0.0.6,255.0.0.0,10.0.0.1,admin,\x4C\xC6\x6A\x91",
            "KESTRAQUERY,2,12-34-56-07-89-AB,12-34-56-07-89-AC,admin,",
            "KESTRAQUERY,3,12-34-56-07-89-AB,yard,root,",
            "KESTRAQUERY,4,12-34-56-07-89-AB,8080,admin,\x4C\xC6\x6A\x91",
            "KESTRAQUERY,6,12-34-56-07-89-AB,admin,\x4C\xC6\x6A\x91",
        }));
    EXPECT_STREQ(finder.GetCredentials().scrambledPassword, "\x4C\xC6\x6A\x91");
}

TEST_F(CCamFinderTest, PortOnlyBatchChangeSendsKindsOneAndFour) {
    const std::vector<CameraRecord> oldList = {Camera("A", "10.0.0.5:80", "cam0"),
                                               Camera("B", "10.0.0.6:80", "cam1")};
    std::vector<CameraRecord> newList = oldList;
    CameraRecord::SetText(newList[0].address, "10.0.0.5:81");
    newList[0].port = 81;
    finder.SendBatch(oldList, newList, "admin", "pass");
    ASSERT_TRUE(camera.WaitForCommands(2));
    EXPECT_EQ(camera.Commands(),
              (std::vector<std::string>{
                  "KESTRAQUERY,1,A,10.0.0.5:81,255.255.255.0,192.168.0.1,admin,\x4C\xC6\x6A\x91",
                  "KESTRAQUERY,4,A,81,admin,\x4C\xC6\x6A\x91",
              }));
    EXPECT_STREQ(finder.GetCredentials().batchUser, "admin");
    EXPECT_STREQ(finder.GetCredentials().batchPassword, "pass");
}

TEST_F(CCamFinderTest, BatchSendsNameAndMacChangesInOrderAndNothingForMismatchedLists) {
    const std::vector<CameraRecord> oldList = {Camera("A", "10.0.0.5:80", "cam0")};
    std::vector<CameraRecord> newList = oldList;
    CameraRecord::SetText(newList[0].name, "yard0");
    CameraRecord::SetText(newList[0].mac, "A2");
    finder.SendBatch(oldList, {}, "admin", "pass");
    finder.SendBatch(oldList, newList, "admin", "");
    ASSERT_TRUE(camera.WaitForCommands(2));
    EXPECT_EQ(camera.Commands(), (std::vector<std::string>{"KESTRAQUERY,3,A,yard0,admin,",
                                                           "KESTRAQUERY,2,A,A2,admin,"}));
}

TEST_F(CCamFinderTest, CloseQuitsOnlyOnWmCloseAndDropsLaterReplies) {
    finder.Send(CamMessages::WM_CLOSE, 0, 0);
    EXPECT_EQ(view.quitCode, CCamFinder::kCloseExitCode);
    EXPECT_FALSE(finder.IsReceiving());
    Deliver(CamMessages::WM_CAM_FOUND, Camera("A", "10.0.0.1:80")); // freed, not listed
    EXPECT_TRUE(finder.Cameras().empty());
}

TEST(CCamFinder, SecondInstanceShowsTheMessageAndCloses) {
    KWMessageBoxRecorder boxes;
    const std::uint16_t replyPort = FreeUdpPort();
    FakeCamera camera(replyPort);
    RecordingView firstView;
    CCamFinder first(firstView, LoopbackEndpoints(camera.CommandPort(), replyPort));
    ASSERT_TRUE(first.Start());
    ASSERT_TRUE(first.IsReceiving());

    RecordingView secondView;
    CCamFinder second(secondView, LoopbackEndpoints(camera.CommandPort(), replyPort));
    ASSERT_TRUE(second.Start());
    ASSERT_TRUE(PumpUntil([&] { return secondView.quitCode != -1; }));
    EXPECT_EQ(secondView.quitCode, CCamFinder::kCloseExitCode);
    ASSERT_EQ(boxes.Count(), 1u);
    const auto box = boxes.Boxes()[0].request;
    EXPECT_EQ(box.text, "You can't run two instances at one time !!!");
    EXPECT_EQ(box.caption, "Cam Scout");
    EXPECT_EQ(box.flags, KWMessageBoxFlags::kIconStop);
    EXPECT_EQ(firstView.quitCode, -1);
}
