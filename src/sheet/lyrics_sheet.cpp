#include "sheet/lyrics_sheet.h"

#include "document/lyrics_document.h"
#include "sheet/lyrics_sheet_model.h"
#include "sheet/sheet_cell_delegate.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStringList>
#include <QStyledItemDelegate>

#include <algorithm>

namespace lyricue {

namespace {

constexpr int kTwipsPerPixel = 15;

}  // namespace

LyricsSheet::LyricsSheet(QWidget* parent)
    : QTableView(parent), m_document(new LyricsDocument(this)), m_model(new LyricsSheetModel(*m_document, this))
{
    setUp();
}

LyricsSheet::LyricsSheet(const QFont& font, QWidget* parent)
    : QTableView(parent), m_document(new LyricsDocument(this)), m_model(new LyricsSheetModel(*m_document, this))
{
    setFont(font);
    setUp();
}

LyricsSheet::LyricsSheet(LyricsDocument& document, const QFont& font, QWidget* parent)
    : QTableView(parent), m_document(&document), m_model(new LyricsSheetModel(document, this))
{
    setFont(font);
    setUp();
}

void LyricsSheet::setUp()
{
    setModel(m_model);
    m_delegate = new SheetCellDelegate(*m_document, this);
    setItemDelegate(m_delegate);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setSelectionBehavior(QAbstractItemView::SelectItems);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setHorizontalScrollMode(QAbstractItemView::ScrollPerPixel);
    // Moving the current row by program must not scroll: stamping scrolls on its own terms.
    setAutoScroll(false);
    setWordWrap(false);
    verticalHeader()->hide();
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    horizontalHeader()->setSectionsClickable(false);
    horizontalHeader()->setHighlightSections(false);
    horizontalHeader()->setStretchLastSection(false);
    horizontalHeader()->viewport()->installEventFilter(this);
    connect(this, &QAbstractItemView::clicked, this, &LyricsSheet::sheetClicked);
    // While a load replaces the rows the view moves its current cell on its own: the
    // document's cursor is shown once the new rows are in.
    connect(m_document, &LyricsDocument::contentAboutToBeReplaced, this, [this] { m_replacing = true; });
    connect(m_document, &LyricsDocument::contentReplaced, this, &LyricsSheet::showReplacedContent);
    connect(m_document, &LyricsDocument::cursorChanged, this, &LyricsSheet::showCursor);
    // The mark follows the segment cursor, which moves within a row: the text cells it
    // leaves and enters are painted again, not the whole sheet.
    connect(m_document, &LyricsDocument::cursorChanged, this, [this] {
        if (!m_delegate->marksShown())
            return;
        const int line = m_document->StampRow();
        for (const int changed : {m_markedLine, line})
            viewport()->update(visualRect(m_model->index(changed, 1)));
        m_markedLine = line;
    });
    // A row the user moves to (click, keys) is the document's current row.
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex& current) {
        if (current.isValid() && !m_replacing)
            m_document->setRow(current.row() + 1);
    });
    fitRowHeightToFont();
}

void LyricsSheet::showReplacedContent()
{
    // The header's shaping moves the current cell to row 1, as setting the columns does;
    // the cursor that came with the content stays.
    const StampCursor cursor = m_document->cursor();
    setHeaderFormat(QStringLiteral("<Time Tag|<歌詞"));
    setColWidth(0, 1100);
    setColWidth(1, 6250);
    m_replacing = false;
    m_document->setCursor(cursor);
    setTopRow(1);
    showCursor(CursorChange::Restored);
}

void LyricsSheet::showCursor(CursorChange why)
{
    const int row = m_document->row();
    const int column = currentIndex().isValid() ? currentIndex().column() : 0;
    const QModelIndex target = m_model->index(row - 1, column);
    if (!target.isValid())
        return;
    if (target != currentIndex())
        selectionModel()->setCurrentIndex(target, QItemSelectionModel::ClearAndSelect);
    if (why == CursorChange::Stamped && row > 7)
        setTopRow(topRow() + 1);  // stamping scrolls one line per stamp from row 8 on
    else if (why == CursorChange::Restored)
        scrollTo(target);
}

LyricsSheet::~LyricsSheet() = default;

int LyricsSheet::rows() const
{
    return m_document->rows();
}

void LyricsSheet::setRows(int rows)
{
    m_document->setRows(rows);
    if (m_model->rowCount() > 0 && !currentIndex().isValid())
        showCursor(CursorChange::Moved);
}

int LyricsSheet::cols() const
{
    return m_document->cols();
}

void LyricsSheet::setCols(int /*cols*/)
{
    if (m_model->rowCount() > 0)
        setRow(1);
}

int LyricsSheet::row() const
{
    return m_document->lineRows() > 0 ? m_document->row() : 0;
}

void LyricsSheet::setRow(int row)
{
    if (row < 1 || row > m_document->lineRows())
        return;
    m_document->setRow(row);
    // The document's row may be this one already while the view shows none.
    showCursor(CursorChange::Moved);
}

int LyricsSheet::rowSel() const
{
    return row();  // single selection: the far end is the current cell
}

int LyricsSheet::colSel() const
{
    return currentIndex().isValid() ? currentIndex().column() : 0;
}

int LyricsSheet::topRow() const
{
    return verticalScrollBar()->value() + 1;
}

void LyricsSheet::setTopRow(int row)
{
    // The scroll range follows the model only after the delayed layout; settle it first.
    executeDelayedItemsLayout();
    updateGeometries();
    QScrollBar* bar = verticalScrollBar();
    bar->setValue(std::clamp(row - 1, bar->minimum(), bar->maximum()));
}

QString LyricsSheet::cellAt(int index) const
{
    return m_document->cellAt(index);
}

void LyricsSheet::setCellAt(int index, const QString& text)
{
    m_document->setCellAt(index, text);
}

void LyricsSheet::setCellsAt(int firstIndex, QStringList texts)
{
    m_document->setCellsAt(firstIndex, std::move(texts));
}

void LyricsSheet::setColWidth(int column, int twips)
{
    setColumnWidth(column, twips / kTwipsPerPixel);
}

void LyricsSheet::setHeaderFormat(const QString& format)
{
    const QStringList columns = format.split(u'|');
    setCols(static_cast<int>(columns.size()));
    for (int column = 0; column < std::min<int>(static_cast<int>(columns.size()), cols()); ++column) {
        QString text = columns[column];
        Qt::Alignment alignment = Qt::AlignLeft;
        if (text.startsWith(u'<')) {
            text.remove(0, 1);
        } else if (text.startsWith(u'^')) {
            alignment = Qt::AlignHCenter;
            text.remove(0, 1);
        } else if (text.startsWith(u'>')) {
            alignment = Qt::AlignRight;
            text.remove(0, 1);
        }
        m_model->setAlignment(column, alignment);
        m_document->setCellAt(column, text);
    }
}

void LyricsSheet::clear()
{
    m_document->clear();
}

void LyricsSheet::setFocusRect(int style)
{
    setProperty("focusRect", style);
    // Not a style sheet: "outline: 0" leaves the Fusion style's focus frame drawn, and a
    // style sheet makes every later polish and paint of the sheet dearer.
    m_delegate->setDrawsFocusRect(style != 0);
    viewport()->update();
}

void LyricsSheet::setSegmentMarksShown(bool shown)
{
    m_delegate->setMarksShown(shown);
    m_markedLine = m_document->StampRow();
    viewport()->update();
}

std::optional<ShownRange> LyricsSheet::markedSegment() const
{
    return m_delegate->marksShown() ? nextSegmentRange(*m_document) : std::nullopt;
}

void LyricsSheet::setHighLight(int mode)
{
    // Keep the inactive selection as visible as the active one.
    QPalette colours = palette();
    if (mode != 0) {
        colours.setColor(QPalette::Inactive, QPalette::Highlight, colours.color(QPalette::Active, QPalette::Highlight));
        colours.setColor(QPalette::Inactive, QPalette::HighlightedText,
                         colours.color(QPalette::Active, QPalette::HighlightedText));
    }
    setPalette(colours);
}

void LyricsSheet::fitRowHeightToFont()
{
    // One line of text with a little air, as a grid of lyric lines should look.
    const int height = fontMetrics().height() + 4;
    verticalHeader()->setMinimumSectionSize(height);
    verticalHeader()->setDefaultSectionSize(height);
}

void LyricsSheet::changeEvent(QEvent* event)
{
    QTableView::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        fitRowHeightToFont();
}

void LyricsSheet::keyPressEvent(QKeyEvent* event)
{
    QTableView::keyPressEvent(event);
    // With automatic scrolling off, keep the cell the user moves to in view.
    if (currentIndex().isValid())
        scrollTo(currentIndex());
}

bool LyricsSheet::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == horizontalHeader()->viewport() && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
        emit sheetClicked();
    return QTableView::eventFilter(watched, event);
}

QString CellText(const LyricsSheet& sheet, int row, int column)
{
    return CellText(sheet.document(), row, column);
}

int LineTagIndex(const LyricsSheet& sheet, int line)
{
    return LineTagIndex(sheet.document(), line);
}

}  // namespace lyricue
