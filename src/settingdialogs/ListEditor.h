// The list a setting dialog edits its items in (groups' levels, a column's rules, charts): the
// items' lines, 添加 and 删除, and, when the order means something, 上移 and 下移. The owner
// keeps the items themselves; the editor keeps their lines in step, says what changed, and
// enables each button when it can act: 添加 below the capacity, 删除 with an item selected,
// 上移 above the first, 下移 above the last.
#pragma once

#include <QStringList>
#include <QWidget>

class QListWidget;
class QPushButton;

namespace tessel::settingdialogs {

class ListEditor : public QWidget {
    Q_OBJECT
public:
    // The objectNames of the list and its buttons; a null `up` and `down` leaves those buttons
    // out (a list whose order is only that of printing, say).
    struct Names {
        const char *list;
        const char *add;
        const char *remove;
        const char *up = nullptr;
        const char *down = nullptr;
    };
    // The buttons stand in a column right of the list (Qt::Vertical) or in a row below it
    // (Qt::Horizontal).
    ListEditor(const Names &names, Qt::Orientation buttons, QWidget *parent = nullptr);

    QListWidget *list() const { return m_list; }
    // The item selected, -1 for none.
    int currentRow() const;
    int count() const;

    // Replaces the lines by `lines` and selects `select` (-1: none); currentChanged follows,
    // once.
    void setItems(const QStringList &lines, int select);
    // Appends a line and selects it; currentChanged follows.
    void append(const QString &line);
    // Changes the line of item `row` (an edit of the item it names).
    void setLine(int row, const QString &line);
    // At most `capacity` items: 添加 is disabled from that count on (0: always disabled).
    void setCapacity(int capacity);

signals:
    // 添加 was pressed: the owner adds an item, if it can, and appends its line.
    void addClicked();
    // Item `row` left the list; the owner removes its own item `row`. currentChanged follows.
    void removed(int row);
    // Item `from` moved, with its line, to `to` (one place up or down); the owner moves its
    // own item alike. currentChanged follows.
    void moved(int from, int to);
    // Item `row` is now the one selected (-1: none): after a click, setItems, append, a
    // removal or a move.
    void currentChanged(int row);

private:
    void remove();
    void move(int step);
    // Selects `row` without a signal from the list, enables the buttons and says so.
    void select(int row);
    void enableButtons();

    QListWidget *m_list = nullptr;
    QPushButton *m_add = nullptr;
    QPushButton *m_remove = nullptr;
    QPushButton *m_up = nullptr;
    QPushButton *m_down = nullptr;
    int m_capacity = -1;  // no limit
};

}  // namespace tessel::settingdialogs
