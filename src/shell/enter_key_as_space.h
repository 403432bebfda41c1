#pragma once

#include <QObject>

class QAbstractButton;

namespace lyricue {

// Makes Return and Enter press a focused push button as Space does (down on the
// press, clicked on the release, a held key's repeats ignored), as buttons on
// Windows do: users stamp with either key.
class EnterKeyAsSpace : public QObject {
public:
    // Watches `button`; the filter belongs to it.
    static void install(QAbstractButton& button);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    using QObject::QObject;
};

}  // namespace lyricue
