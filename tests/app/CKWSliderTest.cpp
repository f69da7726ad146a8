#include "CKWSlider.h"
#include "CKWToolTip.h"
#include "KWRecordingTarget.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <gtest/gtest.h>

namespace {
constexpr std::uint32_t kMessage = 0xB202;

class CKWSliderTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_slider.setRange(0, 100);
        m_slider.setValue(50);
        m_slider.resize(400, 24);
        m_slider.SetNotifyMessage(&m_owner, kMessage);
        m_slider.show();
    }

    // The point at `share` of the channel, halfway across it.
    QPointF At(double share) const {
        const QRect channel = m_slider.ChannelRect();
        return {channel.left() + share * channel.width(), channel.center().y() + 0.0};
    }
    void Mouse(QEvent::Type type, double share) {
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
        const Qt::MouseButtons held =
            type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
        QMouseEvent event(type, At(share), m_slider.mapToGlobal(At(share)), button, held,
                          Qt::NoModifier);
        QApplication::sendEvent(&m_slider, &event);
    }
    std::vector<KWWParam> Positions() const {
        std::vector<KWWParam> positions;
        for (const auto& message : m_owner.Received()) {
            EXPECT_EQ(message.message, kMessage);
            EXPECT_EQ(message.lParam, reinterpret_cast<KWLParam>(&m_slider));
            positions.push_back(message.wParam);
        }
        return positions;
    }

    KWRecordingTarget m_owner;
    CKWSlider m_slider;
};
} // namespace

TEST(CKWSlider, PositionIsTheNearestToTheShareOfTheRange) {
    EXPECT_EQ(CKWSlider::PositionFromRatio(0, 100, 0.374), 37);
    EXPECT_EQ(CKWSlider::PositionFromRatio(0, 100, 0.376), 38);
    EXPECT_EQ(CKWSlider::PositionFromRatio(0, 100, 0.0), 0);
    EXPECT_EQ(CKWSlider::PositionFromRatio(0, 100, 1.0), 100);
    EXPECT_EQ(CKWSlider::PositionFromRatio(10, 20, 0.5), 15);
    EXPECT_EQ(CKWSlider::PositionFromRatio(0, 1000000, 0.5), 500000);
}

TEST_F(CKWSliderTest, AClickJumpsToThePointerAndPostsThePositionOnceMoreOnRelease) {
    Mouse(QEvent::MouseButtonPress, 0.374);
    EXPECT_EQ(m_slider.value(), 37);
    EXPECT_TRUE(m_slider.IsDragging());
    Mouse(QEvent::MouseButtonRelease, 0.374);
    EXPECT_FALSE(m_slider.IsDragging());
    EXPECT_EQ(Positions(), (std::vector<KWWParam>{37, 37}));

    Mouse(QEvent::MouseButtonPress, 0.376);
    Mouse(QEvent::MouseButtonRelease, 0.376);
    EXPECT_EQ(m_slider.value(), 38);
    EXPECT_EQ(m_slider.focusWidget(), &m_slider); // the focus within its window
}

TEST_F(CKWSliderTest, ReleasedWherePressedOnTheThumbPostsNothing) {
    Mouse(QEvent::MouseButtonPress, 0.5);
    Mouse(QEvent::MouseMove, 0.5);
    Mouse(QEvent::MouseButtonRelease, 0.5);
    EXPECT_EQ(m_slider.value(), 50);
    EXPECT_TRUE(Positions().empty());
}

TEST_F(CKWSliderTest, ADragPostsEveryChangeAndOneMoreOnRelease) {
    Mouse(QEvent::MouseButtonPress, 0.5);
    Mouse(QEvent::MouseMove, 0.6);
    Mouse(QEvent::MouseMove, 0.6); // no change: nothing
    Mouse(QEvent::MouseMove, 0.7);
    Mouse(QEvent::MouseButtonRelease, 0.7);
    EXPECT_EQ(Positions(), (std::vector<KWWParam>{60, 70, 70}));

    // Released away from the last move: the release's own change and the final one.
    Mouse(QEvent::MouseButtonPress, 0.7);
    Mouse(QEvent::MouseButtonRelease, 0.2);
    EXPECT_EQ(Positions(), (std::vector<KWWParam>{60, 70, 70, 20, 20}));
}

TEST_F(CKWSliderTest, TheProgramCannotMoveTheThumbWhileTheUserDragsIt) {
    Mouse(QEvent::MouseButtonPress, 0.3);
    m_slider.SetPosition(90);
    EXPECT_EQ(m_slider.value(), 30);
    Mouse(QEvent::MouseMove, 0.4);
    EXPECT_EQ(m_slider.value(), 40);
    Mouse(QEvent::MouseButtonRelease, 0.4);
    m_slider.SetPosition(90);
    EXPECT_EQ(m_slider.value(), 90);
    // Moving without a press is no drag.
    Mouse(QEvent::MouseMove, 0.1);
    EXPECT_EQ(m_slider.value(), 90);
}

TEST_F(CKWSliderTest, KeysAndTheWheelPostThePositionTheyChose) {
    m_slider.setFocus();
    QKeyEvent right(QEvent::KeyPress, Qt::Key_Right, Qt::NoModifier);
    QApplication::sendEvent(&m_slider, &right);
    EXPECT_EQ(m_slider.value(), 51);
    const QPointF centre = m_slider.rect().center();
    QWheelEvent wheel(centre, m_slider.mapToGlobal(centre), QPoint(), QPoint(0, -120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&m_slider, &wheel);
    EXPECT_NE(m_slider.value(), 51);
    EXPECT_EQ(Positions(), (std::vector<KWWParam>{51, static_cast<KWWParam>(m_slider.value())}));
}

TEST_F(CKWSliderTest, WithoutANotificationMessageNothingIsPosted) {
    m_slider.SetNotifyMessage(&m_owner, 0);
    Mouse(QEvent::MouseButtonPress, 0.9);
    Mouse(QEvent::MouseButtonRelease, 0.9);
    EXPECT_EQ(m_slider.value(), 90);
    EXPECT_EQ(m_owner.Count(), 0u);
}

TEST_F(CKWSliderTest, TheTooltipIsMadeOnFirstUseAndAnEmptyTextChangesNothing) {
    EXPECT_EQ(m_slider.ToolTip(), nullptr);
    m_slider.SetTooltip("");
    EXPECT_EQ(m_slider.ToolTip(), nullptr);
    m_slider.SetTooltip("Volume: 50 %");
    ASSERT_NE(m_slider.ToolTip(), nullptr);
    EXPECT_EQ(m_slider.ToolTip()->Text(), "Volume: 50 %");
    EXPECT_TRUE(m_slider.ToolTip()->IsActive());
    m_slider.SetTooltip("", false);
    EXPECT_EQ(m_slider.ToolTip()->Text(), "Volume: 50 %");
    EXPECT_TRUE(m_slider.ToolTip()->IsActive());
    m_slider.SetTooltip("Position 0", false);
    EXPECT_FALSE(m_slider.ToolTip()->IsActive());
}

namespace {
// Counts the paints a widget receives.
class PaintCounter : public QObject {
public:
    int paints = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};
} // namespace

// A stream's position moves through many values per pixel of the thumb's travel: only a value
// that moves the thumb repaints the slider.
TEST_F(CKWSliderTest, APositionThatLeavesTheThumbInPlaceDoesNotRepaint) {
    m_slider.setRange(0, 100000);
    m_slider.SetPosition(50000);
    PaintCounter counter;
    m_slider.installEventFilter(&counter);
    for (int i = 0; i < 3 && counter.paints == 0; ++i) {
        m_slider.update();
        QApplication::processEvents();
    }
    ASSERT_GT(counter.paints, 0);
    // The paints the showing asked for have come when a round of events brings none.
    for (int before = -1; before != counter.paints;) {
        before = counter.paints;
        QApplication::processEvents();
    }
    const int painted = counter.paints;
    m_slider.SetPosition(50001);
    QApplication::processEvents();
    EXPECT_EQ(counter.paints, painted);
    EXPECT_EQ(m_slider.value(), 50001);
    m_slider.SetPosition(90000);
    QApplication::processEvents();
    EXPECT_EQ(counter.paints, painted + 1);
}
