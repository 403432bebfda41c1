#pragma once

#include "sheet/lyrics_sheet.h"
#include "support/scripted_prompts.h"
#include "sheet/sheet_shaping.h"

#include <gtest/gtest.h>

#include <QStringList>

namespace lyricue {

// A start-up sheet at its size in the main window, shown offscreen.
class SheetFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        sheet.resize(7455 / 15, 4155 / 15);
        shapeSheetAtStartUp(sheet);
        sheet.show();
    }

    QStringList allCells() const
    {
        QStringList cells;
        for (int index = 0; index < sheet.rows() * sheet.cols(); ++index)
            cells << sheet.cellAt(index);
        return cells;
    }

    int lastTopRow() const;

    LyricsSheet sheet;
    LyricsDocument& document = sheet.document();
    ScriptedPrompts prompts;
};

}  // namespace lyricue
