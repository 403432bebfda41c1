#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <QStringList>

#include <vector>

// The cells of the sheet, row-major, header row included, behind a table model
// that shows the header row as the table's header.
class LyricsSheetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit LyricsSheetModel(QObject* parent = nullptr);

    int sheetRows() const { return m_rows; }
    int sheetCols() const { return m_cols; }
    void setSheetRows(int rows);
    void setSheetCols(int cols);
    const QString& cell(int index) const { return m_cells[static_cast<std::size_t>(index)]; }
    void setCell(int index, const QString& text);
    // Cells first, first + 1, ... take the texts, with one change notification.
    void setCells(int first, QStringList texts);
    void setAlignment(int column, Qt::Alignment alignment);
    void clearCells();

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

private:
    int m_rows = 1;
    int m_cols = 2;
    std::vector<QString> m_cells;  // m_rows * m_cols
    std::vector<Qt::Alignment> m_alignments;
};
