#include "CFinderDlg.h"

#include "CamMessages.h"
#include "CamTestSupport.h"
#include "KWMessageBoxRecorder.h"

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QTreeWidget>
#include <gtest/gtest.h>

namespace {
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
