#include "menu_tree.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace {

void addItem(QMenu& menu, const char* name, const QString& text)
{
    QAction* item = menu.addAction(text);
    item->setObjectName(QLatin1String(name));
}

}  // namespace

QMenu* buildMenuTree(QMenuBar& menuBar)
{
    QMenu* file = menuBar.addMenu(QStringLiteral("ファイル(&F)"));
    file->setObjectName(QStringLiteral("cmn_file"));
    addItem(*file, "open_mp", QStringLiteral("開く[MP3](&M)　"));
    addItem(*file, "open_txt", QStringLiteral("開く[TXT](&T)"));
    addItem(*file, "save_txt", QStringLiteral("保存[TXT](&S)"));
    addItem(*file, "end", QStringLiteral("終了(&X)"));

    QMenu* about = menuBar.addMenu(QStringLiteral("about(&Q)"));
    about->setObjectName(QStringLiteral("about"));

    auto* popup = new QMenu(QStringLiteral("ポップアップメニュー"), &menuBar);
    popup->setObjectName(QStringLiteral("Right_Click"));
    addItem(*popup, "add_line", QStringLiteral("行の追加"));
    addItem(*popup, "del_line", QStringLiteral("行の削除"));
    return popup;
}
