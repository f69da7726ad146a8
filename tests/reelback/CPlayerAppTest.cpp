#include "CPlayerApp.h"
#include "KWMediaFixture.h"
#include "KWQtTestSupport.h"
#include "KWRecordingAudioOutput.h"

#include <QFile>
#include <QLocalSocket>

#include <gtest/gtest.h>

#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {
class CPlayerAppTest : public KWMediaFixture {
protected:
    // A name of this test's own, so that no player of the user's answers.
    CPlayerAppTest()
        : m_name(QString("reelback-test-%1-%2").arg(getpid()).arg(++s_count)),
          m_audio([this] { return std::make_unique<KWRecordingAudioOutput>(m_sound, false); }) {}

    QString m_name;
    KWRecordingAudioOutput::Record m_sound;
    CKWPlaybackControl::AudioFactory m_audio;
    static int s_count;
};

int CPlayerAppTest::s_count = 0;
} // namespace

TEST(CPlayerAppCommandLine, TextAfterTheProgram) {
    EXPECT_EQ(CPlayerApp::CommandLineText({"reelback"}), "");
    EXPECT_EQ(CPlayerApp::CommandLineText({"reelback", " "}), " ");
    EXPECT_EQ(CPlayerApp::CommandLineText({"reelback", "/rec/a b.av"}), "/rec/a b.av");
    EXPECT_EQ(CPlayerApp::CommandLineText({"reelback", "/rec/a", "b.av"}), "/rec/a b.av");
}

TEST_F(CPlayerAppTest, FirstStartOpensTheCommandLineFile) {
    CPlayerApp first(m_name, m_audio);
    ASSERT_TRUE(first.InitInstance({"reelback", QString::fromStdString(Mpeg4Avi())}));
    ASSERT_NE(first.Dialog(), nullptr);
    EXPECT_TRUE(first.Dialog()->isVisible());
    EXPECT_TRUE(first.Dialog()->Host()->IsOpen());
    EXPECT_EQ(first.Dialog()->RememberedPath(), QString::fromStdString(Mpeg4Avi()));
}

TEST_F(CPlayerAppTest, SecondStartRestoresTheFirstWindowFromTheTrayAndOpensNothing) {
    CPlayerApp first(m_name, m_audio);
    ASSERT_TRUE(first.InitInstance({"reelback"}));
    first.Dialog()->OnTrayActivated(QSystemTrayIcon::DoubleClick);
    ASSERT_FALSE(first.Dialog()->isVisible());

    CPlayerApp second(m_name, m_audio);
    EXPECT_FALSE(second.InitInstance({"reelback", QString::fromStdString(Mpeg4Avi())}));
    EXPECT_EQ(second.Dialog(), nullptr);
    ASSERT_TRUE(KWProcessEventsUntil([&] { return first.Dialog()->isVisible(); }));
    EXPECT_FALSE(first.Dialog()->Host()->IsOpen()) << "the second start's file is not opened";
    EXPECT_EQ(second.Run({"reelback"}), 0);
}

// A player that ended without removing its socket leaves a file that nobody listens on.
TEST_F(CPlayerAppTest, ALeftOverSocketDoesNotBlockTheStart) {
    const QByteArray path = QFile::encodeName(CPlayerApp::InstancePath(m_name));
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    ASSERT_LT(static_cast<std::size_t>(path.size()), sizeof address.sun_path);
    std::memcpy(address.sun_path, path.constData(), path.size());
    const int stale = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_EQ(::bind(stale, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    ::close(stale);
    ASSERT_TRUE(QFile::exists(path));

    CPlayerApp player(m_name, m_audio);
    EXPECT_TRUE(player.InitInstance({"reelback"}));
    ASSERT_NE(player.Dialog(), nullptr);
    QLocalSocket probe;
    probe.connectToServer(path);
    EXPECT_TRUE(probe.waitForConnected(2000));
}
