#include "settingdialogs/ListEditor.h"

#include <QBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QSignalBlocker>
#include <algorithm>

#include "settingdialogs/DialogParts.h"

namespace tessel::settingdialogs {

ListEditor::ListEditor(const Names &names, Qt::Orientation buttons, QWidget *parent)
    : QWidget(parent) {
    m_list = new QListWidget(this);
    m_list->setObjectName(QString::fromLatin1(names.list));
    m_add = plainButton(this, names.add, QT_TRANSLATE_NOOP("tessel::base", "添加"));
    m_remove = plainButton(this, names.remove, QT_TRANSLATE_NOOP("tessel::base", "删除"));
    if (names.up && names.down) {
        m_up = plainButton(this, names.up, QT_TRANSLATE_NOOP("tessel::base", "上移"));
        m_down = plainButton(this, names.down, QT_TRANSLATE_NOOP("tessel::base", "下移"));
    }
    auto *buttonBox =
        new QBoxLayout(buttons == Qt::Vertical ? QBoxLayout::TopToBottom : QBoxLayout::LeftToRight);
    for (QPushButton *b : {m_add, m_remove, m_up, m_down}) {
        if (b)
            buttonBox->addWidget(b);
    }
    buttonBox->addStretch(1);
    auto *layout = new QBoxLayout(
        buttons == Qt::Vertical ? QBoxLayout::LeftToRight : QBoxLayout::TopToBottom, this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_list, 1);
    layout->addLayout(buttonBox);

    connect(m_list, &QListWidget::currentRowChanged, this, [this](int row) {
        enableButtons();
        emit currentChanged(row);
    });
    connect(m_add, &QPushButton::clicked, this, &ListEditor::addClicked);
    connect(m_remove, &QPushButton::clicked, this, &ListEditor::remove);
    if (m_up) {
        connect(m_up, &QPushButton::clicked, this, [this] { move(-1); });
        connect(m_down, &QPushButton::clicked, this, [this] { move(1); });
    }
    enableButtons();
}

int ListEditor::currentRow() const {
    return m_list->currentRow();
}

int ListEditor::count() const {
    return m_list->count();
}

void ListEditor::setItems(const QStringList &lines, int select) {
    {
        const QSignalBlocker quiet(m_list);
        m_list->clear();
        m_list->addItems(lines);
    }
    this->select(select);
}

void ListEditor::append(const QString &line) {
    {
        const QSignalBlocker quiet(m_list);
        m_list->addItem(line);
    }
    select(m_list->count() - 1);
}

void ListEditor::setLine(int row, const QString &line) {
    if (QListWidgetItem *item = m_list->item(row))
        item->setText(line);
}

void ListEditor::setCapacity(int capacity) {
    m_capacity = capacity;
    enableButtons();
}

void ListEditor::remove() {
    const int row = m_list->currentRow();
    if (row < 0)
        return;
    {
        const QSignalBlocker quiet(m_list);
        delete m_list->takeItem(row);
    }
    // The owner's items follow before anything asks for the one now selected.
    emit removed(row);
    select(std::min(row, m_list->count() - 1));
}

void ListEditor::move(int step) {
    const int from = m_list->currentRow();
    const int to = from + step;
    if (from < 0 || to < 0 || to >= m_list->count())
        return;
    {
        // The item itself moves, so its line and whatever else it carries go with it.
        const QSignalBlocker quiet(m_list);
        QListWidgetItem *item = m_list->takeItem(from);
        m_list->insertItem(to, item);
    }
    emit moved(from, to);
    select(to);
}

void ListEditor::select(int row) {
    {
        const QSignalBlocker quiet(m_list);
        m_list->setCurrentRow(row);
    }
    enableButtons();
    emit currentChanged(m_list->currentRow());
}

void ListEditor::enableButtons() {
    const int row = m_list->currentRow();
    const int n = m_list->count();
    m_add->setEnabled(m_capacity < 0 || n < m_capacity);
    m_remove->setEnabled(row >= 0);
    if (m_up) {
        m_up->setEnabled(row > 0);
        m_down->setEnabled(row >= 0 && row < n - 1);
    }
}

}  // namespace tessel::settingdialogs
