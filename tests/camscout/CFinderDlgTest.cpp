#include "CFinderDlg.h"

#include "CamMessages.h"
#include "CamTestSupport.h"
#include "KWMessageBoxRecorder.h"

#include <QApplication>
#include <QCursor>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {
// Long enough for a hover to be drawn and Qt's tooltip wake-up to pass; then the rest is watched.
constexpr int kSettleMs = 1000;
constexpr int kRestMs = 500;

template <typename Control> Control* Find(QWidget& window, int id) {
    return window.findChild<Control*>(QString::number(id));
}
} // namespace

TEST(CFinderDlg, SearchListsTheAnsweringCamerasAndCounts) {
    const std::uint16_t replyPort = FreeUdpPort();
    FakeCamera camera(replyPort);
    camera.AnswerQueriesWith({Reply('0', "00-11-22-33-44-55", "127.0.0.1:81", "front")});
    CFinderDlg window(LoopbackEndpoints(camera.CommandPort(), replyPort));
    auto* search = Find<QPushButton>(window, CFinderDlg::kIdSearch);
    auto* list = Find<QTreeWidget>(window, CFinderDlg::kIdCameraList);
    auto* total = Find<QLabel>(window, CFinderDlg::kIdTotal);
    ASSERT_TRUE(search && list && total);
    EXPECT_EQ(total->text(), "Total:"); // the texts are loaded after "Total: 0" was set
    EXPECT_EQ(list->headerItem()->text(4), "GateWay");

    search->click();
    EXPECT_FALSE(search->isEnabled());
    ASSERT_TRUE(PumpUntil([&] { return list->topLevelItemCount() == 1; }));
    const QTreeWidgetItem* row = list->topLevelItem(0);
    EXPECT_EQ(row->text(0), "front");
    EXPECT_EQ(row->text(1), "00-11-22-33-44-55");
    EXPECT_EQ(row->text(2), "127.0.0.1:81");
    EXPECT_EQ(row->text(3), "255.255.255.0");
    EXPECT_EQ(row->text(4), "192.168.0.1");
    EXPECT_EQ(total->text(), "Total: 1");

    // The second query is the window timer's job: Search comes back after it.
    ASSERT_TRUE(PumpUntil([&] { return search->isEnabled(); }, 10000));
    ASSERT_TRUE(camera.WaitForCommands(2));
    EXPECT_EQ(list->topLevelItemCount(), 1);
}

// While a search runs the pointer over the window is busy; a search that found nothing says so.
TEST(CFinderDlg, ASearchShowsItRunsAndSaysWhenNothingAnswered) {
    CFinderDlg window(LoopbackEndpoints(FreeUdpPort(), FreeUdpPort()));
    auto* log = Find<QListWidget>(window, CFinderDlg::kIdLog);
    ASSERT_TRUE(log);
    EXPECT_EQ(window.cursor().shape(), Qt::ArrowCursor);
    window.Command(CFinderDlg::kIdSearch);
    EXPECT_EQ(window.cursor().shape(), Qt::BusyCursor);
    window.Finder().OnTimer(CCamFinder::kSearchTimerId);
    EXPECT_EQ(window.cursor().shape(), Qt::BusyCursor);
    window.Finder().OnTimer(CCamFinder::kSearchEndTimerId);
    EXPECT_EQ(window.cursor().shape(), Qt::ArrowCursor);
    ASSERT_EQ(log->count(), 1);
    EXPECT_TRUE(log->item(0)->text().startsWith("0)   No camera answered the search  "));
    EXPECT_EQ(Find<QLabel>(window, CFinderDlg::kIdTotal)->text(), "Total: 0");
}

// Counts the timer and paint events that reach a window or any of its widgets.
class WakeUpCounter : public QObject {
public:
    explicit WakeUpCounter(QWidget& window) : m_window(window) {
        QApplication::instance()->installEventFilter(this);
    }
    ~WakeUpCounter() override { QApplication::instance()->removeEventFilter(this); }
    int count = 0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* widget = qobject_cast<QWidget*>(watched);
        if ((event->type() == QEvent::Timer || event->type() == QEvent::Paint) && widget &&
            (widget == &m_window || m_window.isAncestorOf(widget)))
            ++count;
        return false;
    }

private:
    QWidget& m_window;
};

// A pointer resting over any part of the window, after the hover has been drawn, wakes nothing
// in it: no timer and no repaint.
TEST(CFinderDlg, ARestingPointerCostsNothing) {
    const std::uint16_t replyPort = FreeUdpPort();
    FakeCamera camera(replyPort);
    camera.AnswerQueriesWith({Reply('0', "00-11-22-33-44-55", "127.0.0.1:81", "front")});
    CFinderDlg window(LoopbackEndpoints(camera.CommandPort(), replyPort));
    window.move(20, 20);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.Command(CFinderDlg::kIdSearch);
    window.Finder().OnTimer(CCamFinder::kSearchTimerId);
    window.Finder().OnTimer(CCamFinder::kSearchEndTimerId);
    auto* list = Find<QTreeWidget>(window, CFinderDlg::kIdCameraList);
    ASSERT_TRUE(PumpUntil([&] { return list->topLevelItemCount() == 1; }));

    const int ids[] = {CFinderDlg::kIdCameraList, CFinderDlg::kIdSearch, CFinderDlg::kIdLanguage,
                       CFinderDlg::kIdLog};
    for (int id : ids) {
        QWidget* control = Find<QWidget>(window, id);
        ASSERT_TRUE(control) << id;
        QCursor::setPos(control->mapToGlobal(control->rect().center()));
        QTest::qWait(kSettleMs);
        WakeUpCounter wakeUps(window);
        QTest::qWait(kRestMs);
        EXPECT_EQ(wakeUps.count, 0) << "pointer on control " << id;
    }
}

TEST(CFinderDlg, LogLinesCountUpAndCarryTheTime) {
    const std::string line = CFinderDlg::FormatLogLine(3, "IPCAM IP[1], MAC[2] 100%");
    const QRegularExpression pattern(R"(^3\)   IPCAM IP\[1\], MAC\[2\] 100%        )"
                                     R"(\[\d{4}/\d\d/\d\d - \d\d:\d\d:\d\d\]$)");
    EXPECT_TRUE(pattern.match(QString::fromStdString(line)).hasMatch()) << line;
    EXPECT_EQ(CFinderDlg::FormatLogLine(0, std::string(3000, 'x')).size(), 2047u);

    const std::uint16_t replyPort = FreeUdpPort();
    CFinderDlg window(LoopbackEndpoints(FreeUdpPort(), replyPort));
    auto* log = Find<QListWidget>(window, CFinderDlg::kIdLog);
    ASSERT_TRUE(log);
    window.AppendLog("first");
    window.AppendLog("second");
    ASSERT_EQ(log->count(), 2);
    EXPECT_TRUE(log->item(0)->text().startsWith("0)   first  "));
    EXPECT_TRUE(log->item(1)->text().startsWith("1)   second  "));
    EXPECT_EQ(log->currentRow(), 1);
}

TEST(CFinderDlg, SecondInstanceShowsTheMessageAndCloses) {
    KWMessageBoxRecorder boxes;
    CKWUdpSocket holder;
    ASSERT_TRUE(holder.Open());
    ASSERT_TRUE(holder.Bind("127.0.0.1", 0));
    CFinderDlg window(LoopbackEndpoints(FreeUdpPort(), holder.LocalPort()));
    window.show();
    ASSERT_TRUE(PumpUntil([&] { return !window.isVisible(); }));
    ASSERT_EQ(boxes.Count(), 1u);
    EXPECT_EQ(boxes.Boxes()[0].request.text, "You can't run two instances at one time !!!");
    EXPECT_FALSE(window.Finder().IsReceiving());
}

TEST(CFinderDlg, EscapeDoesNotCloseButTheCloseBoxStopsTheReceiver) {
    CFinderDlg window(LoopbackEndpoints(FreeUdpPort(), FreeUdpPort()));
    window.show();
    window.reject();
    EXPECT_TRUE(window.isVisible());
    EXPECT_TRUE(window.Finder().IsReceiving());
    window.close();
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(window.Finder().IsReceiving());
}

TEST(CFinderDlg, ListRowsAlwaysMatchTheCamerasShown) {
    CFinderDlg window(LoopbackEndpoints(FreeUdpPort(), FreeUdpPort()));
    auto* list = Find<QTreeWidget>(window, CFinderDlg::kIdCameraList);
    ASSERT_TRUE(list);
    const auto camera = [](const char* name) {
        CameraRecord record;
        CameraRecord::SetText(record.name, name);
        CameraRecord::SetText(record.mac, std::string("mac-") + name);
        return record;
    };
    const auto rows = [&] {
        std::vector<std::string> texts;
        for (int i = 0; i < list->topLevelItemCount(); ++i)
            texts.push_back((list->topLevelItem(i)->text(0) + "/" + list->topLevelItem(i)->text(1))
                                .toStdString());
        return texts;
    };
    window.ShowCameras({camera("a"), camera("b"), camera("c")});
    EXPECT_EQ(rows(), (std::vector<std::string>{"a/mac-a", "b/mac-b", "c/mac-c"}));
    window.ShowCameras({camera("a"), camera("x")});
    EXPECT_EQ(rows(), (std::vector<std::string>{"a/mac-a", "x/mac-x"}));
    window.ShowCameras({});
    EXPECT_TRUE(rows().empty());
    window.ShowCameras({camera("d")});
    EXPECT_EQ(rows(), (std::vector<std::string>{"d/mac-d"}));
}
