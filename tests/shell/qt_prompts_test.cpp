#include "shell/qt_prompts.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace lyricue {

namespace {

// Runs `handle` on the modal box once it is shown, then makes sure the box is
// gone, so that a failed check never leaves the test waiting in exec().
void whenModalShown(std::function<void(QWidget*)> handle)
{
    auto* poll = new QTimer;
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, [poll, handle] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible())
            return;
        poll->stop();
        poll->deleteLater();
        handle(modal);
        if (auto* dialog = qobject_cast<QDialog*>(modal); dialog && dialog->isVisible())
            dialog->reject();
    });
    poll->start();
}

// How long a check waits for its condition before it fails: only a guard against a
// test that would otherwise wait for ever, never a time anything is expected to take.
constexpr int FailureGuardMs = 60000;

const QString AppFilter =
    QStringLiteral("MP File(*.mp3,*.rmp)|*.mp3;*.rmp|歌詞 File(*.txt)|*.txt|All File(*.*)|*.*");

struct QuestionCase {
    const char* how;
    bool yesNo;  // askYesNo; otherwise askYesNoCancel
    std::function<void(QMessageBox*)> close;
    int expected;
};

TEST(QtPrompts, QuestionsHaveTheirButtonsAndDefaultAndEveryWayOutAnswers)
{
    const auto click = [](QMessageBox::StandardButton button) {
        return [button](QMessageBox* box) { box->button(button)->click(); };
    };
    const auto key = [](Qt::Key key) { return [key](QMessageBox* box) { QTest::keyClick(box, key); }; };
    const auto closeBox = [](QMessageBox* box) { box->close(); };
    const QuestionCase cases[] = {
        {"Yes button", false, click(QMessageBox::Yes), AnswerYes},
        {"No button", false, click(QMessageBox::No), AnswerNo},
        {"Cancel button", false, click(QMessageBox::Cancel), AnswerCancel},
        {"Return key", false, key(Qt::Key_Return), AnswerYes},
        {"Escape key", false, key(Qt::Key_Escape), AnswerCancel},
        {"close box", false, closeBox, AnswerCancel},
        // Before something that cannot be undone: No is the default and every other way out.
        {"Yes/No: Yes button", true, click(QMessageBox::Yes), AnswerYes},
        {"Yes/No: Return key", true, key(Qt::Key_Return), AnswerNo},
        {"Yes/No: Escape key", true, key(Qt::Key_Escape), AnswerNo},
        {"Yes/No: close box", true, closeBox, AnswerNo},
    };
    QtPrompts prompts;
    for (const QuestionCase& c : cases) {
        SCOPED_TRACE(c.how);
        whenModalShown([&c](QWidget* modal) {
            auto* box = qobject_cast<QMessageBox*>(modal);
            ASSERT_NE(box, nullptr);
            EXPECT_EQ(box->text(), QStringLiteral("読み込みますか？"));
            EXPECT_EQ(box->windowTitle(), QStringLiteral("Lyricue"));
            EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
            EXPECT_EQ(box->standardButtons(), c.yesNo ? QMessageBox::Yes | QMessageBox::No
                                                      : QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
            EXPECT_EQ(static_cast<QAbstractButton*>(box->defaultButton()),
                      box->button(c.yesNo ? QMessageBox::No : QMessageBox::Yes));
            c.close(box);
        });
        const QString question = QStringLiteral("読み込みますか？");
        EXPECT_EQ(c.yesNo ? prompts.askYesNo(question) : prompts.askYesNoCancel(question), c.expected);
    }
}

TEST(QtPrompts, MessageHasOkOnlyNoIconAndTheApplicationTitle)
{
    QWidget parent;
    QtPrompts prompts;
    prompts.setParentWidget(&parent);
    bool seen = false;
    whenModalShown([&](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        seen = true;
        EXPECT_EQ(box->parentWidget(), &parent);
        EXPECT_EQ(box->text(), QStringLiteral("Open Error"));
        EXPECT_EQ(box->windowTitle(), QStringLiteral("Lyricue"));
        EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
        EXPECT_EQ(box->standardButtons(), QMessageBox::Ok);
        box->button(QMessageBox::Ok)->click();
    });
    prompts.showMessage(QStringLiteral("Open Error"));
    EXPECT_TRUE(seen);
}

class QtPromptsFileDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        for (const char* name : {"SONG.MP3", "b.rmp", "a.txt", "README"}) {
            QFile file(m_dir.filePath(QString::fromLatin1(name)));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        }
    }

    static QStringList shownFilters(QFileDialog* dialog)
    {
        QStringList texts;
        if (auto* combo = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo")))
            for (int i = 0; i < combo->count(); ++i)
                texts.append(combo->itemText(i));
        return texts;
    }

    static QString selectedFilterText(QFileDialog* dialog)
    {
        auto* combo = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        return combo ? combo->currentText() : QString();
    }

    // Types `name` into the dialog's name box as a user does: in the active dialog,
    // with the box focused. QFileDialog::selectFile would not do: it leaves the box as
    // it is once the box has the focus, and the dialog becomes active when the window
    // system gets to it, so the name chosen would depend on how busy the machine is.
    static void typeFileName(QFileDialog* dialog, const QString& name)
    {
        auto* nameEdit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(nameEdit, nullptr);
        ASSERT_TRUE(QTest::qWaitFor([&] { return dialog->isActiveWindow(); }, FailureGuardMs));
        nameEdit->setFocus(Qt::MouseFocusReason);
        ASSERT_TRUE(nameEdit->hasFocus());
        nameEdit->setText(name);
    }

    // Names the file list offers once it has settled on `expected` (the model reads the
    // folder and applies the filter in steps), or what it offers when the guard runs out.
    static QStringList listedFiles(QFileDialog* dialog, const QStringList& expected)
    {
        auto* view = dialog->findChild<QListView*>(QStringLiteral("listView"));
        if (!view)
            return {};
        QStringList names;
        static_cast<void>(QTest::qWaitFor(
            [&] {
                names.clear();
                const QModelIndex root = view->rootIndex();
                for (int row = 0; row < view->model()->rowCount(root); ++row) {
                    const QModelIndex index = view->model()->index(row, 0, root);
                    if (view->model()->flags(index) & Qt::ItemIsEnabled)
                        names.append(index.data().toString());
                }
                names.sort(Qt::CaseInsensitive);
                return names == expected;
            },
            FailureGuardMs));
        return names;
    }

    QTemporaryDir m_dir;
};

TEST_F(QtPromptsFileDialog, OpenShowsTheGivenFilterTextsAndMatchesPatternsWithoutCase)
{
    FileDialogSettings settings;
    settings.filter = AppFilter;
    settings.filterIndex = 1;
    settings.flags = FileDialogSettings::FileMustExist;
    // Proposing SONG.MP3 itself would list it whatever the patterns say.
    settings.fileName = m_dir.filePath(QStringLiteral("b.rmp"));

    whenModalShown([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(shownFilters(dialog), (QStringList{QStringLiteral("MP File(*.mp3,*.rmp)"),
                                                     QStringLiteral("歌詞 File(*.txt)"),
                                                     QStringLiteral("All File(*.*)")}));
        EXPECT_EQ(selectedFilterText(dialog), QStringLiteral("MP File(*.mp3,*.rmp)"));
        EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptOpen);
        EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFile);
        const QStringList matching{QStringLiteral("b.rmp"), QStringLiteral("SONG.MP3")};
        EXPECT_EQ(listedFiles(dialog, matching), matching);
        // The proposed name is selected in the list once the folder is read; a choice
        // made before that would be overridden by it.
        auto* view = dialog->findChild<QListView*>(QStringLiteral("listView"));
        ASSERT_NE(view, nullptr);
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                const QModelIndexList chosen = view->selectionModel()->selectedIndexes();
                return !chosen.isEmpty() && chosen.front().data().toString() == QStringLiteral("b.rmp");
            },
            FailureGuardMs));
        typeFileName(dialog, QStringLiteral("SONG.MP3"));
        static_cast<QDialog*>(dialog)->accept();  // QFileDialog::accept is protected
    });
    ASSERT_TRUE(QtPrompts().showOpenDialog(settings));
    EXPECT_EQ(settings.fileName, m_dir.filePath(QStringLiteral("SONG.MP3")));
    EXPECT_EQ(settings.filterIndex, 1);
}

TEST_F(QtPromptsFileDialog, SaveProposesTheNameWithFilterTwoAndCancelLeavesSettings)
{
    FileDialogSettings settings;
    settings.filter = AppFilter;
    settings.filterIndex = 2;
    settings.flags = FileDialogSettings::OverwritePrompt;
    settings.fileName = m_dir.filePath(QStringLiteral("a.txt"));

    whenModalShown([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(selectedFilterText(dialog), QStringLiteral("歌詞 File(*.txt)"));
        EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
        EXPECT_FALSE(dialog->testOption(QFileDialog::DontConfirmOverwrite));
        auto* nameEdit = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
        ASSERT_NE(nameEdit, nullptr);
        EXPECT_EQ(nameEdit->text(), QStringLiteral("a.txt"));
        const QStringList matching{QStringLiteral("a.txt")};
        EXPECT_EQ(listedFiles(dialog, matching), matching);
        dialog->reject();
    });
    const FileDialogSettings before = settings;
    EXPECT_FALSE(QtPrompts().showSaveDialog(settings));
    EXPECT_EQ(settings.fileName, before.fileName);
    EXPECT_EQ(settings.filterIndex, 2);
}

TEST_F(QtPromptsFileDialog, SaveTakesATypedNameAsTypedWithoutOverwritePrompt)
{
    FileDialogSettings settings;
    settings.filter = AppFilter;
    settings.filterIndex = 3;
    settings.fileName = m_dir.filePath(QStringLiteral("a.txt"));

    whenModalShown([&](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        EXPECT_EQ(selectedFilterText(dialog), QStringLiteral("All File(*.*)"));
        EXPECT_TRUE(dialog->testOption(QFileDialog::DontConfirmOverwrite));
        EXPECT_EQ(dialog->fileMode(), QFileDialog::AnyFile);
        // Every file, also one without a dot in its name.
        const QStringList all{QStringLiteral("a.txt"), QStringLiteral("b.rmp"), QStringLiteral("README"),
                              QStringLiteral("SONG.MP3")};
        EXPECT_EQ(listedFiles(dialog, all), all);
        typeFileName(dialog, QStringLiteral("new lyrics"));
        static_cast<QDialog*>(dialog)->accept();  // QFileDialog::accept is protected
    });
    ASSERT_TRUE(QtPrompts().showSaveDialog(settings));
    EXPECT_EQ(settings.fileName, m_dir.filePath(QStringLiteral("new lyrics")));
    EXPECT_EQ(settings.filterIndex, 3);
}

}  // namespace

}  // namespace lyricue
