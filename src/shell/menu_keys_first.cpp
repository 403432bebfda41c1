#include "shell/menu_keys_first.h"

#include <QAction>
#include <QKeyEvent>
#include <QKeySequence>
#include <QWidget>

namespace lyricue {

MenuKeysFirst::MenuKeysFirst(QList<QAction*> items, QObject* parent) : QObject(parent), m_items(std::move(items)) {}

void MenuKeysFirst::install(QWidget& widget, QList<QAction*> items)
{
    widget.installEventFilter(new MenuKeysFirst(std::move(items), &widget));
}

bool MenuKeysFirst::eventFilter(QObject* /*watched*/, QEvent* event)
{
    if (event->type() != QEvent::ShortcutOverride)
        return false;
    const QKeySequence pressed(static_cast<QKeyEvent*>(event)->keyCombination());
    for (const QAction* item : m_items) {
        if (item->isEnabled() && item->shortcuts().contains(pressed)) {
            // Not taken by the widget: the shortcut goes to the menu item.
            event->ignore();
            return true;
        }
    }
    return false;
}

}  // namespace lyricue
