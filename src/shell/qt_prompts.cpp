#include "shell/qt_prompts.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>

namespace lyricue {

namespace {

// "Shown text|*.a;*.b|..." to Qt name filters "Shown text (*.a *.b)". The shown
// text may itself end in parentheses; Qt takes the last group as the patterns.
// "*.*" means every file, as on Windows; to Qt it means names with a dot.
QStringList qtNameFilters(const QString& filter)
{
    const QStringList parts = filter.split(u'|');
    QStringList result;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts.at(i + 1).split(u';', Qt::SkipEmptyParts);
        for (QString& pattern : patterns) {
            if (pattern == QStringLiteral("*.*"))
                pattern = QStringLiteral("*");
        }
        result.append(parts.at(i) + QStringLiteral(" (") + patterns.join(u' ') + u')');
    }
    return result;
}

}  // namespace

QtPrompts::QtPrompts(QWidget* parent) : m_parent(parent) {}

void QtPrompts::setParentWidget(QWidget* parent)
{
    m_parent = parent;
}

void QtPrompts::showMessage(const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), text, QMessageBox::Ok, m_parent);
    box.exec();
}

int QtPrompts::askYesNoCancel(const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), text,
                    QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, m_parent);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Yes:
        return AnswerYes;
    case QMessageBox::No:
        return AnswerNo;
    default:
        return AnswerCancel;
    }
}

int QtPrompts::askYesNo(const QString& text)
{
    QMessageBox box(QMessageBox::NoIcon, QApplication::applicationName(), text,
                    QMessageBox::Yes | QMessageBox::No, m_parent);
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes ? AnswerYes : AnswerNo;
}

bool QtPrompts::showOpenDialog(FileDialogSettings& settings)
{
    return showFileDialog(settings, false);
}

bool QtPrompts::showSaveDialog(FileDialogSettings& settings)
{
    return showFileDialog(settings, true);
}

bool QtPrompts::showFileDialog(FileDialogSettings& settings, bool save)
{
    QFileDialog dialog(m_parent);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode((settings.flags & FileDialogSettings::FileMustExist) ? QFileDialog::ExistingFile
                                                                            : QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite,
                     !(settings.flags & FileDialogSettings::OverwritePrompt));
    // Music and lyrics files from Windows often have upper-case extensions.
    dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);

    const QStringList filters = qtNameFilters(settings.filter);
    if (!filters.isEmpty()) {
        dialog.setNameFilters(filters);
        const qsizetype index = settings.filterIndex - 1;
        dialog.selectNameFilter(filters.at(index >= 0 && index < filters.size() ? index : 0));
    }
    if (!settings.fileName.isEmpty())
        dialog.selectFile(settings.fileName);

    if (dialog.exec() != QDialog::Accepted)
        return false;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty())
        return false;
    settings.fileName = chosen.first();
    const qsizetype filterIndex = filters.indexOf(dialog.selectedNameFilter());
    if (filterIndex >= 0)
        settings.filterIndex = static_cast<int>(filterIndex) + 1;
    return true;
}

}  // namespace lyricue
