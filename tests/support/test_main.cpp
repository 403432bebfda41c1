// Shared main of every test binary: offscreen Qt, the dummy SDL audio driver.
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
    // Settings go to a folder of this run, never to the user's own.
    const QTemporaryDir settingsDir;
    for (const QSettings::Scope scope : {QSettings::UserScope, QSettings::SystemScope}) {
        QSettings::setPath(QSettings::NativeFormat, scope, settingsDir.path());
        QSettings::setPath(QSettings::IniFormat, scope, settingsDir.path());
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
