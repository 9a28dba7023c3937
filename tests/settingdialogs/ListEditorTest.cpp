// The setting dialogs' list editor: which buttons it enables, and what a move or a removal does
// to the lines and tells the owner.
#include <gtest/gtest.h>

#include <QListWidget>
#include <QPushButton>
#include <vector>

#include "settingdialogs/ListEditor.h"

using tessel::settingdialogs::ListEditor;

namespace {

const ListEditor::Names kNames{"lst", "cmdAdd", "cmdRemove", "cmdUp", "cmdDown"};

bool enabled(const ListEditor &editor, const char *name) {
    return editor.findChild<QPushButton *>(QString::fromLatin1(name))->isEnabled();
}

QStringList lines(const ListEditor &editor) {
    QStringList out;
    for (int i = 0; i < editor.list()->count(); ++i)
        out.push_back(editor.list()->item(i)->text());
    return out;
}

TEST(ListEditor, EnablesWhatCanActOnTheSelection) {
    const struct {
        const char *name;
        int items, select, capacity;
        bool add, remove, up, down;
    } cases[] = {
        {"none selected", 3, -1, -1, true, false, false, false},
        {"first", 3, 0, -1, true, true, false, true},
        {"middle", 3, 1, -1, true, true, true, true},
        {"last", 3, 2, -1, true, true, true, false},
        {"the only one", 1, 0, -1, true, true, false, false},
        {"empty", 0, -1, -1, true, false, false, false},
        {"full", 3, 0, 3, false, true, false, true},
        {"below capacity", 2, 0, 3, true, true, false, true},
        {"no room at all", 0, -1, 0, false, false, false, false},
    };
    for (const auto &c : cases) {
        ListEditor editor(kNames, Qt::Vertical);
        editor.setCapacity(c.capacity);
        QStringList items;
        for (int i = 0; i < c.items; ++i)
            items.push_back(QString::number(i));
        editor.setItems(items, c.select);
        EXPECT_EQ(enabled(editor, "cmdAdd"), c.add) << c.name;
        EXPECT_EQ(enabled(editor, "cmdRemove"), c.remove) << c.name;
        EXPECT_EQ(enabled(editor, "cmdUp"), c.up) << c.name;
        EXPECT_EQ(enabled(editor, "cmdDown"), c.down) << c.name;
    }
}

TEST(ListEditor, MovesAndRemovalsCarryTheItemAndTellTheOwnerFirst) {
    ListEditor editor(kNames, Qt::Vertical);
    editor.setItems({"a", "b", "c"}, 0);
    editor.list()->item(0)->setData(Qt::UserRole, 42);
    // What the owner sees: each change, then the selection it leads to.
    std::vector<QString> told;
    QObject::connect(&editor, &ListEditor::moved, [&](int from, int to) {
        told.push_back(QStringLiteral("moved %1 %2").arg(from).arg(to));
    });
    QObject::connect(&editor, &ListEditor::removed,
                     [&](int row) { told.push_back(QStringLiteral("removed %1").arg(row)); });
    QObject::connect(&editor, &ListEditor::currentChanged,
                     [&](int row) { told.push_back(QStringLiteral("current %1").arg(row)); });
    const auto click = [&](const char *name) {
        editor.findChild<QPushButton *>(QString::fromLatin1(name))->click();
    };

    click("cmdDown");
    click("cmdDown");
    EXPECT_EQ(lines(editor), (QStringList{"b", "c", "a"}));
    EXPECT_EQ(editor.list()->item(2)->data(Qt::UserRole).toInt(), 42);
    click("cmdUp");
    EXPECT_EQ(lines(editor), (QStringList{"b", "a", "c"}));
    editor.list()->setCurrentRow(2);
    click("cmdRemove");
    EXPECT_EQ(lines(editor), (QStringList{"b", "a"}));
    EXPECT_EQ(editor.currentRow(), 1);
    EXPECT_EQ(told,
              (std::vector<QString>{"moved 0 1", "current 1", "moved 1 2", "current 2", "moved 2 1",
                                    "current 1", "current 2", "removed 2", "current 1"}));
}

}  // namespace
