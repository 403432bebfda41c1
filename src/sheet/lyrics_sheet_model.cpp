#include "sheet/lyrics_sheet_model.h"

#include "document/lyrics_document.h"
#include "text/lyric_segments.h"

namespace lyricue {

LyricsSheetModel::LyricsSheetModel(LyricsDocument& document, QObject* parent)
    : QAbstractTableModel(parent),
      m_document(document),
      m_alignments(static_cast<std::size_t>(LyricsDocument::cols()), Qt::AlignLeft | Qt::AlignVCenter)
{
    const int lastColumn = LyricsDocument::cols() - 1;
    connect(&document, &LyricsDocument::headerChanged, this,
            [this, lastColumn] { emit headerDataChanged(Qt::Horizontal, 0, lastColumn); });
    connect(&document, &LyricsDocument::linesChanged, this, [this, lastColumn](int first, int last) {
        emit dataChanged(index(first, 0), index(last, lastColumn), {Qt::DisplayRole});
    });
    connect(&document, &LyricsDocument::linesAboutToBeInserted, this,
            [this](int first, int last) { beginInsertRows({}, first, last); });
    connect(&document, &LyricsDocument::linesInserted, this, [this] { endInsertRows(); });
    connect(&document, &LyricsDocument::linesAboutToBeRemoved, this,
            [this](int first, int last) { beginRemoveRows({}, first, last); });
    connect(&document, &LyricsDocument::linesRemoved, this, [this] { endRemoveRows(); });
    connect(&document, &LyricsDocument::contentAboutToBeReplaced, this, [this] { beginResetModel(); });
    connect(&document, &LyricsDocument::contentReplaced, this, [this] { endResetModel(); });
}

void LyricsSheetModel::setAlignment(int column, Qt::Alignment alignment)
{
    m_alignments[static_cast<std::size_t>(column)] = alignment | Qt::AlignVCenter;
    emit headerDataChanged(Qt::Horizontal, column, column);
    if (rowCount() > 0)
        emit dataChanged(index(0, column), index(rowCount() - 1, column), {Qt::TextAlignmentRole});
}

int LyricsSheetModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : m_document.lineRows();
}

int LyricsSheetModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : LyricsDocument::cols();
}

QVariant LyricsSheetModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    if (role == Qt::DisplayRole) {
        const QString cell = m_document.cellAt((index.row() + 1) * LyricsDocument::cols() + index.column());
        // A text timed word by word shows as it is sung; its edit box keeps the marks.
        if (index.column() == 1 && (cell.contains(u'|') || cell.contains(u'[')))
            return lyric_segments::shownText(cell);
        return cell;
    }
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(m_alignments[static_cast<std::size_t>(index.column())]);
    return {};
}

QVariant LyricsSheetModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section >= LyricsDocument::cols())
        return {};
    if (role == Qt::DisplayRole)
        return m_document.cellAt(section);
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(m_alignments[static_cast<std::size_t>(section)]);
    return {};
}

Qt::ItemFlags LyricsSheetModel::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

}  // namespace lyricue
