#include "QXViewerMenu.h"

#include <QMenu>
#include <QMenuBar>
#include <QWidget>
#include <gtest/gtest.h>

namespace {
// A menu's items as "text=id", separators as "-".
QStringList Items(const QMenu& menu) {
    QStringList items;
    for (const QAction* action : menu.actions())
        items << (action->isSeparator() ? QString("-")
                                        : action->text() + "=" + action->objectName());
    return items;
}
} // namespace

TEST(QXViewerMenu, TheMenusTheirItemsAndIdentifiersInOrder) {
    QWidget window;
    QMenuBar* bar = QXViewerMenu::Create(window);
    QStringList titles;
    for (const QAction* action : bar->actions())
        titles << action->text();
    EXPECT_EQ(titles, QStringList({"&Function Selection", "PC &Viewer", "&Channel", "Ca&pture",
                                   "&Audio Control", "&MYS Player", "S&earcher", "&Setting"}));
    const auto menu = [bar](int index) { return Items(*bar->actions()[index]->menu()); };
    EXPECT_EQ(menu(0), QStringList({"HDD &Viewer\tF2=32771", "&MYS Player\tF2=32772", "-",
                                    "&Anyway On Top\tCtrl+A=32816",
                                    "&Recent Position\tCtrl+R=32812", "-", "E&xit\tCtrl+X=32782"}));
    EXPECT_EQ(menu(1),
              QStringList({"Fast &Reverse\t<-=32799", "O&ne Frame Reverse\tPage Up=32800",
                           "R&everse Play\t<-=32791", "P&ause\tSpace=32797", "&Play\t->=32790",
                           "One Frame For&ward \tPage Down=32792", "&Fast Forward\t->=32798"}));
    EXPECT_EQ(menu(2), QStringList({"Channel &All=32801", "Channel &Two=32802", "Channel &1=32773",
                                    "Channel &2=32774", "Channel &3 =32775", "Channel &4=32776"}));
    EXPECT_EQ(menu(3),
              QStringList({"Capture MYS=32779", "Capture JPEG=32780", "Capture AVI=32810"}));
    EXPECT_EQ(menu(4), QStringList({"Aduio &Mute\tCtrl+M=32786", "Volume &Up\tUp Arrow=32787",
                                    "Volume &Down \tDown Arrow=32788"}));
    EXPECT_EQ(menu(5),
              QStringList({"&Load MYS File\tCtrl+L=32785", "-", "Fast &Reverse\t<-=32796",
                           "One Frame For&ward \tPage Down=32803", "R&everse Play\t<-=32795",
                           "P&ause\tSpace=32793", "&Play\t->=32789",
                           "O&ne Frame Reverse\tPage Up=32804", "&Fast Forward\t->=32794"}));
    EXPECT_EQ(menu(6), QStringList({"Event &List=32813", "-", "Search &Time=32808",
                                    "Setting Search Time=32809"}));
    EXPECT_EQ(menu(7), QStringList({"Change Viewer &Configuration=32783"}));

    // Help stands alone at the right end, and reports its item like the others.
    auto* right = qobject_cast<QMenuBar*>(bar->cornerWidget(Qt::TopRightCorner));
    ASSERT_NE(right, nullptr);
    ASSERT_EQ(right->actions().size(), 1);
    EXPECT_EQ(right->actions()[0]->text(), "&Help");
    EXPECT_EQ(Items(*right->actions()[0]->menu()), QStringList({"About PC Viewer\tF1=32781"}));
    int triggered = 0;
    QObject::connect(bar, &QMenuBar::triggered,
                     [&](QAction* item) { triggered = item->data().toInt(); });
    QXViewerMenu::Find(window, 32781)->trigger();
    EXPECT_EQ(triggered, 32781);
    QXViewerMenu::Find(window, 32808)->trigger();
    EXPECT_EQ(triggered, 32808);
}

TEST(QXViewerMenu, AnItemShowsItsTickOnlyWhileTicked) {
    QWidget window;
    QXViewerMenu::Create(window);
    QAction& item = *QXViewerMenu::Find(window, 32816);
    EXPECT_FALSE(item.isCheckable());
    QXViewerMenu::SetTicked(item, true);
    EXPECT_TRUE(item.isChecked());
    QXViewerMenu::SetTicked(item, false);
    EXPECT_FALSE(item.isChecked());
    EXPECT_FALSE(item.isCheckable());
    EXPECT_EQ(QXViewerMenu::Find(window, 32777), nullptr); // audio on has no item
}
