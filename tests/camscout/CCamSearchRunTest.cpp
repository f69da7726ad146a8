#include "CCamSearchRun.h"

#include "CamTestSupport.h"
#include "KWMessageBoxRecorder.h"

#include <QCoreApplication>
#include <QProcess>
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
    const QStringList common = {"--search",
                                "--seconds",
                                "1",
                                "--broadcast",
                                "127.0.0.1",
                                "--command-port",
                                QString::number(camera.CommandPort()),
                                "--reply-port",
                                QString::number(replyPort)};
    // The comma in the reply splits the name: only "gate" reaches the name field.
    QProcess csv;
    csv.start(QV_BINARY_DIR "/bin/camscout", common);
    ASSERT_TRUE(csv.waitForFinished(30000));
    EXPECT_EQ(csv.exitCode(), 0);
    EXPECT_EQ(csv.readAllStandardOutput().toStdString(),
              "name,mac,address,port,netmask,gateway\n"
              "gate,12-34-56-07-89-AB,127.0.0.1:8080,8080,255.255.255.0,192.168.0.1\n");

    QProcess json;
    json.start(QV_BINARY_DIR "/bin/camscout", common + QStringList{"--format", "json"});
    ASSERT_TRUE(json.waitForFinished(30000));
    EXPECT_EQ(json.exitCode(), 0);
    EXPECT_EQ(json.readAllStandardOutput().toStdString(),
              "[\n  {\"name\": \"gate\", \"mac\": \"12-34-56-07-89-AB\", \"address\": "
              "\"127.0.0.1:8080\", \"port\": 8080, \"netmask\": \"255.255.255.0\", "
              "\"gateway\": \"192.168.0.1\"}\n]\n");
}

TEST(CamscoutProgram, RejectsBadOptionsAndATakenReplyPort) {
    QProcess bad;
    bad.start(QV_BINARY_DIR "/bin/camscout", {"--search", "--format", "xml"});
    ASSERT_TRUE(bad.waitForFinished(30000));
    EXPECT_EQ(bad.exitCode(), 2);
    EXPECT_TRUE(bad.readAllStandardOutput().isEmpty());

    CKWUdpSocket holder;
    ASSERT_TRUE(holder.Open());
    ASSERT_TRUE(holder.Bind("0.0.0.0", 0));
    QProcess taken;
    taken.start(QV_BINARY_DIR "/bin/camscout",
                {"--search", "--broadcast", "127.0.0.1", "--command-port",
                 QString::number(FreeUdpPort()), "--reply-port",
                 QString::number(holder.LocalPort())});
    ASSERT_TRUE(taken.waitForFinished(30000));
    EXPECT_EQ(taken.exitCode(), 1);
    EXPECT_TRUE(taken.readAllStandardError().contains("two instances"));
}
