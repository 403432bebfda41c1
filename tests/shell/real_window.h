#pragma once

// Driving a whole MainWindow from outside, as the fault, soak and road tests do.
#include "text/ansi_text.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QWidget>

namespace lyricue {

// A mouse click on the toolbar button whose key is `key`.
inline void clickToolbarButton(QWidget& window, const QString& key)
{
    auto* toolbar = window.findChild<QToolBar*>(QStringLiteral("Toolbar1"));
    ASSERT_NE(toolbar, nullptr);
    auto* button = toolbar->findChild<QToolButton*>(key);
    ASSERT_NE(button, nullptr) << key.toStdString();
    QTest::mouseClick(button, Qt::LeftButton);
}

// A file's bytes, or "<missing>" when it cannot be read.
inline QByteArray fileContents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

// Shows the window and waits until it is the active one, as a user's window is.
inline void showActiveWindow(QWidget& window)
{
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
}

// The bytes of a CP932 lyrics file holding `lines`, each ended by CR LF.
inline QByteArray cp932Lines(const QStringList& lines)
{
    QByteArray bytes;
    for (const QString& line : lines)
        bytes += encodeCp932(line).bytes + "\r\n";
    return bytes;
}

}  // namespace lyricue
