// Shared main of every test binary: offscreen Qt, the dummy SDL audio driver, settings
// in a temporary folder.
#include <QApplication>
#include <QSettings>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <utility>

int main(int argc, char** argv)
{
    // Set before QApplication exists; an outer setting (a real display) wins.
    for (const auto& [name, value] : {std::pair{"QT_QPA_PLATFORM", "offscreen"}, std::pair{"SDL_AUDIODRIVER", "dummy"}}) {
        if (!qEnvironmentVariableIsSet(name))
            qputenv(name, value);
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lyricue"));
    // Settings the tests write go to a folder of their own, never to the user's.
    const QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
