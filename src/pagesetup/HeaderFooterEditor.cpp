#include "pagesetup/HeaderFooterEditor.h"

#include <tessel/Error.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QFont>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <optional>

#include "base/ErrorMessage.h"
#include "base/Interaction.h"
#include "base/Language.h"
#include "base/MessageTitles.h"
#include "definitions/DefinitionRecord.h"
#include "definitions/DefinitionWrites.h"
#include "definitions/Definitions.h"
#include "print/codes/HeaderFooterCodes.h"
#include "print/codes/SheetCodes.h"
#include "widgets/SheetView.h"

namespace tessel::pagesetup {

using grid::CellBlock;
using grid::CellFont;
using grid::Sheet;
using print::CodeCell;
using print::CodeFont;
using print::CodePos;
using print::kPageNumberText;

namespace {

const QColor kPageNumberColor{128, 128, 128};
const QColor kButtonBorder{192, 192, 192};

// cmdClass items in list order and the selection code each stores.
const struct {
    const char *caption;
    int code;
} kClasses[] = {{QT_TRANSLATE_NOOP("tessel::base", "都显示"), 3},
                {QT_TRANSLATE_NOOP("tessel::base", "仅表头"), 1},
                {QT_TRANSLATE_NOOP("tessel::base", "仅脚注"), 2},
                {QT_TRANSLATE_NOOP("tessel::base", "都不显示"), 0}};

// 1800 twips, 15 twips to the pixel.
constexpr int kVarColumnPx = 120;

CodePos posOf(int col) {
    return col == 1 ? CodePos::Left : col == 3 ? CodePos::Center : CodePos::Right;
}

void setBold(QWidget *w, bool bold) {
    QFont f = w->font();
    f.setBold(bold);
    w->setFont(f);
}

}  // namespace

int runHeaderFooterEditor(report::ReportSession &session, QWidget *parent) {
    HeaderFooterEditor dlg(session, parent);
    return base::interaction().execDialog(&dlg);
}

HeaderFooterEditor::HeaderFooterEditor(report::ReportSession &session, QWidget *parent)
    : QDialog(parent), m_session(session) {
    setObjectName(QStringLiteral("headerfooter"));
    setWindowTitle(tessel::base::tr("修改页标头/脚注属性"));

    auto *title = new QLabel(tessel::base::tr("报表页标头页脚设置"), this);
    title->setObjectName(QStringLiteral("Label1"));
    setBold(title, true);

    m_grid = new widgets::SheetView(this);
    m_grid->setObjectName(QStringLiteral("fpSpread1"));

    m_vars = new QTableWidget(0, 2, this);
    m_vars->setObjectName(QStringLiteral("msgd"));
    m_vars->setHorizontalHeaderLabels({tessel::base::tr("变量名称"), tessel::base::tr("变量值")});
    m_vars->verticalHeader()->hide();
    m_vars->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_vars->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_vars->setSelectionMode(QAbstractItemView::SingleSelection);
    m_vars->setColumnWidth(0, kVarColumnPx);
    m_vars->setColumnWidth(1, kVarColumnPx);

    auto *frame = new QGroupBox(tessel::base::tr("应用于"), this);
    frame->setObjectName(QStringLiteral("Frame1"));
    m_optHeader = new QRadioButton(tessel::base::tr("表头文本"), frame);
    m_optHeader->setObjectName(QStringLiteral("Option3_0"));
    m_optFooter = new QRadioButton(tessel::base::tr("脚注文本"), frame);
    m_optFooter->setObjectName(QStringLiteral("Option3_1"));
    m_optHeader->setChecked(true);
    setBold(m_optHeader, true);
    auto *frameLayout = new QVBoxLayout(frame);
    frameLayout->addWidget(m_optHeader);
    frameLayout->addWidget(m_optFooter);

    auto *classLabel = new QLabel(tessel::base::tr("显示类型"), this);
    classLabel->setObjectName(QStringLiteral("Label5"));
    m_class = new QComboBox(this);
    m_class->setObjectName(QStringLiteral("cmdClass"));
    for (const auto &c : kClasses)
        m_class->addItem(tessel::base::tr(c.caption));

    auto makeButton = [this](const char *name, const char *caption) {
        auto *b = new QPushButton(tessel::base::tr(caption), this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        return b;
    };
    QPushButton *save = makeButton("Command3", QT_TRANSLATE_NOOP("tessel::base", "保存文本"));
    save->setEnabled(false);
    auto *hint = new QLabel(tessel::base::tr("按保存按钮避免设置信息丢失"), this);
    hint->setObjectName(QStringLiteral("Label3"));
    QPushButton *reset = makeButton("Command4", QT_TRANSLATE_NOOP("tessel::base", "复位"));
    QPushButton *ok = makeButton("Command1", QT_TRANSLATE_NOOP("tessel::base", "确定"));
    ok->setDefault(true);
    QPushButton *cancel = makeButton("Command2", QT_TRANSLATE_NOOP("tessel::base", "取消"));

    auto *fileLabel = new QLabel(tessel::base::tr("配置文件名"), this);
    fileLabel->setObjectName(QStringLiteral("Label4"));
    m_file = new QLineEdit(QStringLiteral("report1.ini"), this);
    m_file->setObjectName(QStringLiteral("file1"));

    auto *side = new QVBoxLayout;
    side->addWidget(frame);
    side->addWidget(classLabel);
    side->addWidget(m_class);
    side->addWidget(save);
    side->addWidget(hint);
    side->addWidget(reset);
    side->addStretch(1);
    side->addWidget(fileLabel);
    side->addWidget(m_file);
    side->addWidget(ok);
    side->addWidget(cancel);

    auto *layout = new QGridLayout(this);
    layout->addWidget(title, 0, 0, 1, 2);
    layout->addWidget(m_grid, 1, 0);
    layout->addLayout(side, 1, 1, 2, 1);
    layout->addWidget(m_vars, 2, 0);
    layout->setRowStretch(1, 3);
    layout->setRowStretch(2, 2);
    layout->setColumnStretch(0, 1);

    // Opening: variables, the row's snapshot, the grid, the display choice, the header.
    FillVarList();
    readSnapshot();
    InitSpread();
    m_class->setCurrentIndex(0);
    loadMode();

    connect(m_grid, &widgets::SheetView::Click, this, [this](int col, int row) {
        m_lastCol = col;
        m_lastRow = row;
    });
    connect(m_grid, &widgets::SheetView::ButtonClicked, this, [this](int col, int row) {
        if ((col == 2 || col == 4 || col == 6) && row >= 1 && row <= kLines)
            openFontDialog(col, row);
    });
    connect(m_grid, &widgets::SheetView::RightClick, this, [this] { togglePageNumber(); });
    connect(m_grid, &widgets::SheetView::EditMode, this, [save](int, int, int mode, bool) {
        if (mode == 1)
            save->setEnabled(true);
    });
    connect(m_vars, &QTableWidget::cellDoubleClicked, this,
            [this](int row, int) { insertVariable(row); });
    connect(m_optHeader, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            setMode(Mode::Header);
    });
    connect(m_optFooter, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            setMode(Mode::Footer);
    });
    connect(save, &QPushButton::clicked, this, &HeaderFooterEditor::onSaveText);
    connect(ok, &QPushButton::clicked, this, &HeaderFooterEditor::onOk);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(reset, &QPushButton::clicked, this, &HeaderFooterEditor::onReset);

    resize(760, 560);
}

HeaderFooterEditor::~HeaderFooterEditor() = default;

Sheet &HeaderFooterEditor::gridSheet() const {
    return *m_grid->sheet();
}

QPushButton *HeaderFooterEditor::button(const char *name) const {
    return findChild<QPushButton *>(QString::fromLatin1(name));
}

bool HeaderFooterEditor::isTextCell(int col, int row) {
    return (col == 1 || col == 3 || col == 5) && row >= 1 && row <= kLines;
}

void HeaderFooterEditor::InitSpread() {
    Sheet &s = gridSheet();
    s.setRedraw(false);
    s.clear();
    s.setMaxCols(6);
    s.setMaxRows(kLines);
    s.setColWidth(0, 5);
    for (int row = 1; row <= kLines; ++row)
        s.setText(0, row, QStringLiteral("Line %1").arg(row));

    const char *const headers[] = {QT_TRANSLATE_NOOP("tessel::base", "报表左边"),
                                   QT_TRANSLATE_NOOP("tessel::base", "报表中间"),
                                   QT_TRANSLATE_NOOP("tessel::base", "报表右边")};
    for (int i = 0; i < 3; ++i) {
        const int textCol = kTextCols[i];
        const int buttonCol = textCol + 1;
        s.setColWidth(textCol, 20);
        s.setText(textCol, 0, tessel::base::tr(headers[i]));
        s.setColWidth(buttonCol, 3);
        s.setCurrentBlock(CellBlock{buttonCol, 1, buttonCol, kLines});
        s.setCellKind(grid::CellKind::Button);
        CellFont bold = s.defaultStyle().font;
        bold.bold = true;
        s.setFont(bold);
        s.setBorder(true, kButtonBorder);
        for (int row = 1; row <= kLines; ++row)
            s.setText(buttonCol, row, QStringLiteral("..."));
    }
    s.setCurrent(1, 1);
    s.setRedraw(true);
}

void HeaderFooterEditor::FillVarList() {
    m_vars->setRowCount(0);
    auto addRow = [this](const QString &name, const QString &value) {
        const int row = m_vars->rowCount();
        m_vars->insertRow(row);
        m_vars->setItem(row, 0, new QTableWidgetItem(name));
        m_vars->setItem(row, 1, new QTableWidgetItem(value));
    };
    // Every placeholder the substitution replaces is offered, the last entry of the list
    // included; the built-in ones have their value only when printed.
    for (const print::Placeholder &p : print::listedPlaceholders(m_session.tslVar))
        addRow(p.name, p.value);
    addRow(print::kTimePlaceholder, QString());
    addRow(print::kDatePlaceholder, QString());
}

void HeaderFooterEditor::readSnapshot() {
    m_snapshot = Snapshot{};
    try {
        db::Recordset rs =
            definitions::open(definitions::selectReport(m_session.reportName), m_session.connection,
                              definitions::Access::AllDefaults);
        if (!definitions::notFound(rs)) {
            const definitions::DefinitionRecord stored = definitions::readDefinition(rs);
            m_snapshot.found = true;
            m_snapshot.header = stored.headerText.value().value_or(QString());
            m_snapshot.footer = stored.footerText.value().value_or(QString());
        }
    } catch (const Error &e) {
        // The window still works on the sheet's own header and footer; saving will tell
        // again if the database stays out of reach.
        base::showWarning(this, base::errorMessage(tessel::base::tr("报表读取失败"), e),
                          base::warningTitle());
    }
}

void HeaderFooterEditor::setMode(Mode mode) {
    m_mode = mode;
    setBold(m_optHeader, mode == Mode::Header);
    setBold(m_optFooter, mode == Mode::Footer);
    button("Command3")
        ->setText(mode == Mode::Header ? tessel::base::tr("保存表头文本")
                                       : tessel::base::tr("保存脚注文本"));
    loadMode();
}

void HeaderFooterEditor::loadMode() {
    // Unsaved edits of the other mode are dropped, an edit in progress with them.
    m_grid->cancelEdit();
    const bool header = m_mode == Mode::Header;
    const grid::PrintSettings &print = m_session.sheet.print();
    if (m_snapshot.found)
        GetHeaderDetail(header ? m_snapshot.header : m_snapshot.footer);
    else
        GetHeaderDetail(header ? print.header : print.footer);
}

void HeaderFooterEditor::makeTextCell(int col, int row, const QString &text) {
    Sheet &s = gridSheet();
    s.setCurrent(col, row);
    s.setLocked(false);
    s.setForeground(QColor(Qt::black));
    s.setText(col, row, text);
}

void HeaderFooterEditor::makePageNumberCell(int col, int row) {
    Sheet &s = gridSheet();
    s.setCurrent(col, row);
    s.setText(col, row, kPageNumberText);
    s.setForeground(kPageNumberColor);
    s.setLocked(true);
}

void HeaderFooterEditor::resetTextFonts() {
    Sheet &s = gridSheet();
    for (int row = 1; row <= kLines; ++row) {
        for (int col : kTextCols) {
            s.setCurrent(col, row);
            s.setFont(s.defaultStyle().font);
        }
    }
}

void HeaderFooterEditor::AddCellData(int col, int line, const CodeFont &font) {
    Sheet &s = gridSheet();
    s.setCurrent(col, line);
    CellFont f = s.style(col, line).font;
    if (!font.name.isEmpty())
        f.name = font.name;
    if (font.size > 0)
        f.size = font.size;
    f.bold = font.bold;
    f.underline = font.underline;
    f.italic = font.italic;
    f.strikeout = font.strikeout;
    s.setFont(f);
}

void HeaderFooterEditor::GetHeaderDetail(const QString &detailtext) {
    Sheet &s = gridSheet();
    s.setRedraw(false);
    // Every text cell is emptied; a page-number cell becomes an ordinary cell again, so
    // that no empty cell stays locked and grey.
    for (int row = 1; row <= kLines; ++row)
        for (int col : kTextCols)
            makeTextCell(col, row, QString());

    const print::CodeLayout layout = print::parseCodes(detailtext, m_fontState);
    const int lines = std::min<int>(int(layout.lines.size()), kLines);
    for (int i = 0; i < lines; ++i) {
        const int line = i + 1;
        for (int p = 0; p < 3; ++p) {
            const CodeCell &cell = layout.lines[size_t(i)].cells[p];
            const int col = kTextCols[p];
            // A cell that an alignment code selected carries the parser's font state; one
            // that none selected has the empty state and keeps its own font.
            if (cell.font != CodeFont{})
                AddCellData(col, line, cell.font);
            if (cell.isPageNumber())
                makePageNumberCell(col, line);
            else if (!cell.text.isEmpty())
                s.setText(col, line, cell.text);
        }
    }
    s.setRedraw(true);
    if (!layout.error.isEmpty()) {
        base::interaction().message(this, layout.error, QStringLiteral("GetHeaderDetail"),
                                    base::MessageIcon::None, base::MessageButtons::Ok);
    }
}

QString HeaderFooterEditor::GetCellData(int col, int line) const {
    if (!isTextCell(col, line))
        return {};
    return print::composeSheetCell(gridSheet(), col, line, posOf(col));
}

QString HeaderFooterEditor::composeGrid() const {
    return print::composeSheetLayout(gridSheet(), kTextCols, 1, kLines);
}

HeaderFooterEditor::SaveResult HeaderFooterEditor::SaveConfiguration() {
    const bool header = m_mode == Mode::Header;
    try {
        const auto saved = definitions::saveHeaderFooter(
            m_session.connection, m_session.reportName,
            header ? definitions::PagePart::Header : definitions::PagePart::Footer, [this] {
                m_grid->commitEdit();
                QCoreApplication::processEvents();
                const QString text = composeGrid();
                return definitions::PartToStore{
                    text, kClasses[std::max(0, m_class->currentIndex())].code};
            });
        if (!saved) {
            base::showInformation(this, tessel::base::tr("系统错误，报表不存在"),
                                  base::informationTitle());
            return SaveResult::NoReport;
        }
        const QString &text = saved->text;
        const QString &other = saved->other;

        // The row is written first, so that a refused write leaves the sheet as it was.
        grid::PrintSettings &print = m_session.sheet.printSettings();
        (header ? print.header : print.footer) = text;
        m_session.sheet.notifyPrintChanged();

        // The snapshot follows the row, so switching modes shows what was saved and a later
        // save of the other mode does not bring back the old text.
        m_snapshot.found = true;
        (header ? m_snapshot.header : m_snapshot.footer) = text;
        (header ? m_snapshot.footer : m_snapshot.header) = other;
        return SaveResult::Saved;
    } catch (const Error &e) {
        base::showWarning(this, base::errorMessage(tessel::base::tr("页标头/脚注保存失败"), e),
                          base::warningTitle());
        return SaveResult::Failed;
    }
}

void HeaderFooterEditor::onSaveText() {
    // After a failed save the button stays enabled: the edits are still unsaved.
    if (SaveConfiguration() == SaveResult::Saved)
        button("Command3")->setEnabled(false);
}

void HeaderFooterEditor::onOk() {
    // After a refused write the window stays open, so the edits are not lost with it. A
    // report that no longer exists can never take them: the window closes as after a save.
    if (SaveConfiguration() != SaveResult::Failed)
        accept();
}

void HeaderFooterEditor::onReset() {
    const auto answer = base::interaction().message(
        this,
        QStringLiteral(
            "Are you sure you want to clear the text and formatting for the selected header?"),
        QStringLiteral("Clear Text"), base::MessageIcon::None, base::MessageButtons::YesNo);
    if (answer != base::MessageAnswer::Yes)
        return;
    grid::PrintSettings &print = m_session.sheet.printSettings();
    (m_mode == Mode::Header ? print.header : print.footer).clear();
    m_session.sheet.notifyPrintChanged();
    m_grid->cancelEdit();
    GetHeaderDetail(QString());
    resetTextFonts();
}

void HeaderFooterEditor::openFontDialog(int buttonCol, int row) {
    const int col = buttonCol - 1;
    m_grid->setActiveCell(col, row);  // also ends an edit in progress
    Sheet &s = gridSheet();
    s.setCurrent(col, row);
    const CellFont current = s.style(col, row).font;
    QFont preset(current.name);
    if (current.size > 0)
        preset.setPointSizeF(current.size);
    preset.setBold(current.bold);
    preset.setItalic(current.italic);
    preset.setUnderline(current.underline);
    preset.setStrikeOut(current.strikeout);
    const std::optional<QFont> chosen = base::interaction().chooseFont(this, preset);
    if (!chosen)
        return;
    CellFont f = current;
    f.name = chosen->family();
    if (chosen->pointSizeF() > 0)
        f.size = chosen->pointSizeF();
    f.bold = chosen->bold();
    f.italic = chosen->italic();
    f.underline = chosen->underline();
    f.strikeout = chosen->strikeOut();
    s.setCurrent(col, row);
    s.setFont(f);
}

void HeaderFooterEditor::togglePageNumber() {
    const int col = m_grid->activeCol();
    const int row = m_grid->activeRow();
    if (!isTextCell(col, row))
        return;
    // An edit in progress would be written back over the new content when it ends.
    m_grid->commitEdit();
    const QString text = gridSheet().text(col, row);
    if (text == kPageNumberText) {
        makeTextCell(col, row, QString());
    } else if (text.isEmpty()) {
        makePageNumberCell(col, row);
    } else {
        const auto answer = base::interaction().message(
            this,
            QStringLiteral("Inserting page numbering in this cell will overwrite your exiting "
                           "text.  Do you want to replace the existing text with page numbers?"),
            QStringLiteral("Replace Existing Text"), base::MessageIcon::Question,
            base::MessageButtons::YesNo);
        if (answer == base::MessageAnswer::Yes)
            makePageNumberCell(col, row);
    }
}

void HeaderFooterEditor::insertVariable(int row) {
    const QTableWidgetItem *item = m_vars->item(row, 0);
    if (!item)
        return;
    const QString name = item->text();
    m_grid->commitEdit();
    int col = 1, line = 1;
    if (isTextCell(m_lastCol, m_lastRow)) {
        col = m_lastCol;
        line = m_lastRow;
    } else if (isTextCell(m_grid->activeCol(), m_grid->activeRow())) {
        col = m_grid->activeCol();
        line = m_grid->activeRow();
    }
    Sheet &s = gridSheet();
    const QString before = s.text(col, line);
    // Text appended to a page-number cell would be saved as plain text and lose the page
    // number; such a cell is turned back with the right button first.
    if (before == kPageNumberText)
        return;
    s.setText(col, line, before + name.mid(1) + u':' + name);
}

}  // namespace tessel::pagesetup
