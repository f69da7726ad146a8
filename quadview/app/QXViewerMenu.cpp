#include "QXViewerMenu.h"

#include "QXViewerIds.h"

#include <QMenuBar>

#include <initializer_list>

namespace {
using namespace QXViewerIds;

constexpr int kSeparator = 0;

struct Item {
    int id; // kSeparator for a separator
    const char* text;
};

struct Menu {
    const char* title;
    std::initializer_list<Item> items;
};

const Menu kMenus[] = {
    {"&Function Selection",
     {{kMenuViewerMode, "HDD &Viewer\tF2"},
      {kMenuMysMode, "&MYS Player\tF2"},
      {kSeparator, ""},
      {kMenuAlwaysOnTop, "&Anyway On Top\tCtrl+A"},
      {kMenuRecentPosition, "&Recent Position\tCtrl+R"},
      {kSeparator, ""},
      {kMenuExit, "E&xit\tCtrl+X"}}},
    {"PC &Viewer",
     {{kMenuViewerFastReverse, "Fast &Reverse\t<-"},
      {kMenuViewerOneReverse, "O&ne Frame Reverse\tPage Up"},
      {kMenuViewerReverse, "R&everse Play\t<-"},
      {kMenuViewerPause, "P&ause\tSpace"},
      {kMenuViewerPlay, "&Play\t->"},
      {kMenuViewerOneForward, "One Frame For&ward \tPage Down"},
      {kMenuViewerFastForward, "&Fast Forward\t->"}}},
    {"&Channel",
     {{kMenuChannelsAll, "Channel &All"},
      {kMenuChannelsTwo, "Channel &Two"},
      {kMenuChannel1, "Channel &1"},
      {kMenuChannel1 + 1, "Channel &2"},
      {kMenuChannel1 + 2, "Channel &3 "},
      {kMenuChannel1 + 3, "Channel &4"}}},
    {"Ca&pture",
     {{kMenuCaptureMys, "Capture MYS"},
      {kMenuCaptureJpeg, "Capture JPEG"},
      {kMenuCaptureAvi, "Capture AVI"}}},
    {"&Audio Control",
     {{kMenuAudioMute, "Aduio &Mute\tCtrl+M"},
      {kMenuVolumeUp, "Volume &Up\tUp Arrow"},
      {kMenuVolumeDown, "Volume &Down \tDown Arrow"}}},
    {"&MYS Player",
     {{kMenuLoadMys, "&Load MYS File\tCtrl+L"},
      {kSeparator, ""},
      {kMenuMysFastReverse, "Fast &Reverse\t<-"},
      {kMenuMysOneForward, "One Frame For&ward \tPage Down"},
      {kMenuMysReverse, "R&everse Play\t<-"},
      {kMenuMysPause, "P&ause\tSpace"},
      {kMenuMysPlay, "&Play\t->"},
      {kMenuMysOneReverse, "O&ne Frame Reverse\tPage Up"},
      {kMenuMysFastForward, "&Fast Forward\t->"}}},
    {"S&earcher",
     {{kMenuEventList, "Event &List"},
      {kSeparator, ""},
      {kMenuSearchTime, "Search &Time"},
      {kMenuSearchStep, "Setting Search Time"}}},
    {"&Setting", {{kMenuConfiguration, "Change Viewer &Configuration"}}},
};

const Menu kHelpMenu = {"&Help", {{kMenuAbout, "About PC Viewer\tF1"}}};

void AddMenu(QMenuBar& bar, const Menu& menu) {
    QMenu* popup = bar.addMenu(QString::fromUtf8(menu.title));
    for (const Item& item : menu.items) {
        if (item.id == kSeparator) {
            popup->addSeparator();
            continue;
        }
        QAction* action = popup->addAction(QString::fromUtf8(item.text));
        action->setObjectName(QString::number(item.id));
        action->setData(item.id);
    }
}
} // namespace

namespace QXViewerMenu {
QMenuBar* Create(QWidget& window) {
    auto* bar = new QMenuBar(&window);
    bar->setObjectName("131");
    // In the window on every desktop, so that the window's layout is the same everywhere.
    bar->setNativeMenuBar(false);
    for (const Menu& menu : kMenus)
        AddMenu(*bar, menu);
    // A bar of its own in the right corner holds Help there; its items reach the main bar's
    // triggered signal like the others.
    auto* right = new QMenuBar(bar);
    right->setNativeMenuBar(false);
    AddMenu(*right, kHelpMenu);
    bar->setCornerWidget(right, Qt::TopRightCorner);
    QObject::connect(right, &QMenuBar::triggered, bar, &QMenuBar::triggered);
    return bar;
}

QAction* Find(const QObject& window, int id) {
    return window.findChild<QAction*>(QString::number(id));
}

void SetTicked(QAction& item, bool ticked) {
    item.setCheckable(ticked);
    item.setChecked(ticked);
}
} // namespace QXViewerMenu
