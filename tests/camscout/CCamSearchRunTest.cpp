#include "CCamSearchRun.h"

#include "CamTestSupport.h"
#include "KWMessageBoxRecorder.h"
#include "KWRunProgram.h"

#include <gtest/gtest.h>

TEST(CCamSearchRun, ListsTheCamerasThatAnswerAndEndsOnTime) {
    const std::uint16_t replyPort = FreeUdpPort();
    FakeCamera camera(replyPort);
    camera.AnswerQueriesWith({Reply('0', "A", "127.0.0.1:80", "one"),
                              Reply('0', "B", "127.0.0.1:81", "two"),
                              Reply('0', "A", "127.0.0.1:80", "one")});
    CCamSearchRun run(LoopbackEndpoints(camera.CommandPort(), replyPort), 600);
    std::vector<CameraRecord> cameras;
    ASSERT_TRUE(run.Run(cameras));
    ASSERT_EQ(cameras.size(), 2u);
    EXPECT_STREQ(cameras[0].name, "one");
    EXPECT_STREQ(cameras[1].name, "two");
    EXPECT_EQ(camera.Commands(), std::vector<std::string>{"KESTRAQUERY,0"});
}

TEST(CCamSearchRun, SendsTheSecondQueryAfterThreeSeconds) {
    const std::uint16_t replyPort = FreeUdpPort();
    FakeCamera camera(replyPort);
    camera.AnswerQueriesWith({Reply('0', "A", "127.0.0.1:80")});
    CCamSearchRun run(LoopbackEndpoints(camera.CommandPort(), replyPort), 3400);
    std::vector<CameraRecord> cameras;
    ASSERT_TRUE(run.Run(cameras));
    EXPECT_EQ(cameras.size(), 1u);
    EXPECT_EQ(camera.Commands().size(), 2u);
}

TEST(CCamSearchRun, FailsWhenTheReplyPortIsTaken) {
    KWMessageBoxRecorder boxes;
    CKWUdpSocket holder;
    ASSERT_TRUE(holder.Open());
    ASSERT_TRUE(holder.Bind("127.0.0.1", 0));
    CCamSearchRun run(LoopbackEndpoints(FreeUdpPort(), holder.LocalPort()), 60000);
    std::vector<CameraRecord> cameras;
    EXPECT_FALSE(run.Run(cameras)); // ends at once, long before the minute is over
    EXPECT_EQ(boxes.Count(), 1u);
}

TEST(CamscoutProgram, SearchPrintsTheMergedListAsCsvAndJson) {
    const std::uint16_t replyPort = FreeUdpPort();
    FakeCamera camera(replyPort);
    camera.AnswerQueriesWith({Reply('0', "12-34-56- 7-89-AB", "127.0.0.1:8080", "gate, \"east\"")});
    const std::string common =
        KWBuiltProgram("camscout") + " --search --seconds 1 --broadcast 127.0.0.1 --command-port " +
        std::to_string(camera.CommandPort()) + " --reply-port " + std::to_string(replyPort);
    // The comma in the reply splits the name: only "gate" reaches the name field.
    KWProgram csv(common);
    ASSERT_TRUE(csv.WaitForExit(30000));
    EXPECT_EQ(csv.Status(), 0);
    EXPECT_EQ(csv.Output(),
              "name,mac,address,port,netmask,gateway\n"
              "gate,12-34-56-07-89-AB,127.0.0.1:8080,8080,255.255.255.0,192.168.0.1\n");

    KWProgram json(common + " --format json");
    ASSERT_TRUE(json.WaitForExit(30000));
    EXPECT_EQ(json.Status(), 0);
    EXPECT_EQ(json.Output(),
              "[\n  {\"name\": \"gate\", \"mac\": \"12-34-56-07-89-AB\", \"address\": "
              "\"127.0.0.1:8080\", \"port\": 8080, \"netmask\": \"255.255.255.0\", "
              "\"gateway\": \"192.168.0.1\"}\n]\n");
}

TEST(CamscoutProgram, RejectsBadOptionsAndATakenReplyPort) {
    KWProgram bad(KWBuiltProgram("camscout") + " --search --format xml");
    ASSERT_TRUE(bad.WaitForExit(30000));
    EXPECT_EQ(bad.Status(), 2);
    EXPECT_TRUE(bad.Output().empty());

    CKWUdpSocket holder;
    ASSERT_TRUE(holder.Open());
    ASSERT_TRUE(holder.Bind("0.0.0.0", 0));
    // Standard error only, to the output.
    KWProgram taken(KWBuiltProgram("camscout") + " --search --broadcast 127.0.0.1 --command-port " +
                    std::to_string(FreeUdpPort()) + " --reply-port " +
                    std::to_string(holder.LocalPort()) + " 2>&1 >/dev/null");
    ASSERT_TRUE(taken.WaitForExit(30000));
    EXPECT_EQ(taken.Status(), 1);
    EXPECT_NE(taken.Output().find("two instances"), std::string::npos);
}
