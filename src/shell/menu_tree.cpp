#include "shell/menu_tree.h"

#include "shell/command_keys.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>
#include <QMenuBar>

namespace lyricue {

namespace {

QAction* addItem(QMenu& menu, const char* name, const QString& text)
{
    QAction* item = menu.addAction(text);
    item->setObjectName(QLatin1String(name));
    return item;
}

void addCommand(QMenu& menu, const char* name, const QString& text, const QString& key, const QKeySequence& shortcut)
{
    QAction* item = addItem(menu, name, text);
    item->setData(key);
    item->setShortcut(shortcut);
}

QAction* addShortcutItem(QMenu& menu, const char* name, const QString& text, QList<QKeySequence> shortcuts)
{
    QAction* item = addItem(menu, name, text);
    item->setShortcuts(shortcuts);
    return item;
}

EditMenu buildEditMenu(QMenuBar& menuBar)
{
    QMenu* edit = menuBar.addMenu(QStringLiteral("編集(&E)"));
    edit->setObjectName(QStringLiteral("edit"));
    EditMenu items{};
    items.undo = addShortcutItem(*edit, "undo", QStringLiteral("元に戻す(&U)"), {QKeySequence(Qt::CTRL | Qt::Key_Z)});
    items.redo = addShortcutItem(*edit, "redo", QStringLiteral("やり直し(&R)"),
                                 {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
    edit->addSeparator();
    items.earlier = addShortcutItem(*edit, "tag_earlier", QStringLiteral("タグを 10 ms 早く"),
                                    {QKeySequence(Qt::ALT | Qt::Key_Left)});
    items.later = addShortcutItem(*edit, "tag_later", QStringLiteral("タグを 10 ms 遅く"),
                                  {QKeySequence(Qt::ALT | Qt::Key_Right)});
    items.muchEarlier = addShortcutItem(*edit, "tag_much_earlier", QStringLiteral("タグを 100 ms 早く"),
                                        {QKeySequence(Qt::ALT | Qt::SHIFT | Qt::Key_Left)});
    items.muchLater = addShortcutItem(*edit, "tag_much_later", QStringLiteral("タグを 100 ms 遅く"),
                                      {QKeySequence(Qt::ALT | Qt::SHIFT | Qt::Key_Right)});
    items.replayLine = addShortcutItem(*edit, "replay_line", QStringLiteral("この行をもう一度再生(&P)"),
                                       {QKeySequence(Qt::CTRL | Qt::Key_R)});
    edit->addSeparator();
    items.insertLine = addShortcutItem(*edit, "insert_line", QStringLiteral("上に空行を挿入(&I)"),
                                       {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Insert)});
    items.deleteLine = addShortcutItem(*edit, "delete_line", QStringLiteral("この行を削除(&D)"),
                                       {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Delete)});
    edit->addSeparator();
    items.segmentTiming = addShortcutItem(*edit, "segment_timing", QStringLiteral("単語ごとにタイミング"),
                                          {QKeySequence(Qt::CTRL | Qt::Key_K)});
    items.segmentTiming->setCheckable(true);
    items.defaultSplit = addItem(*edit, "default_split", QStringLiteral("この行を既定の区切りに戻す"));
    items.calibrate = addItem(*edit, "calibrate", QStringLiteral("タイミング補正…"));
    return items;
}

}  // namespace

MenuTree buildMenuTree(QMenuBar& menuBar)
{
    QMenu* file = menuBar.addMenu(QStringLiteral("ファイル(&F)"));
    file->setObjectName(QStringLiteral("cmn_file"));
    addItem(*file, "open_mp", QStringLiteral("開く[MP3](&M)　"));
    addItem(*file, "open_txt", QStringLiteral("開く[TXT](&T)"));
    addItem(*file, "save_txt", QStringLiteral("保存[TXT](&S)"));
    addItem(*file, "end", QStringLiteral("終了(&X)"));

    const EditMenu edit = buildEditMenu(menuBar);

    QMenu* lrc = menuBar.addMenu(QStringLiteral("LRC(&L)"));
    lrc->setObjectName(QStringLiteral("lrc"));
    addCommand(*lrc, "import_lrc", QStringLiteral("LRC 読込(&I)..."), CommandKey::ImportLrc,
               QKeySequence(Qt::CTRL | Qt::Key_I));
    addCommand(*lrc, "export_lrc", QStringLiteral("LRC 書出し(&E)..."), CommandKey::ExportLrc,
               QKeySequence(Qt::CTRL | Qt::Key_E));
    lrc->addSeparator();
    addCommand(*lrc, "load_track_lyrics", QStringLiteral("曲の歌詞を読込(&T)"), CommandKey::LoadTrackLyrics,
               QKeySequence());
    addCommand(*lrc, "write_track_lyrics", QStringLiteral("曲に歌詞を書込(&W)"), CommandKey::WriteTrackLyrics,
               QKeySequence());

    QMenu* speed = menuBar.addMenu(QStringLiteral("速度(&S)"));
    speed->setObjectName(QStringLiteral("speed"));
    QAction* slower = addItem(*speed, "speed_slower", QStringLiteral("遅く(&D)"));
    slower->setData(-1);
    slower->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Minus));
    QAction* faster = addItem(*speed, "speed_faster", QStringLiteral("速く(&U)"));
    faster->setData(1);
    faster->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    speed->addSeparator();
    auto* percents = new QActionGroup(speed);
    for (const int percent : {50, 60, 70, 80, 90, 100}) {
        QAction* item = addItem(*speed, "speed_percent", QStringLiteral("%1 %").arg(percent));
        item->setData(percent);
        item->setCheckable(true);
        item->setChecked(percent == 100);
        percents->addAction(item);
    }

    QMenu* view = menuBar.addMenu(QStringLiteral("表示(&V)"));
    view->setObjectName(QStringLiteral("view"));
    QAction* timeline = addItem(*view, "timeline_shown", QStringLiteral("タイムライン(&T)"));
    timeline->setCheckable(true);
    timeline->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
    QAction* zoomIn = addItem(*view, "timeline_zoom_in", QStringLiteral("タイムライン拡大(&I)"));
    // Ctrl++ and Ctrl+- step the speed; Alt with up and down zooms, beside the nudge keys.
    zoomIn->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Up));
    QAction* zoomOut = addItem(*view, "timeline_zoom_out", QStringLiteral("タイムライン縮小(&O)"));
    zoomOut->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Down));

    QMenu* about = menuBar.addMenu(QStringLiteral("about(&Q)"));
    about->setObjectName(QStringLiteral("about"));

    auto* popup = new QMenu(QStringLiteral("ポップアップメニュー"), &menuBar);
    popup->setObjectName(QStringLiteral("Right_Click"));
    addItem(*popup, "add_line", QStringLiteral("行の追加"));
    addItem(*popup, "del_line", QStringLiteral("行の削除"));
    return {lrc, edit, speed, popup, timeline, zoomIn, zoomOut};
}

}  // namespace lyricue
