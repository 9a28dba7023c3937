// The in-place editor of a sheet view: a frameless line edit laid over the cell being edited.
// It remembers which cell it edits and the text the cell had, and tells its view how the
// user ends the edit; the view writes the sheet.
#pragma once

#include <QObject>
#include <QString>

class QFont;
class QLineEdit;
class QRect;
class QWidget;

namespace tessel::widgets {

class CellEditor : public QObject {
    Q_OBJECT
public:
    // The line edit is a hidden child of `viewport`.
    explicit CellEditor(QWidget *viewport);

    bool isOpen() const { return m_open; }
    int col() const { return m_col; }
    int row() const { return m_row; }
    QLineEdit *lineEdit() const { return m_edit; }

    // Shows the editor over `rect` (viewport pixels) for cell (col, row), holding `text` in
    // `font`, all of it selected, with the keyboard focus.
    void open(int col, int row, const QString &text, const QFont &font, const QRect &rect);

    struct Outcome {
        QString text;
        bool changed = false;  // the text differs from the one the cell had
    };
    // Hides the editor and gives what was typed. The editor counts as closed before it is
    // hidden, so the focus moving away does not end the edit a second time.
    Outcome close();

signals:
    // The line edit finished editing (it lost the focus): keep the text.
    void finishRequested();
    // Esc: drop the text.
    void cancelRequested();
    // Tab, Shift+Tab, Enter, Up or Down: keep the text, then move the active cell by
    // (dCol, dRow).
    void leaveRequested(int dCol, int dRow);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QLineEdit *m_edit;
    bool m_open = false;
    int m_col = 0;
    int m_row = 0;
    QString m_original;
};

}  // namespace tessel::widgets
