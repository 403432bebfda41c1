#include "base/log.h"

#include <QLoggingCategory>

namespace lyricue {

namespace {

Q_LOGGING_CATEGORY(lyricueLog, "lyricue")

}  // namespace

void logWarning(const QString& message)
{
    qCWarning(lyricueLog).noquote() << message;
}

}  // namespace lyricue
