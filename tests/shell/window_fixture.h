#pragma once

#include "sheet/lyrics_sheet.h"
#include "shell/main_window.h"
#include "shell/qt_printers.h"
#include "support/recording_engine.h"
#include "support/scripted_prompts.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QTimerEvent>
#include <QToolBar>
#include <QToolButton>

#include <memory>

namespace lyricue {

// The main window over a RecordingEngine and ScriptedPrompts. The window starts at
// the first use of window(), so a test can script the engine's start-up answers
// first. Timer ticks are delivered by hand with tick(); the state timer's own ticks
// are stopped so that they never mix into a call log.
class WindowTest : public ::testing::Test {
protected:
    MainWindow& window()
    {
        if (!m_window) {
            m_window = std::make_unique<MainWindow>(engine, prompts);
            m_window->findChild<QTimer*>(QStringLiteral("Timer2"))->stop();
        }
        return *m_window;
    }

    // Shown and active, so that the keyboard focus is real.
    void showActive()
    {
        window().show();
        window().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window()));
    }

    template <typename T>
    T* control(const char* name)
    {
        T* found = window().findChild<T*>(QLatin1String(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    QLabel* lyricLabel(int index)
    {
        for (QLabel* label : window().findChildren<QLabel*>(QStringLiteral("Lbl_1")))
            if (label->property("index").toInt() == index)
                return label;
        ADD_FAILURE() << "no Lbl_1(" << index << ")";
        return nullptr;
    }

    QToolButton* toolbarButton(const QString& key)
    {
        for (QToolButton* button : control<QToolBar>("Toolbar1")->findChildren<QToolButton*>())
            if (button->accessibleName() == key)
                return button;
        ADD_FAILURE() << "no toolbar button " << key.toStdString();
        return nullptr;
    }

    void clickToolbar(const QString& key) { QTest::mouseClick(toolbarButton(key), Qt::LeftButton); }

    // A modal box opened by the next click runs its own event loop; this closes it from inside.
    static void closeModalBoxWhenShown()
    {
        QTimer::singleShot(0, [] {
            if (QWidget* box = QApplication::activeModalWidget())
                box->close();
        });
    }

    LyricsSheet& sheet() { return *control<LyricsSheet>("FlxGrid"); }
    QTimer& playTimer() { return *control<QTimer>("Play_timer"); }
    QTimer& stateTimer() { return *control<QTimer>("Timer2"); }

    // One tick of a running timer, through the timer's own event.
    static void tick(QTimer& timer)
    {
        ASSERT_TRUE(timer.isActive()) << timer.objectName().toStdString() << " is off";
        QTimerEvent event(timer.timerId());
        QCoreApplication::sendEvent(&timer, &event);
    }

    // The state timer runs from start-up; tick it although the fixture holds it still.
    void stateTimerTick()
    {
        stateTimer().start();
        tick(stateTimer());
        stateTimer().stop();
    }

    QString focusName() const
    {
        const QWidget* focus = m_window ? m_window->focusWidget() : nullptr;
        return focus ? focus->objectName() : QString();
    }

    RecordingEngine engine;
    ScriptedPrompts prompts;

private:
    std::unique_ptr<MainWindow> m_window;
};

}  // namespace lyricue
