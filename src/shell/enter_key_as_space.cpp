#include "shell/enter_key_as_space.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QKeyEvent>

namespace lyricue {

void EnterKeyAsSpace::install(QAbstractButton& button)
{
    button.installEventFilter(new EnterKeyAsSpace(&button));
}

bool EnterKeyAsSpace::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress && event->type() != QEvent::KeyRelease)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if (key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter)
        return false;
    QKeyEvent space(key->type(), Qt::Key_Space, key->modifiers(), QStringLiteral(" "), key->isAutoRepeat(),
                    static_cast<quint16>(key->count()));
    space.setTimestamp(key->timestamp());  // a stamp takes the moment the key went down
    QCoreApplication::sendEvent(watched, &space);
    return true;
}

}  // namespace lyricue
