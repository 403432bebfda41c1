#pragma once

#include <QAbstractTableModel>

#include <vector>

namespace lyricue {

class LyricsDocument;

// The table model through which the sheet shows a lyrics document: the header
// cells as the table's header, line n as model row n. It holds no cell of its
// own, only the columns' alignment.
class LyricsSheetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit LyricsSheetModel(LyricsDocument& document, QObject* parent = nullptr);

    LyricsDocument& document() const { return m_document; }
    void setAlignment(int column, Qt::Alignment alignment);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    LyricsDocument& m_document;
    std::vector<Qt::Alignment> m_alignments;
};

}  // namespace lyricue
