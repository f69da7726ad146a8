// The screen manager draws only the parts of the view a frame changed. These tests hold that
// drawing against a manager that draws the whole view for every frame, and count what the
// drawing allocates.
#include "CQXScreenManager4.h"
#include "ScreenTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <vector>

namespace {
// Allocations made by threads other than the one that counts (the screen manager's worker and
// the timer service while a test runs).
std::atomic<bool> g_counting{false};
std::atomic<int> g_otherThreadAllocations{0};
thread_local bool t_countingThread = false;
} // namespace

void* operator new(std::size_t size) {
    if (g_counting && !t_countingThread)
        ++g_otherThreadAllocations;
    if (void* memory = std::malloc(size ? size : 1))
        return memory;
    throw std::bad_alloc();
}

void operator delete(void* memory) noexcept {
    std::free(memory);
}

void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}

namespace {
constexpr int kWidth = 608;
constexpr int kHeight = 450;
constexpr std::uint8_t kAllRecorded = 0x0F;
const QXTimestamp kFirstSecond{5, 3, 7, 14, 9, 2};
const QXTimestamp kNextSecond{5, 3, 7, 14, 9, 3};

// One view drawn by a screen manager, with the encoders that feed it.
struct View {
    View() { EXPECT_EQ(manager.Create(&window, nullptr, &request), 1); }
    ~View() { manager.Destroy(); }

    void Show(int channel, const QXTimestamp& time, unsigned seed) {
        const TestPicture scene = MakeScene(320, 112, channel, seed);
        CQXVideoFrame& frame = frames[static_cast<std::size_t>(channel)];
        ASSERT_TRUE(EncodeFrame(frame, encoders[static_cast<std::size_t>(channel)], scene.View(),
                                channel, kAllRecorded, time));
        manager.SubmitFrame(&frame);
        ASSERT_TRUE(WaitFor([&] { return !frame.IsComplete(); }));
    }
    void Resize(int width, int height) {
        window.SetClientSize(width, height);
        manager.SetWindow(&window, nullptr);
    }

    KWDisplayWindow window{kWidth, kHeight};
    std::atomic<std::uint8_t> request{0};
    CQXScreenManager4 manager;
    std::array<CQXVideoFrame, 4> frames;
    std::array<CQXVideoEncoder, 4> encoders;
};

// The first pixel where the two views differ, or none.
std::string Difference(KWDisplayWindow& a, KWDisplayWindow& b) {
    auto lockA = a.LockFrameBuffer();
    auto lockB = b.LockFrameBuffer();
    const KWPixelBuffer& bufferA = a.GetFrameBuffer();
    const KWPixelBuffer& bufferB = b.GetFrameBuffer();
    const int width = bufferA.GetWidth();
    if (width != bufferB.GetWidth() || bufferA.GetHeight() != bufferB.GetHeight())
        return "the views differ in size";
    std::vector<std::uint32_t> rowA(static_cast<std::size_t>(width));
    std::vector<std::uint32_t> rowB(static_cast<std::size_t>(width));
    for (int y = 0; y < bufferA.GetHeight(); ++y) {
        bufferA.ReadRow(y, 0, width, rowA.data());
        bufferB.ReadRow(y, 0, width, rowB.data());
        for (int x = 0; x < width; ++x) {
            const std::uint32_t pa = rowA[static_cast<std::size_t>(x)];
            const std::uint32_t pb = rowB[static_cast<std::size_t>(x)];
            if (pa != pb)
                return "(" + std::to_string(x) + ", " + std::to_string(y) +
                       "): " + std::to_string(pa) + " drawn in part, " + std::to_string(pb) +
                       " whole";
        }
    }
    return "";
}

constexpr std::uint8_t RequestHiding(std::initializer_list<int> channels) {
    std::uint8_t request = 0;
    for (int channel : channels)
        request = static_cast<std::uint8_t>(request | 1u << channel);
    return request;
}

class CQXScreenManager4DrawingTest : public ::testing::Test {
protected:
    void SetUp() override { m_whole.manager.SetWholeViewDrawing(true); }

    // Both views take the same frame; after it they must show the same pixels.
    void ShowBoth(int channel, const QXTimestamp& time) {
        ++m_seed;
        m_partial.Show(channel, time, m_seed);
        m_whole.Show(channel, time, m_seed);
        ++m_step;
        const std::string difference = Difference(m_partial.window, m_whole.window);
        EXPECT_EQ(difference, "") << "after frame " << m_step << " (channel " << channel + 1 << ")";
    }
    void RequestBoth(std::uint8_t request) {
        m_partial.request = request;
        m_whole.request = request;
    }

    View m_partial;
    View m_whole;
    unsigned m_seed = 0;
    int m_step = 0;
};
} // namespace

TEST_F(CQXScreenManager4DrawingTest, DrawingTheChangedPartsGivesTheSameViewAsDrawingItWhole) {
    for (int channel = 0; channel < 4; ++channel)
        ShowBoth(channel, kFirstSecond);
    ShowBoth(1, kFirstSecond);
    ShowBoth(2, kNextSecond); // the date in channel 4's caption changes
    ShowBoth(0, kNextSecond);

    RequestBoth(RequestHiding({3})); // channel 4 off: quad with a blank quadrant, "OFF"
    ShowBoth(0, kNextSecond);
    ShowBoth(2, kNextSecond);

    RequestBoth(RequestHiding({2, 3})); // channels 1 and 2 side by side
    ShowBoth(1, kNextSecond);
    ShowBoth(0, kFirstSecond);

    m_partial.Resize(kWidth + 34, kHeight + 30);
    m_whole.Resize(kWidth + 34, kHeight + 30);
    ShowBoth(1, kFirstSecond);
    ShowBoth(0, kFirstSecond);

    RequestBoth(0); // all channels again
    ShowBoth(3, kNextSecond);
    ShowBoth(2, kNextSecond);

    RequestBoth(RequestHiding({0, 1, 3})); // channel 3 alone
    ShowBoth(2, kFirstSecond);
    ShowBoth(1, kNextSecond); // a hidden channel's frame still moves the date
    ShowBoth(2, kNextSecond);
}

// A frame in the quad layout draws its own quadrant; the other three stay as they are.
TEST_F(CQXScreenManager4DrawingTest, AQuadFrameLeavesTheOtherQuadrantsUntouched) {
    for (int channel = 0; channel < 4; ++channel)
        ShowBoth(channel, kFirstSecond);
    const QXScreenLayout layout = QXScreenLayout::Compute(kWidth, kHeight);
    const KWRect& fourth = layout.video[QXScreenLayout::kQuad4];
    const int x = (fourth.left + fourth.right) / 2;
    const int y = (fourth.top + fourth.bottom) / 2;
    constexpr std::uint32_t kMark = 0x123456;
    for (View* view : {&m_partial, &m_whole}) {
        auto lock = view->window.LockFrameBuffer();
        view->window.GetFrameBuffer().WriteRow(y, x, 1, &kMark);
    }
    m_partial.Show(0, kFirstSecond, 99);
    m_whole.Show(0, kFirstSecond, 99);
    EXPECT_EQ(FramePixel(m_partial.window, x, y), kMark);
    EXPECT_NE(FramePixel(m_whole.window, x, y), kMark);
}

// Once the sizes are known, a frame is decoded, converted and drawn without allocating.
TEST(CQXScreenManager4Drawing, FramesOfOneSecondAllocateNothingOnTheDrawingThreads) {
    View view;
    for (int channel = 0; channel < 4; ++channel)
        view.Show(channel, kFirstSecond, 1);
    t_countingThread = true;
    g_otherThreadAllocations = 0;
    g_counting = true;
    constexpr int kFrames = 40;
    for (int frame = 0; frame < kFrames; ++frame)
        view.Show(frame % 4, kFirstSecond, static_cast<unsigned>(frame + 2));
    g_counting = false;
    t_countingThread = false;
    EXPECT_EQ(view.manager.GetFramesTaken(), 4u + kFrames);
    EXPECT_EQ(g_otherThreadAllocations, 0);
}
