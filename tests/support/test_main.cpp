// Shared main of every test binary: offscreen Qt, the dummy SDL audio driver.
#include <QApplication>

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
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
