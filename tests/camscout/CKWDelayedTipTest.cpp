#include "CKWDelayedTip.h"
#include "KWProcessEventsUntil.h"

#include <QApplication>
#include <QCheckBox>
#include <QCursor>
#include <QEvent>
#include <QTest>
#include <QToolTip>
#include <QWidget>
#include <gtest/gtest.h>

namespace {
void Send(QWidget& widget, QEvent::Type type) {
    QEvent event(type);
    QApplication::sendEvent(&widget, &event);
}

// The tip's own window appearing under the pointer takes it from the widget and gives it back;
// that must not hide the tip and arm the delay again, or a resting pointer keeps the program busy
// showing and hiding it. Only the pointer really leaving ends the visit.
TEST(CKWDelayedTip, ARestingPointerShowsTheTipOnceWhateverEntersAndLeaves) {
    QWidget window;
    window.setGeometry(40, 40, 240, 80);
    auto* box = new QCheckBox("Change MAC", &window);
    box->setGeometry(10, 10, 140, 24);
    auto* tip = new CKWDelayedTip(box, 150, "blue");
    tip->SetText("whether updata MAC address?");
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    QCursor::setPos(box->mapToGlobal(box->rect().center()));
    Send(*box, QEvent::Enter);
    ASSERT_TRUE(KWProcessEventsUntil([] { return QToolTip::isVisible(); }));
    EXPECT_EQ(QToolTip::text(), "<font color=\"blue\">whether updata MAC address?</font>");
    EXPECT_FALSE(tip->IsWaiting());

    for (int round = 0; round < 3; ++round) {
        Send(*box, QEvent::Leave);
        Send(*box, QEvent::Enter);
        EXPECT_FALSE(tip->IsWaiting()) << round;
        EXPECT_TRUE(QToolTip::isVisible()) << round;
    }

    QCursor::setPos(window.mapToGlobal(QPoint(200, 70)));
    Send(*box, QEvent::Leave);
    EXPECT_TRUE(KWProcessEventsUntil([] { return !QToolTip::isVisible(); }));
    QCursor::setPos(box->mapToGlobal(box->rect().center()));
    Send(*box, QEvent::Enter);
    EXPECT_TRUE(tip->IsWaiting()) << "a new visit waits for the delay again";
}
} // namespace
