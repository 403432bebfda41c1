#include "shell/about_box.h"

#include "audio/audio_engine.h"
#include "shell/control_fonts.h"
#include "shell/icon_resources.h"

#include <QApplication>
#include <QFrame>
#include <QLabel>
#include <QPushButton>

namespace lyricue {

namespace {

constexpr int kTwipsPerPixel = 15;

QRect twips(int left, int top, int width, int height)
{
    return {left / kTwipsPerPixel, top / kTwipsPerPixel, width / kTwipsPerPixel, height / kTwipsPerPixel};
}

QLabel* label(QWidget* parent, const char* name, const QString& text, const QRect& place, const QFont& font,
              Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignTop)
{
    auto* created = new QLabel(text, parent);
    created->setObjectName(QLatin1String(name));
    created->setGeometry(place);
    created->setFont(font);
    created->setAlignment(alignment);
    return created;
}

QFrame* line(QWidget* parent, const char* name, int y, const QColor& colour)
{
    auto* created = new QFrame(parent);
    created->setObjectName(QLatin1String(name));
    created->setGeometry(0, y / kTwipsPerPixel, parent->width(), 2);
    created->setAutoFillBackground(true);
    QPalette colours = created->palette();
    colours.setColor(QPalette::Window, colour);
    created->setPalette(colours);
    return created;
}

}  // namespace

QString engineVersionText(std::int32_t versionTimes100)
{
    const float version = static_cast<float>(versionTimes100 / 100.0);
    // Seven significant digits, no trailing zeros, an exponent only where seven
    // digits do not reach, as the general number form writes a single.
    return QStringLiteral("VBMP3 Ver. ") + QString::number(version, 'g', 7).toUpper();
}

QString applicationVersionText()
{
    return QStringLiteral("Ver. %1.%2.%3")
        .arg(LYRICUE_VERSION_MAJOR)
        .arg(LYRICUE_VERSION_MINOR)
        .arg(LYRICUE_VERSION_PATCH);
}

AboutBox::AboutBox(AudioEngine& engine, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      m_engine(engine)
{
    setObjectName(QStringLiteral("frmAbout"));
    setModal(true);
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(4590 / kTwipsPerPixel, 2130 / kTwipsPerPixel);
    setWindowTitle(QStringLiteral("ﾊﾞｰｼﾞｮﾝ情報"));
    setAutoFillBackground(true);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, QColor(224, 224, 224));
    setPalette(colours);

    auto* picture = new QLabel(this);
    picture->setObjectName(QStringLiteral("Picture1"));
    picture->setGeometry(twips(105, 75, 1020, 1020));
    picture->setPixmap(programIcon().pixmap(picture->size()));

    QFont titleFont = gothicFont(20.25);
    titleFont.setBold(true);
    m_lblTitle = label(this, "lblTitle", QStringLiteral("Lyricue"), twips(1590, 105, 2565, 480), titleFont);
    QFont versionFont = gothicFont(14.25);
    versionFont.setBold(true);
    m_lblVersion = label(this, "lblVersion", QStringLiteral("ＶＥＲ．"), twips(2205, 555, 1680, 270), versionFont,
                         Qt::AlignRight | Qt::AlignTop);
    label(this, "lblDescription", QStringLiteral("ＭＰ３歌詞ファイルユーティリティ"), twips(1425, 870, 2895, 300),
          gothicFont(9.75));
    QFont engineFont = gothicFont(11.25);
    engineFont.setItalic(true);
    m_vbmpVer = label(this, "Vbmp_Ver", QString(), twips(2055, 1155, 1995, 255), engineFont, Qt::AlignCenter);
    line(this, "Line1_1", 1485, QColor(128, 128, 128));
    line(this, "Line1_0", 1500, Qt::white);
    QLabel* disclaimer =
        label(this, "lblDisclaimer", QStringLiteral("このプログラムの著作権は Lyricue の開発者が保有しています。"),
              twips(195, 1620, 2760, 450), gothicFont(9));
    disclaimer->setWordWrap(true);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setGeometry(twips(3225, 1680, 1260, 345));
    ok->setDefault(true);  // Enter; Esc closes the box as a rejected dialog does
    connect(ok, &QPushButton::clicked, this, &AboutBox::cmdOK_Click);

    Form_Load();
}

void AboutBox::Form_Load()
{
    const std::int32_t version = m_engine.vbmp3_getVersion();
    setWindowTitle(QApplication::applicationName() + QStringLiteral("のﾊﾞｰｼﾞｮﾝ情報"));
    m_lblVersion->setText(applicationVersionText());
    m_lblTitle->setText(QApplication::applicationName());
    m_vbmpVer->setText(engineVersionText(version));
}

void AboutBox::cmdOK_Click()
{
    accept();
}

}  // namespace lyricue
