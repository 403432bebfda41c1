#pragma once

#include <QList>
#include <QObject>

class QAction;
class QWidget;

namespace lyricue {

// Lets the window's menu keys reach their commands from a widget that would take them
// for itself: an edit box claims Ctrl+Z (its own, empty undo), Ctrl+Shift+Insert (paste)
// and others before any menu sees them. In a box, Ctrl+Z then undoes what was typed
// there first (the typing is a step of the lines' history) and then the history before it.
class MenuKeysFirst : public QObject {
    Q_OBJECT
public:
    // The keys of `items` go to the items when `widget` has the focus.
    static void install(QWidget& widget, QList<QAction*> items);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    MenuKeysFirst(QList<QAction*> items, QObject* parent);
    QList<QAction*> m_items;
};

}  // namespace lyricue
