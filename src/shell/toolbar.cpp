#include "shell/toolbar.h"

#include "shell/command_keys.h"
#include "shell/icon_resources.h"

#include <QAction>
#include <QToolBar>
#include <QToolButton>

namespace lyricue {

namespace {

// Resource names of the image list, in image number order (1 to 10).
const char* const ImageNames[] = {"open", "load_lyrics", "save_lyrics", "save_and_load", "search",
                                  "about", "exit", "play", "pause", "stop"};

struct ToolbarButton {
    const QString* key;  // nullptr for a separator
    int image;           // image number, counted from 1
};

const ToolbarButton Buttons[] = {
    {&CommandKey::Open, 1},      {&CommandKey::LoadLyrics, 2}, {&CommandKey::SaveLyrics, 3},
    {&CommandKey::SaveAndLoad, 4}, {nullptr, 0},                {&CommandKey::Play, 8},
    {&CommandKey::Pause, 9},     {&CommandKey::Stop, 10},      {nullptr, 0},
    {&CommandKey::Search, 5},    {nullptr, 0},                 {&CommandKey::About, 6},
    {&CommandKey::Exit, 7},
};

}  // namespace

QList<QIcon> ImageList()
{
    QList<QIcon> images;
    for (const char* name : ImageNames)
        images.append(iconResource(QLatin1String(name)));
    return images;
}

void BuildToolbar(QToolBar& toolbar)
{
    // The toolbar's one look setting: flat buttons, raised only under the mouse.
    toolbar.setToolButtonStyle(Qt::ToolButtonIconOnly);
    toolbar.setIconSize(QSize(32, 32));
    toolbar.setMovable(false);
    toolbar.setFloatable(false);

    const QList<QIcon> images = ImageList();
    for (const ToolbarButton& button : Buttons) {
        if (button.key == nullptr) {
            toolbar.addSeparator();
            continue;
        }
        const QString& key = *button.key;
        QAction* action = toolbar.addAction(images.at(button.image - 1), QString());
        action->setData(key);
        action->setObjectName(key);
        QWidget* widget = toolbar.widgetForAction(action);
        widget->setObjectName(key);
        widget->setAccessibleName(key);
        if (auto* toolButton = qobject_cast<QToolButton*>(widget))
            toolButton->setAutoRaise(true);
    }
}

}  // namespace lyricue
