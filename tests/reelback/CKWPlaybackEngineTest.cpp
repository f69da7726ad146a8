#include "CKWPlaybackEngine.h"
#include "KWMediaFixture.h"
#include "KWRecordingAudioOutput.h"

#include <chrono>
#include <cmath>
#include <mutex>
#include <thread>
#include <vector>

namespace {
constexpr double kPeriod = 1.0 / KWTestMedia::kFrameRate;

int ShownFrame(const CKWPlaybackEngine& engine) {
    auto picture = engine.GetPicture();
    return picture ? KWTestMedia::FrameOfShade(*picture->Pixel(5, 5)) : -1;
}

class CKWPlaybackEngineTest : public KWMediaFixture {
protected:
    std::unique_ptr<CKWPlaybackEngine> MakeEngine(bool device = true) {
        auto engine = std::make_unique<CKWPlaybackEngine>(
            std::make_unique<KWRecordingAudioOutput>(m_sound, device));
        engine->SetPictureListener([this, raw = engine.get()] {
            if (auto picture = raw->GetPicture()) {
                std::lock_guard lock(m_mutex);
                m_shown.push_back(KWTestMedia::FrameOfShade(*picture->Pixel(5, 5)));
            }
        });
        return engine;
    }
    std::vector<int> Shown() {
        std::lock_guard lock(m_mutex);
        return m_shown;
    }
    void ClearShown() {
        std::lock_guard lock(m_mutex);
        m_shown.clear();
    }

    KWRecordingAudioOutput::Record m_sound;
    std::mutex m_mutex;
    std::vector<int> m_shown;
};
} // namespace

TEST_F(CKWPlaybackEngineTest, OpenPlaysForwardAndCloseClearsEverything) {
    auto engine = MakeEngine();
    ASSERT_TRUE(engine->Open(Mpeg4Avi()));
    EXPECT_TRUE(engine->IsOpen());
    EXPECT_NEAR(engine->GetDuration(), KWTestMedia::kSeconds, 0.1);
    ASSERT_TRUE(WaitFor([&] { return engine->GetPosition() >= 0.3; }));
    const std::vector<int> shown = Shown();
    ASSERT_GE(shown.size(), 5u);
    for (std::size_t i = 1; i < shown.size(); ++i) {
        EXPECT_EQ(shown[i], shown[i - 1] + 1) << "normal speed shows every frame";
    }
    engine->Close();
    EXPECT_FALSE(engine->IsOpen());
    EXPECT_EQ(engine->GetPicture(), nullptr);
    EXPECT_EQ(engine->GetDuration(), 0);
}

TEST_F(CKWPlaybackEngineTest, PauseHoldsThePositionAndResumeGoesOn) {
    auto engine = MakeEngine();
    ASSERT_TRUE(engine->Open(H264Mp4()));
    ASSERT_TRUE(WaitFor([&] { return engine->GetPosition() >= 0.2; }));
    engine->Pause();
    const double held = engine->GetPosition();
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_EQ(engine->GetPosition(), held);
    engine->Resume();
    ASSERT_TRUE(WaitFor([&] { return engine->GetPosition() >= held + 0.2; }));
}

TEST_F(CKWPlaybackEngineTest, SeekShowsTheFrameAtTheSecondEvenWhilePaused) {
    auto engine = MakeEngine();
    ASSERT_TRUE(engine->Open(Mpeg4Avi()));
    engine->Pause();
    for (int second : {3, 1, 2}) {
        engine->Seek(second);
        const int wanted = second * KWTestMedia::kFrameRate;
        ASSERT_TRUE(WaitFor([&] { return ShownFrame(*engine) == wanted; })) << second;
        EXPECT_NEAR(engine->GetPosition(), second, kPeriod);
    }
    engine->Seek(1000);
    ASSERT_TRUE(WaitFor([&] { return ShownFrame(*engine) == KWTestMedia::kFrames - 1; }));
    EXPECT_NEAR(engine->GetPosition(), KWTestMedia::kSeconds - kPeriod, kPeriod / 2);
}

TEST_F(CKWPlaybackEngineTest, EverySpeedShowsFramesInOrder) {
    auto engine = MakeEngine();
    ASSERT_TRUE(engine->Open(H264Mp4()));
    engine->Pause();
    for (bool backward : {false, true}) {
        for (int step = 1; step <= 6; ++step) {
            SCOPED_TRACE(::testing::Message() << (backward ? "backward " : "forward ") << step);
            engine->Seek(2);
            ASSERT_TRUE(WaitFor([&] { return ShownFrame(*engine) == 50; }));
            ClearShown();
            engine->Play(backward, step);
            engine->Resume();
            ASSERT_TRUE(WaitFor([&] { return Shown().size() >= 3 || engine->IsAtEnd(); }));
            engine->Pause();
            const std::vector<int> shown = Shown();
            ASSERT_GE(shown.size(), 2u);
            for (std::size_t i = 1; i < shown.size(); ++i) {
                EXPECT_EQ(shown[i] < shown[i - 1], backward);
            }
        }
    }
}

TEST_F(CKWPlaybackEngineTest, FastForwardRunsIntoTheEndAndReverseIntoTheStart) {
    auto engine = MakeEngine();
    ASSERT_TRUE(engine->Open(Mpeg4Avi()));
    engine->Play(false, 6);
    ASSERT_TRUE(WaitFor([&] { return engine->IsAtEnd(); }));
    EXPECT_GE(engine->GetPosition(), 3.5);
    engine->Play(true, 6);
    ASSERT_TRUE(WaitFor([&] { return engine->IsAtEnd() && engine->GetPosition() == 0; }));
    EXPECT_EQ(ShownFrame(*engine), 0);
    EXPECT_FALSE(engine->HasFailed());
}

TEST_F(CKWPlaybackEngineTest, PlaysWithoutSoundWhenThereIsNoDevice) {
    auto engine = MakeEngine(false);
    EXPECT_FALSE(engine->IsSoundAvailable());
    ASSERT_TRUE(engine->Open(Mpeg4Avi()));
    ASSERT_TRUE(WaitFor([&] { return engine->GetPosition() >= 0.3; }));
    EXPECT_EQ(m_sound.frames, 0);
}

TEST_F(CKWPlaybackEngineTest, SoundFollowsVolumeAndSwitch) {
    auto engine = MakeEngine();
    EXPECT_TRUE(engine->IsSoundAvailable());
    engine->SetVolume(CKWPlaybackEngine::kMaxVolume);
    ASSERT_TRUE(engine->Open(H264Mp4()));
    ASSERT_TRUE(WaitFor([&] { return m_sound.frames > 4800; }));
    const int full = m_sound.loudest;
    EXPECT_GT(full, 1000);

    // The pause empties the output, so that from the resume on every sample is at the new
    // volume: a burst at the old one would be heard.
    engine->Pause();
    engine->SetVolume(8000);
    engine->Seek(0);
    m_sound.loudest = 0;
    const long long before = m_sound.frames;
    engine->Resume();
    ASSERT_TRUE(WaitFor([&] { return m_sound.frames > before + 4800; }));
    EXPECT_NEAR(m_sound.loudest, full / 10.0, full / 50.0) << "20 dB down";

    engine->SetSound(false);
    const double at = engine->GetPosition();
    ASSERT_TRUE(WaitFor([&] { return engine->GetPosition() > at + 0.1; }));
    const long long muted = m_sound.frames;
    ASSERT_TRUE(WaitFor([&] { return engine->GetPosition() > at + 0.4; }));
    EXPECT_EQ(m_sound.frames, muted);
}

TEST(CKWPlaybackEngineVolume, VolumeIsHundredthsOfADecibel) {
    EXPECT_FLOAT_EQ(CKWPlaybackEngine::GainOfVolume(10000), 1.0f);
    EXPECT_FLOAT_EQ(CKWPlaybackEngine::GainOfVolume(20000), 1.0f);
    EXPECT_NEAR(CKWPlaybackEngine::GainOfVolume(7800), std::pow(10.0, -1.1), 1e-6);
    EXPECT_EQ(CKWPlaybackEngine::GainOfVolume(0), 0.0f);
    EXPECT_EQ(CKWPlaybackEngine::GainOfVolume(-5), 0.0f);
}

TEST_F(CKWPlaybackEngineTest, AFileThatDoesNotOpenLeavesTheEngineClosed) {
    auto engine = MakeEngine();
    ASSERT_TRUE(engine->Open(Mpeg4Avi()));
    EXPECT_FALSE(engine->Open(TempPath("missing.av")));
    EXPECT_FALSE(engine->IsOpen());
    EXPECT_FALSE(engine->GetError().empty());
    EXPECT_EQ(engine->GetPosition(), 0);
}
