#include "app/command_line.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QUrl>

namespace lyricue {

namespace {

constexpr int UsageErrorExitCode = 2;

// Options Qt's application object takes for itself (a session manager restarts the
// program with -session, for one): accepted here and left to Qt.
const char* const QtOptionsWithValue[] = {"platform", "platformpluginpath", "platformtheme", "plugin",
                                          "qwindowgeometry", "qwindowicon", "qwindowtitle", "session",
                                          "display", "geometry", "name", "style", "stylesheet"};
const char* const QtFlags[] = {"reverse", "widgetcount", "sync"};

const QString HelpText = QStringLiteral(
    "使い方: lyricue [オプション] [曲のファイル]\n"
    "曲を聴きながら歌詞の各行にタイムタグを付けます。\n"
    "曲のファイルを指定すると、その曲を開き、同じ名前の歌詞ファイルを読み込むか尋ねます。\n"
    "\n"
    "オプション:\n"
    "  -h, --help     この使い方を表示して終了します\n"
    "  -v, --version  バージョンを表示して終了します\n"
    "\n"
    "Qt の標準オプション (-platform, -style, -session など) も受け付けます。\n");

// The unknown options as they were typed (--bogus), not as the parser names them (bogus).
QStringList asTyped(const QStringList& unknownNames, const QStringList& arguments)
{
    QStringList typed;
    for (const QString& argument : arguments.mid(1)) {
        const QString option = argument.section(QLatin1Char('='), 0, 0);
        QString name = option;
        while (name.startsWith(QLatin1Char('-')))
            name.remove(0, 1);
        if (option.startsWith(QLatin1Char('-')) && unknownNames.contains(name) && !typed.contains(option))
            typed.append(option);
    }
    return typed;
}

// Printed without a window, then the program ends.
CommandLineRequest answerOnly(int exitCode, const QString& standardOutput, const QString& standardError)
{
    CommandLineRequest request;
    request.startWindow = false;
    request.exitCode = exitCode;
    request.standardOutput = standardOutput;
    request.standardError = standardError;
    return request;
}

CommandLineRequest usageError(const QString& what)
{
    return answerOnly(UsageErrorExitCode, QString(),
                      QStringLiteral("lyricue: %1\n「lyricue --help」で使い方を表示します。\n").arg(what));
}

}  // namespace

CommandLineRequest readCommandLine(const QStringList& arguments)
{
    // Started from the desktop with nothing to read: no parser at all (about 0.1 ms).
    if (arguments.size() <= 1)
        return {};
    QCommandLineParser parser;
    // -platform and -style are whole words, as Qt reads them, not bundles of letters.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help"), QStringLiteral("?")});
    const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")});
    parser.addOption(help);
    parser.addOption(version);
    for (const char* name : QtOptionsWithValue)
        parser.addOption(QCommandLineOption(QLatin1String(name), QString(), QStringLiteral("value")));
    for (const char* name : QtFlags)
        parser.addOption(QCommandLineOption(QLatin1String(name)));

    if (!parser.parse(arguments)) {
        const QStringList unknown = asTyped(parser.unknownOptionNames(), arguments);
        if (!unknown.isEmpty())
            return usageError(QStringLiteral("不明なオプションです: %1").arg(unknown.join(QStringLiteral(" "))));
        return usageError(QStringLiteral("オプションの値が正しくありません (%1)").arg(parser.errorText()));
    }
    if (parser.isSet(help))
        return answerOnly(0, HelpText, QString());
    if (parser.isSet(version))
        return answerOnly(0, QStringLiteral("Lyricue %1\n").arg(QStringLiteral(LYRICUE_VERSION_TEXT)), QString());
    const QStringList files = parser.positionalArguments();
    if (files.size() > 1)
        return usageError(QStringLiteral("開ける曲のファイルは一つです: %1").arg(files.join(QStringLiteral(" "))));
    CommandLineRequest request;
    if (!files.isEmpty()) {
        // A file manager may hand a URL (file:///…) instead of a path.
        const QUrl url(files.first());
        const QString path = url.isLocalFile() ? url.toLocalFile() : files.first();
        request.trackPath = QFileInfo(path).absoluteFilePath();
    }
    return request;
}

}  // namespace lyricue
