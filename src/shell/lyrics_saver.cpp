#include "shell/lyrics_saver.h"

#include "lyricsfile/lyrics_file.h"
#include "shell/file_dialogs.h"

#include <QDir>
#include <QFileInfo>

namespace lyricue {

namespace {

bool samePath(const QString& a, const QString& b)
{
    return !a.isEmpty() && !b.isEmpty() && QFileInfo(a) == QFileInfo(b);
}

// True when the save may replace `path`: a file that does not exist, or one that
// holds this sheet (it was loaded from it or last saved to it). Any other existing
// file holds some other lyrics, so the user is asked first.
bool mayReplace(LyricsFiles& files, const QString& path)
{
    const LyricsDocument& document = files.document;
    if (!QFileInfo(path).isFile() || samePath(path, document.sourcePath()) || samePath(path, document.savedPath()))
        return true;
    return files.prompts.askYesNo(QStringLiteral("「%1」は読み込んだ歌詞のファイルではありません。上書きしますか？")
                                      .arg(QDir::toNativeSeparators(path)))
           == AnswerYes;
}

}  // namespace

void SaveLyrics(LyricsFiles& files)
{
    LyricsDocument& document = files.document;
    // The dialog itself asks before it replaces an existing file.
    const QString path = ShowSaveDialog(files.prompts, files.CommonDialog1, document);
    if (path == ErrorCancel) {
        files.SelectedPath = ErrorCancel;
        return;
    }
    // A save that fails keeps the file the sheet came from, so a later "再読込"
    // does not write to a place the user never saw saved.
    if (const Result written = WriteLyricsFile(document, path); !written.ok()) {
        files.prompts.showMessage(written.errorString());
        return;
    }
    document.setLyricsPath(path);
    document.setSavedPath(path);
    files.prompts.showMessage(path + QStringLiteral("を保存しました"));
}

void SaveAndLoadLyrics(LyricsFiles& files)
{
    LyricsDocument& document = files.document;
    const QString path = document.LyricsPath();
    if (path.isEmpty()) {
        files.prompts.showMessage(QStringLiteral("歌詞の保存先がまだありません。「歌詞保存」で保存先を選んでください"));
        return;
    }
    if (!mayReplace(files, path))
        return;
    if (const Result written = WriteLyricsFile(document, path); !written.ok()) {
        files.prompts.showMessage(written.errorString());
        return;
    }
    document.setSavedPath(path);
    files.engine.vbmp3_setLyricsFile(path);
    document.setEngineLyricsPath(path);
    files.prompts.showMessage(path + QStringLiteral("を Save & Load しました"));
}

}  // namespace lyricue
