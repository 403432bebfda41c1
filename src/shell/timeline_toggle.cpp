#include "shell/timeline_toggle.h"

#include "base/app_settings.h"

#include <QAction>
#include <QLayout>
#include <QMainWindow>
#include <QVBoxLayout>

namespace lyricue {

TimelineToggle::TimelineToggle(QMainWindow& window, Actions actions, TimelineLinks links, QObject* parent)
    : QObject(parent), m_window(window), m_actions(actions), m_links(std::move(links))
{
    m_actions.zoomIn.setEnabled(false);
    m_actions.zoomOut.setEnabled(false);
    connect(&m_actions.shown, &QAction::toggled, this, &TimelineToggle::setShown);
    connect(&m_actions.zoomIn, &QAction::triggered, this, [this] { m_panel->zoomIn(); });
    connect(&m_actions.zoomOut, &QAction::triggered, this, [this] { m_panel->zoomOut(); });
}

TimelineToggle::~TimelineToggle() = default;

void TimelineToggle::restoreSetting()
{
    if (app_settings::timelineShown())
        m_actions.shown.setChecked(true);
}

void TimelineToggle::trackOpened(const QString& path)
{
    m_trackPath = path;
    if (m_panel)
        m_panel->setTrack(path);
}

void TimelineToggle::stateTick()
{
    if (m_panel)
        m_panel->stateTick();
}

void TimelineToggle::playTick()
{
    if (m_panel)
        m_panel->playTick();
}

void TimelineToggle::setShown(bool shown)
{
    if (shown && !m_panel)
        build();
    if (m_panel) {
        m_panel->setVisible(shown);
        // The window takes its new height now rather than at the next turn of the event loop.
        m_window.centralWidget()->layout()->activate();
        m_window.layout()->activate();
    }
    m_actions.zoomIn.setEnabled(shown);
    m_actions.zoomOut.setEnabled(shown);
    app_settings::setTimelineShown(shown);
}

void TimelineToggle::build()
{
    QWidget* focus = m_window.focusWidget();
    QWidget* client = m_window.takeCentralWidget();
    auto* column = new QWidget;
    column->setObjectName(QStringLiteral("clientAndTimeline"));
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(client);
    m_panel = new TimelinePanel(m_links, client->width(), column);
    m_panel->hide();
    layout->addWidget(m_panel);
    m_window.setCentralWidget(column);
    // Shown now, not at the next turn of the event loop as the layout would.
    column->setVisible(m_window.isVisible());
    client->show();
    if (!m_trackPath.isEmpty())
        m_panel->setTrack(m_trackPath);
    if (focus)
        focus->setFocus();
}

}  // namespace lyricue
