// The page header/footer editor: the header or the footer of the current report as a grid of
// nine lines with a left, a centre and a right part, each with its own font, with page
// numbers and report-variable placeholders. Saving writes the code string to the report's
// definition row and puts it on the working sheet as its print header or footer.
#pragma once

#include <QDialog>
#include <QString>
#include <array>

#include "print/codes/PrintCodes.h"
#include "report/ReportSession.h"

class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTableWidget;

namespace tessel::widgets {
class SheetView;
}

namespace tessel::pagesetup {

// Builds the editor for `session` (its report name, connection, variables and working
// sheet) and runs it modally; returns the dialog's result code (Accepted after 确定).
int runHeaderFooterEditor(report::ReportSession &session, QWidget *parent);

class HeaderFooterEditor : public QDialog {
    Q_OBJECT
public:
    enum class Mode { Header, Footer };

    // Grid geometry: text cells in columns 1, 3 and 5, the "..." font buttons right of each.
    static constexpr int kLines = 9;
    static constexpr std::array<int, 3> kTextCols{1, 3, 5};

    // Reads the report's definition row once (the window's snapshot), builds the grid and
    // loads the header. A row that cannot be read is reported and treated as missing.
    explicit HeaderFooterEditor(report::ReportSession &session, QWidget *parent = nullptr);
    ~HeaderFooterEditor() override;

    widgets::SheetView *grid() const { return m_grid; }
    grid::Sheet &gridSheet() const;
    QTableWidget *variableList() const { return m_vars; }
    Mode mode() const { return m_mode; }

    // Builds the layout grid: nine "Line n" rows, text columns 1/3/5 (20 units wide) headed
    // "报表左边", "报表中间", "报表右边", and in columns 2/4/6 (3 units wide) a bold "..." button
    // on every line.
    void InitSpread();
    // Lists the report variables (every entry but nameless ones) and the built-in
    // placeholders V时间 and V日期.
    void FillVarList();

    // Loads a code string into the grid: every text cell is emptied and made an ordinary
    // editable cell again, then each part the string names gets its text and font (the
    // window's parser font state carries over from one load to the next). A part that is a
    // page number alone becomes a grey, locked page-number cell; a part that mixes text and
    // page numbers shows as ordinary text with "<Page Number>" where each stood
    // (第<Page Number>页), in the part's first font. A malformed string
    // is reported in a message box titled "GetHeaderDetail"; what was read before the fault
    // stays in the grid. Lines past the ninth are not shown.
    void GetHeaderDetail(const QString &detailtext);
    // The codes of the text cell at grid column `col` (1, 3 or 5) on line `line` (1..9):
    // font, alignment and text, "/p" for each "<Page Number>" in it; empty for an empty cell.
    QString GetCellData(int col, int line) const;
    // Makes the cell at grid column `col` on `line` the grid's current cell and gives it
    // `font`. An empty name or a size of 0 or less keeps the cell's own name or size.
    void AddCellData(int col, int line, const print::CodeFont &font);
    // The code string of the whole grid: lines 1 to the last line with text, each ending in
    // "/n"; empty when no cell has text.
    QString composeGrid() const;

    enum class SaveResult { Saved, NoReport, Failed };
    // Saves the grid as the header (or footer) of the report: the definition row's header
    // (or footer) text and which parts print, from cmdClass (saveHeaderFooter), then the
    // working sheet's print header (or footer). A missing row is reported ("系统错误，报表不存在")
    // and nothing is saved (NoReport); a database failure is shown as a warning and nothing is
    // saved (Failed).
    SaveResult SaveConfiguration();

    // The right-button page-number toggle on the grid's active cell.
    void togglePageNumber();
    // Appends "name without V:name" of variable-list row `row` to the target text cell: the
    // last clicked text cell, else the grid's active cell when it is a text cell, else the
    // left cell of line 1. A page-number cell takes no text.
    void insertVariable(int row);

    // The last clicked grid cell (column, row); both 0 before the first click.
    int lastClickedCol() const { return m_lastCol; }
    int lastClickedRow() const { return m_lastRow; }
    // The parser font state.
    const print::CodeFont &fontState() const { return m_fontState; }

    QPushButton *button(const char *name) const;

private:
    struct Snapshot {
        bool found = false;
        QString header;
        QString footer;
    };

    void readSnapshot();
    void setMode(Mode mode);
    void loadMode();
    void openFontDialog(int buttonCol, int row);
    void makePageNumberCell(int col, int row);
    void makeTextCell(int col, int row, const QString &text);
    void resetTextFonts();
    static bool isTextCell(int col, int row);
    void onSaveText();
    void onOk();
    void onReset();

    report::ReportSession &m_session;
    widgets::SheetView *m_grid = nullptr;
    QTableWidget *m_vars = nullptr;
    QRadioButton *m_optHeader = nullptr;
    QRadioButton *m_optFooter = nullptr;
    QComboBox *m_class = nullptr;
    QLineEdit *m_file = nullptr;

    Mode m_mode = Mode::Header;
    int m_lastCol = 0;
    int m_lastRow = 0;
    print::CodeFont m_fontState;
    Snapshot m_snapshot;
};

}  // namespace tessel::pagesetup
