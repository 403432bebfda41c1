// Shared main of every test binary: offscreen Qt, the dummy SDL audio driver.
#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv)
{
    // Set before QApplication exists; an outer setting (a real display) wins.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Lyricue"));
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
