#pragma once

class QAction;
class QMenuBar;
class QObject;
class QWidget;

// The main window's menu bar. Each item is an action named by its identifier, which is also its
// data; the text after a tab is only a label (the window's keys act, not the menus'). "Help"
// stands at the right end of the bar.
namespace QXViewerMenu {
// Builds the menu bar into `window`; every item's triggering reaches the bar's triggered signal.
QMenuBar* Create(QWidget& window);
// The item `id` of the window's menu, null when there is none.
QAction* Find(const QObject& window, int id);
// The item's check mark: an item that can be ticked shows its tick only while it is.
void SetTicked(QAction& item, bool ticked);
} // namespace QXViewerMenu
