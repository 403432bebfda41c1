// Shared main of every test binary: offscreen Qt, the dummy SDL audio driver, settings
// in a temporary folder.
#include <QApplication>
#include <QFile>
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
    // The settings the program keeps go to a folder of this run's own, never the user's.
    QTemporaryDir configHome;
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(configHome.path()));
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lyricue"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}

