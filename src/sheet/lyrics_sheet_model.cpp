#include "lyrics_sheet_model.h"

#include <algorithm>

LyricsSheetModel::LyricsSheetModel(QObject* parent)
    : QAbstractTableModel(parent),
      m_cells(static_cast<std::size_t>(m_rows * m_cols)),
      m_alignments(static_cast<std::size_t>(m_cols), Qt::AlignLeft | Qt::AlignVCenter)
{
}

void LyricsSheetModel::setSheetRows(int rows)
{
    rows = std::max(rows, 1);
    if (rows == m_rows)
        return;
    // Line rows are model rows: sheet row r is model row r - 1.
    if (rows > m_rows) {
        beginInsertRows({}, m_rows - 1, rows - 2);
        m_cells.resize(static_cast<std::size_t>(rows * m_cols));
        m_rows = rows;
        endInsertRows();
    } else {
        beginRemoveRows({}, rows - 1, m_rows - 2);
        m_cells.resize(static_cast<std::size_t>(rows * m_cols));
        m_rows = rows;
        endRemoveRows();
    }
}

void LyricsSheetModel::setSheetCols(int cols)
{
    cols = std::max(cols, 1);
    if (cols == m_cols)
        return;
    beginResetModel();
    std::vector<QString> cells(static_cast<std::size_t>(m_rows * cols));
    for (int row = 0; row < m_rows; ++row) {
        for (int column = 0; column < std::min(cols, m_cols); ++column)
            cells[static_cast<std::size_t>(row * cols + column)] =
                std::move(m_cells[static_cast<std::size_t>(row * m_cols + column)]);
    }
    m_cells = std::move(cells);
    m_cols = cols;
    m_alignments.resize(static_cast<std::size_t>(cols), Qt::AlignLeft | Qt::AlignVCenter);
    endResetModel();
}

void LyricsSheetModel::setCell(int index, const QString& text)
{
    m_cells[static_cast<std::size_t>(index)] = text;
    const int row = index / m_cols;
    const int column = index % m_cols;
    if (row == 0) {
        emit headerDataChanged(Qt::Horizontal, column, column);
    } else {
        const QModelIndex changed = this->index(row - 1, column);
        emit dataChanged(changed, changed, {Qt::DisplayRole});
    }
}

void LyricsSheetModel::setCells(int first, QStringList texts)
{
    // Texts that would run past the last cell are dropped, never written outside the sheet.
    const qsizetype room = std::max<qsizetype>(0, static_cast<qsizetype>(m_cells.size()) - first);
    if (first < 0 || room == 0 || texts.isEmpty())
        return;
    if (texts.size() > room)
        texts.resize(room);
    const int last = first + static_cast<int>(texts.size()) - 1;
    for (int index = first; index <= last; ++index)
        m_cells[static_cast<std::size_t>(index)] = std::move(texts[index - first]);
    const int firstRow = first / m_cols;
    const int lastRow = last / m_cols;
    if (firstRow == 0)
        emit headerDataChanged(Qt::Horizontal, first, std::min(last, m_cols - 1));
    if (lastRow > 0) {
        // Whole rows: a cell range is a rectangle, and the rows in between change whole.
        const int topRow = std::max(firstRow, 1);
        emit dataChanged(index(topRow - 1, 0), index(lastRow - 1, m_cols - 1), {Qt::DisplayRole});
    }
}

void LyricsSheetModel::setAlignment(int column, Qt::Alignment alignment)
{
    m_alignments[static_cast<std::size_t>(column)] = alignment | Qt::AlignVCenter;
    emit headerDataChanged(Qt::Horizontal, column, column);
    if (m_rows > 1)
        emit dataChanged(index(0, column), index(m_rows - 2, column), {Qt::TextAlignmentRole});
}

void LyricsSheetModel::clearCells()
{
    std::fill(m_cells.begin(), m_cells.end(), QString());
    emit headerDataChanged(Qt::Horizontal, 0, m_cols - 1);
    if (m_rows > 1)
        emit dataChanged(index(0, 0), index(m_rows - 2, m_cols - 1), {Qt::DisplayRole});
}

int LyricsSheetModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_rows - 1;
}

int LyricsSheetModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_cols;
}

QVariant LyricsSheetModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    if (role == Qt::DisplayRole)
        return cell((index.row() + 1) * m_cols + index.column());
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(m_alignments[static_cast<std::size_t>(index.column())]);
    return {};
}

QVariant LyricsSheetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= m_cols)
        return {};
    if (role == Qt::DisplayRole)
        return cell(section);
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(m_alignments[static_cast<std::size_t>(section)]);
    return {};
}

Qt::ItemFlags LyricsSheetModel::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}
