#pragma once

#include "timeline/timeline_panel.h"

#include <QObject>
#include <QPointer>

class QAction;
class QMainWindow;

namespace lyricue {

// The "タイムライン" item of the "表示" menu: shows the timeline panel below the window's
// controls, building it when it is first shown, so that the window stays as it was until
// then; remembers the choice for the next run and keeps the panel told of the open track.
class TimelineToggle : public QObject {
    Q_OBJECT
public:
    struct Actions {
        QAction& shown;  // checkable
        QAction& zoomIn;
        QAction& zoomOut;
    };

    TimelineToggle(QMainWindow& window, Actions actions, TimelineLinks links, QObject* parent = nullptr);
    ~TimelineToggle() override;

    // Shows the panel when the last run left it shown.
    void restoreSetting();
    void trackOpened(const QString& path);
    void stateTick();
    void playTick();
    // None until first shown.
    TimelinePanel* panel() const { return m_panel; }

private:
    void setShown(bool shown);
    void build();

    QMainWindow& m_window;
    Actions m_actions;
    TimelineLinks m_links;
    QString m_trackPath;
    QPointer<TimelinePanel> m_panel;
};

}  // namespace lyricue
