#pragma once

// Driving a whole MainWindow from outside, as the fault, soak and road tests do.
#include <gtest/gtest.h>

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <QWidget>

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
