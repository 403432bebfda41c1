// The baseline of the start-up benchmark: the least a Qt program showing a window
// with a two-column table does, with nothing of Lyricue in it.
#include <QApplication>
#include <QStandardItemModel>
#include <QTableView>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QStandardItemModel model(0, 2);
    QTableView table;
    table.setModel(&model);
    table.resize(499, 488);
    table.show();
    return QApplication::exec();
}

