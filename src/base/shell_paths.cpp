#include "base/shell_paths.h"

#include <QFile>

#include <climits>

namespace lyricue {

namespace {

bool isSeparator(QChar ch)
{
#ifdef Q_OS_WIN
    return ch == u'\\' || ch == u'/';
#else
    return ch == u'/';
#endif
}

// Index where the final component of `path` starts.
qsizetype finalComponentStart(const QString& path)
{
    qsizetype start = path.size();
    while (start > 0 && !isSeparator(path[start - 1]))
        --start;
    return start;
}

qsizetype pathLength(const QString& path)
{
#ifdef Q_OS_WIN
    return path.size();
#else
    return QFile::encodeName(path).size();
#endif
}

}  // namespace

int maxPathLength()
{
    // Both limits count the terminating NUL, which a path text does not hold.
#ifdef Q_OS_WIN
    return 260 - 1;
#else
    return PATH_MAX - 1;
#endif
}

QString ChangeExtension(const QString& path, const QString& extension)
{
    const qsizetype nameStart = finalComponentStart(path);
    const qsizetype dot = path.lastIndexOf(u'.');
#ifdef Q_OS_WIN
    const bool isExtension = dot >= nameStart;
#else
    // A name that starts with a dot is a hidden file, not an extension alone.
    const bool isExtension = dot > nameStart;
#endif
    const QString result = (isExtension ? path.left(dot) : path) + extension;
    return pathLength(result) > maxPathLength() ? QString() : result;
}

QString FileNameOfPath(const QString& path)
{
    return path.mid(finalComponentStart(path));
}

}  // namespace lyricue
