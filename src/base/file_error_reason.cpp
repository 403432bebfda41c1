#include "base/file_error_reason.h"

#include <QIODevice>
#include <QSaveFile>

#include <cerrno>
#include <initializer_list>

namespace lyricue {

namespace {

struct Reason {
    std::initializer_list<int> errorNumbers;
    const char16_t* japanese;
};

// Qt reports a failed system call with qt_error_string(errno); asking it for the same
// numbers gives the texts to look for, in whatever language it speaks.
const Reason kReasons[] = {
    {{ENOENT}, u"ファイルまたはフォルダーが見つかりません"},
    {{ENOTDIR}, u"パスの途中にフォルダーでないものがあります"},
    {{EACCES, EPERM}, u"アクセス権限がありません"},
#ifdef EDQUOT
    {{ENOSPC, EDQUOT}, u"ディスクの空き容量が足りません"},
#else
    {{ENOSPC}, u"ディスクの空き容量が足りません"},
#endif
    {{EROFS}, u"読み取り専用のファイルシステムです"},
    {{EFBIG}, u"ファイルが大きすぎます"},
    {{ETXTBSY, EBUSY}, u"ファイルが他のプログラムで使用中です"},
    {{EISDIR}, u"ファイルではなくフォルダーです"},
    {{ENAMETOOLONG}, u"ファイル名またはパスが長すぎます"},
    {{EMFILE, ENFILE}, u"開いているファイルが多すぎます"},
};

// Qt's own texts (translated or not, as the running program has them).
QString qtReason(const QString& systemText)
{
    if (systemText == QIODevice::tr("file to open is a directory")
        || systemText == QSaveFile::tr("Filename refers to a directory"))
        return QStringLiteral("ファイルではなくフォルダーです");
    const QString notWritable = QSaveFile::tr("Existing file %1 is not writable");
    const qsizetype hole = notWritable.indexOf(QStringLiteral("%1"));
    if (hole >= 0 && systemText.startsWith(notWritable.left(hole))
        && systemText.endsWith(notWritable.mid(hole + 2)))
        return QStringLiteral("ファイルが読み取り専用です");
    return QString();
}

}  // namespace

QString fileErrorReason(const QString& systemText)
{
    for (const Reason& reason : kReasons) {
        for (const int number : reason.errorNumbers) {
            if (systemText == qt_error_string(number))
                return QString::fromUtf16(reason.japanese);
        }
    }
    const QString known = qtReason(systemText);
    return known.isEmpty() ? systemText : known;
}

}  // namespace lyricue
