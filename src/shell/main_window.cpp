#include "shell/main_window.h"

#include "base/app_settings.h"
#include "shell/about_box.h"
#include "audio/peak_decoder.h"
#include "audio/audio_engine.h"
#include "calibration/calibration_dialog.h"
#include "shell/control_fonts.h"
#include "document/lyrics_document.h"
#include "playback/engine_options.h"
#include "shell/icon_resources.h"
#include "sheet/lyrics_sheet.h"
#include "shell/menu_keys_first.h"
#include "shell/menu_tree.h"
#include "playback/play_time_text.h"
#include "base/log.h"
#include "base/prompts.h"
#include "shell/recovery_keeper.h"
#include "shell/recovery_offer.h"
#include "sheet/sheet_shaping.h"
#include "shell/stamp_button.h"
#include "calibration/stamp_offset.h"
#include "text/time_tag.h"
#include "shell/toolbar.h"
#include "playback/volume_slider.h"

#include <QAction>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>
#include <QToolBar>

#include <algorithm>
#include <cstdlib>

namespace lyricue {

namespace {

constexpr int ClientWidth = 499;   // 7485 twips
constexpr int ClientHeight = 488;  // 7320 twips

}  // namespace

MainWindow::MainWindow(AudioEngine& engine, Prompts& prompts, QWidget* parent)
    : QMainWindow(parent), m_engine(engine), m_prompts(prompts)
{
    setWindowTitle(QStringLiteral("Lyricue"));
    setWindowIcon(programIcon());
    setWindowFlag(Qt::WindowMaximizeButtonHint, false);
    setWindowFlag(Qt::MSWindowsFixedSizeDialogHint, true);
    setFont(gothicFont(11.25));
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(192, 192, 192));
    setPalette(palette);

    const MenuTree menus = buildMenuTree(*menuBar());
    auto* client = new QWidget(this);
    client->setObjectName(QStringLiteral("client"));
    client->setFixedSize(ClientWidth, ClientHeight);
    setCentralWidget(client);
    layout()->setSizeConstraint(QLayout::SetFixedSize);

    m_document = new LyricsDocument(this);
    m_controls = createControls(*client, m_engine, *m_document);
    m_fileCommands = std::make_unique<FileCommands>(
        LyricsFiles{m_engine, m_prompts, *m_document, m_controls.CommonDialog1, QString()},
        TrackControls{*this, *m_controls.timebar, *m_controls.lbl_time2},
        [this](const QString& path) { m_timeline->trackOpened(path); });
    m_dispatcher = std::make_unique<CommandDispatcher>(CommandDispatcher::Targets{
        m_engine, m_prompts, *m_document, *m_controls.Play_timer, *m_controls.Cmd_TimeIn, *m_fileCommands,
        [this] { m_controls.FlxGrid->setTopRow(1); }, [this] { showAboutBox(); }, [this] { close(); }});
    m_lyricsDisplay = std::make_unique<LyricsDisplay>(m_engine, m_controls.Lbl_1);
    m_positionBar = std::make_unique<PositionBar>(*m_controls.timebar, m_engine);
    m_cellEditing = std::make_unique<CellEditing>(*m_controls.FlxGrid, *m_controls.Time_Txt, *m_controls.Grid_Txt);
    m_editCommands = std::make_unique<EditCommands>(
        EditCommands::Targets{m_engine, m_prompts, *m_document, *m_controls.Play_timer});
    m_timeline = std::make_unique<TimelineToggle>(
        *this, TimelineToggle::Actions{*menus.timeline, *menus.timelineZoomIn, *menus.timelineZoomOut},
        TimelineLinks{m_engine, *m_document, *m_controls.Play_timer, openPeakDecoder});
    connectHandlers();
    connectEditMenu(menus);
    connect(menus.lrc, &QMenu::triggered, this,
            [this](QAction* item) { m_dispatcher->LrcMenu_Click(item->data().toString()); });
    m_calibrate = menus.edit.calibrate;
    connect(m_calibrate, &QAction::triggered, this, &MainWindow::calibrateStamping);
    m_stampOffsetMs = stamp_offset::load();
    m_segmentTiming = menus.edit.segmentTiming;
    m_segmentTiming->setChecked(app_settings::segmentTiming());
    connect(m_segmentTiming, &QAction::toggled, this, &MainWindow::setSegmentTiming);
    m_controls.FlxGrid->setSegmentMarksShown(m_segmentTiming->isChecked());
    showStampOffset();
    m_speed = std::make_unique<PlaybackSpeed>(m_engine);
    m_speedMenu = menus.speed;
    connect(menus.speed, &QMenu::triggered, this, &MainWindow::Speed_Click);
    // Whoever sets the caption (a track's tags), the speed stays shown after it.
    connect(this, &QWidget::windowTitleChanged, this, [this](const QString& title) {
        const QString shown = m_speed->captionWithSpeed(title);
        if (shown != title)
            setWindowTitle(shown);
    });

    setAcceptDrops(true);
    Form_Load();
    m_timeline->restoreSetting();
    m_controls.Timer2->start();
}

MainWindow::~MainWindow() = default;

void MainWindow::connectHandlers()
{
    connect(m_controls.Toolbar1, &QToolBar::actionTriggered, this,
            [this](QAction* button) { m_dispatcher->Toolbar1_ButtonClick(button->data().toString()); });
    m_controls.Cmd_TimeIn->setPositionAgo([this](qint64 agoMs) { return positionAgo(agoMs); });
    connect(m_controls.Cmd_TimeIn, &QPushButton::clicked, this, &MainWindow::Cmd_TimeIn_Click);
    connect(m_controls.Command1, &QPushButton::clicked, this, &MainWindow::Command1_Click);
    connect(m_controls.FlxGrid, &LyricsSheet::sheetClicked, this, [this] { m_cellEditing->FlxGrid_Click(); });
    connect(m_controls.Time_Txt, &QLineEdit::textChanged, this, [this] { m_cellEditing->Time_Txt_Change(); });
    connect(m_controls.Grid_Txt, &QLineEdit::textChanged, this, [this] { m_cellEditing->Grid_Txt_Change(); });
    connect(m_controls.Play_timer, &QTimer::timeout, this, &MainWindow::Play_timer_Timer);
    connect(m_controls.Timer2, &QTimer::timeout, m_positionBar.get(), &PositionBar::Timer2_Timer);
    connect(m_controls.Timer2, &QTimer::timeout, m_timeline.get(), &TimelineToggle::stateTick);
}

void MainWindow::connectEditMenu(const MenuTree& menus)
{
    const EditMenu& edit = menus.edit;
    QUndoStack& history = m_document->undoStack();
    connect(edit.undo, &QAction::triggered, &history, &QUndoStack::undo);
    connect(edit.redo, &QAction::triggered, &history, &QUndoStack::redo);
    edit.undo->setEnabled(false);
    edit.redo->setEnabled(false);
    connect(&history, &QUndoStack::canUndoChanged, edit.undo, &QAction::setEnabled);
    connect(&history, &QUndoStack::canRedoChanged, edit.redo, &QAction::setEnabled);
    const std::pair<QAction*, int> nudges[] = {
        {edit.earlier, -10}, {edit.later, 10}, {edit.muchEarlier, -100}, {edit.muchLater, 100}};
    for (const auto& [item, ms] : nudges) {
        connect(item, &QAction::triggered, this, [this, ms = ms] {
            if (timesSegments())
                m_document->nudgeSelectedSegment(ms);
            else
                m_editCommands->nudgeTag(ms);
        });
    }
    connect(edit.defaultSplit, &QAction::triggered, this,
            [this] { m_document->restoreDefaultSplit(m_document->row() - 1); });
    connect(edit.replayLine, &QAction::triggered, this, [this] { m_editCommands->replayLine(); });
    connect(edit.insertLine, &QAction::triggered, this, [this] { m_editCommands->insertLine(); });
    connect(edit.deleteLine, &QAction::triggered, this, [this] { m_editCommands->deleteLine(); });
    // The edit boxes would take these keys for their own undo, paste and word moves.
    const QList<QAction*> editKeys{edit.undo,       edit.redo,       edit.earlier,    edit.later,
                                   edit.muchEarlier, edit.muchLater,  edit.replayLine, edit.insertLine,
                                   edit.deleteLine,  edit.segmentTiming};
    for (QLineEdit* box : {m_controls.Time_Txt, m_controls.Grid_Txt})
        MenuKeysFirst::install(*box, editKeys);
}

void MainWindow::Form_Load()
{
    m_engine.vbmp3_init();
    BuildToolbar(*m_controls.Toolbar1);
    shapeSheetAtStartUp(*m_controls.FlxGrid);
    for (const Result& applied : {ApplyEngineOptions(m_engine), ApplyDecodeOptions(m_engine)}) {
        if (!applied.ok())
            m_prompts.showMessage(applied.errorString());
    }
    m_controls.Slider1->setUpFromEngine();
    m_speed->restore();
    showSpeed();
    m_controls.Slider1->setFocus();  // the first control in tab order that takes the focus
}

void MainWindow::Speed_Click(QAction* item)
{
    const int value = item->data().toInt();
    const Result chosen = value == -1 ? m_speed->slower() : value == 1 ? m_speed->faster() : m_speed->choose(value);
    // The menu goes on showing the speed that plays.
    if (!chosen.ok())
        logWarning(chosen.errorString());
    showSpeed();
}

void MainWindow::showSpeed()
{
    for (QAction* item : m_speedMenu->actions()) {
        if (item->isCheckable())
            item->setChecked(item->data().toInt() == m_speed->percent());
    }
    setWindowTitle(m_speed->captionWithSpeed(windowTitle()));
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    Form_Unload();
    event->accept();
}

void MainWindow::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    if (m_aboutBox)
        m_aboutBox->close();
    finishRecovery();
    m_engine.vbmp3_stop();
    m_engine.vbmp3_stopCallback();
    m_engine.vbmp3_free();
    // The window is gone: no more ticks reach the released engine.
    m_controls.Play_timer->stop();
    m_controls.Timer2->stop();
}

void MainWindow::keepRecoveryCopies(const QString& folder, int intervalMs)
{
    m_recovery = std::make_unique<RecoveryKeeper>(
        RecoveryKeeper::Sources{*m_document, m_prompts}, folder, intervalMs);
}

void MainWindow::offerRecovery()
{
    if (!m_recovery)
        return;
    RecoveryTargets targets{*m_document, *m_controls.FlxGrid, m_prompts,
                            [this](const QString& path) { m_fileCommands->reopenTrack(path); }};
    offerLeftCopies(m_recovery->folder(), targets);
}

void MainWindow::finishRecovery()
{
    if (m_recovery)
        m_recovery->finish();
}

void MainWindow::showAboutBox()
{
    auto* box = new AboutBox(m_engine, this);  // deletes itself when closed
    m_aboutBox = box;
    box->exec();
}

void MainWindow::calibrateStamping()
{
    std::int32_t seconds = 0;
    if (m_engine.vbmp3_getState(seconds) == EnginePlaying) {
        m_prompts.showMessage(busyMessage());
        return;
    }
    if (!m_cuePlayer) {
        m_prompts.showMessage(QStringLiteral("この音声出力ではタイミング補正を行えません"));
        return;
    }
    CalibrationDialog dialog(*m_cuePlayer, m_stampOffsetMs, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    m_stampOffsetMs = dialog.offsetMs();
    stamp_offset::save(m_stampOffsetMs);
    showStampOffset();
}

void MainWindow::showStampOffset()
{
    const QString offset = stamp_offset::text(m_stampOffsetMs);
    m_calibrate->setText(QStringLiteral("タイミング補正… (%1)").arg(offset));
    const QString effect = m_stampOffsetMs == 0 ? QStringLiteral("聞こえた位置をそのまま打刻します")
                           : QStringLiteral("聞こえた位置より %1 ms %2時刻を打刻します")
                                 .arg(std::abs(m_stampOffsetMs))
                                 .arg(m_stampOffsetMs > 0 ? QStringLiteral("早い") : QStringLiteral("遅い"));
    const QString mode = timesSegments() ? QStringLiteral("単語ごとにタイミング：押すたびに行の次の区切りを打刻します\n")
                                         : QString();
    m_controls.Cmd_TimeIn->setToolTip(mode + QStringLiteral("タイミング補正 %1：%2").arg(offset, effect));
}

bool MainWindow::timesSegments() const
{
    return m_segmentTiming->isChecked();
}

void MainWindow::setSegmentTiming(bool on)
{
    app_settings::setSegmentTiming(on);
    m_controls.FlxGrid->setSegmentMarksShown(on);
    showStampOffset();
}

void MainWindow::Play_timer_Timer()
{
    m_lyricsDisplay->RefreshLyricsLabels();
    m_controls.lblTime->setText(QStringLiteral("Now ") + PlayTimeText(m_engine));
    m_timeline->playTick();
}

std::int32_t MainWindow::positionAgo(qint64 agoMs)
{
    const std::int32_t now = m_engine.vbmp3_getWinampPlayMs();
    std::int32_t seconds = 0;
    if (agoMs <= 0 || m_engine.vbmp3_getState(seconds) != EnginePlaying)
        return now;
    // Slowed down, the track moved on less than the wall time since.
    return static_cast<std::int32_t>(std::max<qint64>(0, now - agoMs * m_speed->percent() / 100));
}

void MainWindow::Cmd_TimeIn_Click()
{
    // The position when the key or mouse button went down, not when it came back up.
    const std::int32_t heard = m_controls.Cmd_TimeIn->pressedAtMs().value_or(m_engine.vbmp3_getWinampPlayMs());
    // The offset is the user's delay in wall time; slowed down, the track moves on less meanwhile.
    const int offsetInTrackMs = m_stampOffsetMs * m_speed->percent() / 100;
    const std::int32_t ms = stamp_offset::stampMs(heard, offsetInTrackMs);
    stamp(time_tag::format(ms));
}

void MainWindow::Command1_Click()
{
    stamp(QString());
}

void MainWindow::stamp(const QString& tag)
{
    const bool segments = timesSegments();
    const Result stamped = !segments       ? m_document->stamp(tag)
                           : tag.isEmpty() ? m_document->passSegments()
                                           : m_document->stampSegment(tag);
    if (!stamped.ok())
        m_prompts.showMessage(stamped.errorString());
}

namespace {

// The one local file a drag carries; empty for anything else (text, several files, links).
QString droppedFile(const QMimeData* data)
{
    if (!data || !data->hasUrls() || data->urls().size() != 1 || !data->urls().first().isLocalFile())
        return {};
    return data->urls().first().toLocalFile();
}

}  // namespace

void MainWindow::openGivenFile(const QString& path)
{
    m_dispatcher->openGivenFile(path);
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event)
{
    if (!droppedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void MainWindow::dropEvent(QDropEvent* event)
{
    const QString path = droppedFile(event->mimeData());
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    // After the drop has ended: the file commands may show modal boxes.
    QTimer::singleShot(0, this, [this, path] { openGivenFile(path); });
}

}  // namespace lyricue
