#include "shell/window_controls.h"

#include "shell/control_fonts.h"
#include "display/wipe_label.h"
#include "shell/enter_key_as_space.h"
#include "sheet/lyrics_sheet.h"
#include "shell/stamp_button.h"
#include "playback/volume_slider.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTimer>
#include <QToolBar>

namespace lyricue {

namespace {

constexpr int TwipsPerPixel = 15;

void place(QWidget& control, const char* name, int left, int top, int width, int height)
{
    control.setObjectName(QLatin1String(name));
    control.setGeometry(left / TwipsPerPixel, top / TwipsPerPixel, width / TwipsPerPixel,
                        height / TwipsPerPixel);
}

void setColours(QWidget& control, QPalette::ColorRole background, const QColor& backColour,
                QPalette::ColorRole foreground, const QColor& foreColour)
{
    QPalette palette = control.palette();
    palette.setColor(background, backColour);
    palette.setColor(foreground, foreColour);
    control.setPalette(palette);
}

QLabel* timeLabel(QWidget& client, const char* name, const QString& text, const QColor& background, int top)
{
    auto* label = new QLabel(text, &client);
    place(*label, name, 5145, top, 2280, 360);
    label->setTextFormat(Qt::PlainText);
    label->setAlignment(Qt::AlignCenter);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setAutoFillBackground(true);
    label->setFont(systemFont(13.5));
    setColours(*label, QPalette::Window, background, QPalette::WindowText, Qt::black);
    return label;
}

QPushButton* colouredButton(QWidget& client, const QString& text, const QColor& colour)
{
    auto* button = new QPushButton(text, &client);
    setColours(*button, QPalette::Button, colour, QPalette::ButtonText, Qt::black);
    return button;
}

}  // namespace

WindowControls createControls(QWidget& client, AudioEngine& engine, LyricsDocument& document)
{
    WindowControls c{};

    c.Toolbar1 = new QToolBar(&client);
    c.Toolbar1->setObjectName(QStringLiteral("Toolbar1"));
    // Docked along the top edge; the labels below start 44 pixels down.
    c.Toolbar1->setGeometry(0, 0, client.width(), 44);

    c.lblTime = timeLabel(client, "lblTime", QStringLiteral("Now 00:00:00"), QColor(192, 255, 192), 675);
    c.lbl_time2 = timeLabel(client, "lbl_time2", QStringLiteral("Time 00:00:00"), QColor(255, 255, 192), 1065);

    // White text on the system's menu-text colour.
    const QColor menuText = QApplication::palette("QMenu").color(QPalette::Active, QPalette::WindowText);
    for (int index = 0; index < 5; ++index) {
        // The middle label shows the sung part of a line timed word by word.
        auto* label = index == 2 ? new WipeLabel(&client) : new QLabel(&client);
        place(*label, "Lbl_1", 75, 660 + 360 * index, 5040, 360);
        label->setProperty("index", index);
        label->setTextFormat(Qt::PlainText);
        label->setAlignment(Qt::AlignCenter);
        label->setAutoFillBackground(true);
        label->setFont(gothicFont(9.75));
        setColours(*label, QPalette::Window, menuText, QPalette::WindowText, Qt::white);
        c.Lbl_1[index] = label;
    }

    c.Cmd_TimeIn = new StampButton(QStringLiteral("Time Input"), &client);
    setColours(*c.Cmd_TimeIn, QPalette::Button, QColor(192, 192, 255), QPalette::ButtonText, Qt::black);
    place(*c.Cmd_TimeIn, "Cmd_TimeIn", 5160, 1455, 1560, 930);
    c.Cmd_TimeIn->setFont(minchoFont(12));
    c.Command1 = colouredButton(client, QStringLiteral("Space"), QColor(255, 224, 192));
    place(*c.Command1, "Command1", 6720, 1455, 720, 930);
    EnterKeyAsSpace::install(*c.Cmd_TimeIn);
    EnterKeyAsSpace::install(*c.Command1);

    c.timebar = new QScrollBar(Qt::Horizontal, &client);
    place(*c.timebar, "timebar", 45, 2520, 5100, 210);
    c.timebar->setRange(0, 32767);
    c.timebar->setSingleStep(1);
    c.timebar->setPageStep(1);
    c.timebar->setFocusPolicy(Qt::StrongFocus);

    c.Label8 = new QLabel(QStringLiteral("Vol"), &client);
    place(*c.Label8, "Label8", 5280, 2490, 300, 180);
    c.Label8->setFont(gothicFont(9));
    QPalette labelPalette = c.Label8->palette();
    labelPalette.setColor(QPalette::WindowText, Qt::black);
    c.Label8->setPalette(labelPalette);

    c.Slider1 = new VolumeSlider(engine, &client);
    place(*c.Slider1, "Slider1", 5640, 2505, 1710, 225);

    c.Time_Txt = new QLineEdit(&client);
    place(*c.Time_Txt, "Time_Txt", 45, 2775, 1215, 345);
    c.Grid_Txt = new QLineEdit(&client);
    place(*c.Grid_Txt, "Grid_Txt", 1305, 2775, 6090, 345);

    // A size smaller than the window's, so that a whole 10-character tag fits the
    // tag column's 1100 twips after a load.
    c.FlxGrid = new LyricsSheet(document, gothicFont(9.75), &client);
    place(*c.FlxGrid, "FlxGrid", 15, 3150, 7455, 4155);

    c.Play_timer = new QTimer(&client);
    c.Play_timer->setObjectName(QStringLiteral("Play_timer"));
    c.Play_timer->setInterval(200);
    c.Timer2 = new QTimer(&client);
    c.Timer2->setObjectName(QStringLiteral("Timer2"));
    c.Timer2->setInterval(1000);

    // Tab indexes 0 to 15 run lblTime, Label8, lbl_time2, Slider1, FlxGrid, Lbl_1(0),
    // Cmd_TimeIn, Lbl_1(1) to (4), Grid_Txt, Time_Txt, timebar, Toolbar1, Command1; the
    // labels never take the focus, so the chain holds the others in that order.
    QWidget* const tabOrder[] = {c.Slider1,  c.FlxGrid, c.Cmd_TimeIn, c.Grid_Txt,
                                 c.Time_Txt, c.timebar, c.Toolbar1,   c.Command1};
    for (std::size_t i = 1; i < std::size(tabOrder); ++i)
        QWidget::setTabOrder(tabOrder[i - 1], tabOrder[i]);
    return c;
}

}  // namespace lyricue
