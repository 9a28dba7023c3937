#include "widgets/CellEditor.h"

#include <QKeyEvent>
#include <QLineEdit>

namespace tessel::widgets {

CellEditor::CellEditor(QWidget *viewport) : QObject(viewport), m_edit(new QLineEdit(viewport)) {
    m_edit->setFrame(false);
    m_edit->hide();
    m_edit->installEventFilter(this);
    connect(m_edit, &QLineEdit::editingFinished, this, [this] {
        if (m_open)
            emit finishRequested();
    });
}

void CellEditor::open(int col, int row, const QString &text, const QFont &font, const QRect &rect) {
    m_col = col;
    m_row = row;
    m_original = text;
    m_edit->setFont(font);
    m_edit->setText(text);
    m_edit->selectAll();
    m_edit->setGeometry(rect);
    m_open = true;
    m_edit->show();
    m_edit->setFocus(Qt::OtherFocusReason);
}

CellEditor::Outcome CellEditor::close() {
    m_open = false;
    Outcome out{m_edit->text(), m_edit->text() != m_original};
    m_edit->hide();
    return out;
}

bool CellEditor::eventFilter(QObject *watched, QEvent *event) {
    if (watched != m_edit || event->type() != QEvent::KeyPress || !m_open)
        return QObject::eventFilter(watched, event);
    switch (static_cast<QKeyEvent *>(event)->key()) {
        case Qt::Key_Escape:
            emit cancelRequested();
            return true;
        case Qt::Key_Tab:
            emit leaveRequested(1, 0);
            return true;
        case Qt::Key_Backtab:
            emit leaveRequested(-1, 0);
            return true;
        case Qt::Key_Up:
            emit leaveRequested(0, -1);
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Down:
            emit leaveRequested(0, 1);
            return true;
        default:
            return false;
    }
}

}  // namespace tessel::widgets
