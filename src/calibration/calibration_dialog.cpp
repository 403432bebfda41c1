#include "calibration/calibration_dialog.h"

#include "audio/cue_player.h"
#include "calibration/stamp_offset.h"

#include <QApplication>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <cmath>
#include <memory>

namespace lyricue {

namespace {

// Every delay measured has one click it can follow: the gap between clicks is wider than the
// range of delays.
static_assert(60000.0 / ClickTrack::Beat{}.beatsPerMinute > TapAnalysis::kLatestMs - TapAnalysis::kEarliestMs);

QString signedMs(double ms)
{
    return stamp_offset::text(int(std::lround(ms)));
}

QString tapLine(int number, const TapAnalysis::Tap& tap)
{
    const QString head = QStringLiteral("%1 回目　").arg(number);
    switch (tap.verdict) {
    case TapAnalysis::Verdict::Kept:
        return head + QStringLiteral("クリック %1　%2").arg(tap.click + 1).arg(signedMs(tap.offsetMs));
    case TapAnalysis::Verdict::Double:
        return head + QStringLiteral("クリック %1　%2（二度押し：除外）").arg(tap.click + 1).arg(signedMs(tap.offsetMs));
    case TapAnalysis::Verdict::Outlier:
        return head + QStringLiteral("クリック %1　%2（外れ値：除外）").arg(tap.click + 1).arg(signedMs(tap.offsetMs));
    case TapAnalysis::Verdict::Stray:
        break;
    }
    return head + QStringLiteral("クリックから遠い打鍵（除外）");
}

// Why a run gave no offset, and what to do differently.
QString refusalText(const TapAnalysis& analysis)
{
    switch (analysis.refusal) {
    case TapAnalysis::Refusal::TooFew:
        return QStringLiteral("クリックに合った打鍵が %1 回だけでした（%2 回以上必要）。クリックが鳴るたびに押してください。")
            .arg(analysis.kept)
            .arg(analysis.neededKept);
    case TapAnalysis::Refusal::ExtraTaps:
        return QStringLiteral("クリックに合わない打鍵が %1 回ありました。クリックが鳴ったときだけ押してください。")
            .arg(analysis.leftOut);
    case TapAnalysis::Refusal::Scattered:
        return QStringLiteral("打鍵のずれがばらつきすぎています。クリックに合わせて一定の間隔で押してください。");
    case TapAnalysis::Refusal::None:
        break;
    }
    return {};
}

}  // namespace

CalibrationDialog::CalibrationDialog(CuePlayer& player, int offsetMs, QWidget* parent)
    : QDialog(parent)
    , m_player(player)
{
    setObjectName(QStringLiteral("CalibrationDialog"));
    setWindowTitle(QStringLiteral("タイミング補正"));
    const ClickTrack click(m_beat);
    m_clicksMs = click.clickTimesMs();

    auto* explanation = new QLabel(
        QStringLiteral("打刻は、聞こえてからキーを押すまでの遅れと音声出力の遅れの分だけ遅れます。\n"
                       "「開始」でクリック音が %1 秒ごとに %2 回鳴ります。鳴るたびにスペースキーを押してください。\n"
                       "各打鍵のずれの中央値を補正値とし、以後の打刻はその分だけ早い時刻になります。")
            .arg(QString::number(click.beatMs() / 1000.0))
            .arg(m_beat.count),
        this);
    m_start = new QPushButton(QStringLiteral("開始"), this);
    m_start->setObjectName(QStringLiteral("start"));
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("status"));
    m_status->setWordWrap(true);
    m_taps = new QListWidget(this);
    m_taps->setObjectName(QStringLiteral("taps"));
    m_taps->setFocusPolicy(Qt::NoFocus);
    m_result = new QLabel(this);
    m_result->setObjectName(QStringLiteral("result"));
    m_result->setWordWrap(true);

    m_offset = new QSpinBox(this);
    m_offset->setObjectName(QStringLiteral("offset"));
    m_offset->setRange(stamp_offset::kLowestMs, stamp_offset::kHighestMs);
    m_offset->setSuffix(QStringLiteral(" ms"));
    m_offset->setValue(offsetMs);
    auto* reset = new QPushButton(QStringLiteral("0 に戻す"), this);
    reset->setObjectName(QStringLiteral("reset"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);

    auto* offsetRow = new QHBoxLayout;
    offsetRow->addWidget(new QLabel(QStringLiteral("補正値（-1000 ～ +1000）:"), this));
    offsetRow->addWidget(m_offset);
    offsetRow->addWidget(reset);
    offsetRow->addStretch();
    auto* startRow = new QHBoxLayout;
    startRow->addWidget(m_start);
    startRow->addWidget(m_status, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(explanation);
    layout->addLayout(startRow);
    layout->addWidget(m_taps, 1);
    layout->addWidget(m_result);
    layout->addLayout(offsetRow);
    layout->addWidget(buttons);
    resize(520, 420);

    connect(m_start, &QPushButton::clicked, this, &CalibrationDialog::startRun);
    connect(reset, &QPushButton::clicked, this, [this] { m_offset->setValue(0); });
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    m_poll.setInterval(50);
    connect(&m_poll, &QTimer::timeout, this, &CalibrationDialog::poll);
    showAnalysis();
}

CalibrationDialog::~CalibrationDialog()
{
    if (m_running)
        finishRun();
}

int CalibrationDialog::offsetMs() const
{
    return m_offset->value();
}

void CalibrationDialog::done(int result)
{
    if (m_running)
        finishRun();
    QDialog::done(result);
}

void CalibrationDialog::startRun()
{
    if (m_running)
        finishRun();
    m_tapsMs.clear();
    m_finished = false;
    if (!m_player.startCue(std::make_unique<ClickTrack>(m_beat)).ok()) {
        m_player.endCue();
        m_status->setText(QStringLiteral("クリック音を再生できません。音声出力を確かめてください。"));
        return;
    }
    m_running = true;
    qApp->installEventFilter(this);
    m_start->setEnabled(false);
    m_status->setText(QStringLiteral("再生中：クリックに合わせてスペースキーを押してください"));
    showAnalysis();
    m_poll.start();
}

void CalibrationDialog::tap()
{
    const std::optional<double> heard = m_player.cueHeardMs();
    if (!heard) {
        finishRun();
        return;
    }
    m_tapsMs.push_back(*heard);
    showAnalysis();
}

void CalibrationDialog::poll()
{
    if (!m_player.cueHeardMs())
        finishRun();
}

void CalibrationDialog::finishRun()
{
    m_running = false;
    m_finished = true;
    m_poll.stop();
    qApp->removeEventFilter(this);
    m_player.endCue();
    m_start->setEnabled(true);
    m_start->setText(QStringLiteral("もう一度"));
    showAnalysis();
    if (m_analysis.medianMs) {
        m_offset->setValue(int(std::lround(*m_analysis.medianMs)));
        m_status->setText(QStringLiteral("終了：中央値を補正値にしました。OK で保存します。"));
    } else {
        m_status->setText(QStringLiteral("終了：補正値は変えていません。「もう一度」で測り直してください。"));
    }
}

void CalibrationDialog::showAnalysis()
{
    m_analysis = TapAnalysis::of(m_clicksMs, m_tapsMs);
    m_taps->clear();
    for (std::size_t index = 0; index < m_analysis.taps.size(); ++index)
        m_taps->addItem(tapLine(int(index) + 1, m_analysis.taps[index]));
    m_taps->scrollToBottom();
    if (m_analysis.medianMs) {
        m_result->setText(QStringLiteral("中央値 %1　ばらつき ±%2 ms　（%3 / %4 回を採用）")
                              .arg(signedMs(*m_analysis.medianMs))
                              .arg(std::lround(m_analysis.spreadMs))
                              .arg(m_analysis.kept)
                              .arg(m_clicksMs.size()));
    } else if (m_finished) {
        m_result->setText(refusalText(m_analysis));
    } else {
        m_result->setText(QStringLiteral("中央値 ―　（採用 %1 回：%2 回以上必要）")
                              .arg(m_analysis.kept)
                              .arg(m_analysis.neededKept));
    }
}

bool CalibrationDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (m_running && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        auto* widget = qobject_cast<QWidget*>(watched);
        if (key->key() == Qt::Key_Space && widget && (widget == this || isAncestorOf(widget))) {
            if (!key->isAutoRepeat())
                tap();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace lyricue
