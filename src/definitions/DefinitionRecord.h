// One report definition (a row of tsl_report) as typed values, and the reader that makes it
// from an open definition row.
//
// Columns differ in what a missing or unreadable value means. Where the print settings are
// concerned a column that is NULL, missing or holds no usable value leaves the sheet's own
// setting; the columns a run or a window cannot do without are held as Stored values, which
// give back the failure to read them (a row without that column) where they are used.
#pragma once

#include <QString>
#include <exception>
#include <optional>
#include <utility>

#include "db/Recordset.h"
#include "grid/Sheet.h"

namespace tessel::definitions {

// A column's value as the row gave it, or the failure that reading it raised (the row has
// no such column, or no current record). value() rethrows that failure where the value is
// needed, as reading the row at that point would have; valueOr() stands in a fallback.
template <class T>
class Stored {
public:
    Stored() = default;
    Stored(T value) : m_value(std::move(value)) {}
    static Stored failed(std::exception_ptr failure) {
        Stored s;
        s.m_failure = std::move(failure);
        return s;
    }

    bool readable() const { return !m_failure; }
    const std::exception_ptr &failure() const { return m_failure; }
    const T &value() const {
        if (m_failure)
            std::rethrow_exception(m_failure);
        return m_value;
    }
    T valueOr(T fallback) const { return m_failure ? std::move(fallback) : m_value; }

private:
    T m_value{};
    std::exception_ptr m_failure;
};

// Which of header and footer 页头页脚 says are printed; the values are the stored codes.
enum class HeaderFooterParts : int { None = 0, Header = 1, Footer = 2, Both = 3 };

// The print flags, in the order of the print options dialog's check boxes. nullopt: NULL,
// empty or no number, which leaves the sheet's flag as it was; 0 is off, any other number on.
struct StoredFlags {
    std::optional<bool> colHeaders;  // 列标
    std::optional<bool> rowHeaders;  // 行标
    std::optional<bool> gridLines;   // 网格线
    std::optional<bool> border;      // 边框
    std::optional<bool> onlyData;    // 仅打数据格
    std::optional<bool> color;       // 彩色打印
    std::optional<bool> shadows;     // 阴影
};

// One definition row. A default-constructed record is what a row of NULLs reads as.
struct DefinitionRecord {
    // 报表名称, as text.
    Stored<QString> name;
    // 查询: the report's query without its condition; NULL reads as the empty text.
    Stored<QString> query;
    // 列标注 and 列宽 as stored (see decodeLabels, decodeWidths); nullopt: NULL, which leaves
    // the sheet's labels and widths alone.
    Stored<std::optional<QString>> labels;
    Stored<std::optional<QString>> widths;
    // 行高: the header row's height in points, a decimal number with whitespace around; NULL
    // and a text that is no number give nullopt (the header keeps its height). Infinite
    // and NaN values ("inf", "nan" and such stored reals) are kept: the sheet refuses them.
    Stored<std::optional<double>> headerHeight;
    // 列数 as decodeColumnCount reads it; nullopt: the count cannot be read.
    Stored<std::optional<int>> columnCount;
    // 合并: the merged columns (see decodeMerges); nullopt when NULL or unreadable, which
    // keeps the caller's merge list.
    std::optional<QString> merges;
    StoredFlags flags;
    // 范围类型: "0" and NULL print all pages, "1" the selected block, "2" the current page;
    // any other text, the empty one too, the page range 开始页..结束页.
    grid::PrintType range = grid::PrintType::All;
    // 开始页 and 结束页: decimal numbers rounded half to even; nullopt when NULL, no number
    // or outside the int range (the page stays as it was).
    std::optional<int> firstPage;
    std::optional<int> lastPage;
    // 左, 右, 上, 下 in inches; nullopt when NULL or no finite number.
    std::optional<double> marginLeft;
    std::optional<double> marginRight;
    std::optional<double> marginTop;
    std::optional<double> marginBottom;
    // 打印方向: portrait when "1" (blanks around allowed), else landscape, NULL too.
    grid::Orientation orientation = grid::Orientation::Landscape;
    // 页头页脚: "1", "2" or "3" (blanks around allowed); anything else prints neither.
    HeaderFooterParts headerFooter = HeaderFooterParts::None;
    // 页头文本 and 页脚文本: header and footer code strings; nullopt when NULL.
    Stored<std::optional<QString>> headerText;
    Stored<std::optional<QString>> footerText;
};

// Reads the current record of `row` (opened on a definition statement) by column name.
// Never throws: a column the row lacks, or a row without a current record, is read as the
// comments above say for each field.
DefinitionRecord readDefinition(const db::Recordset &row);

// The column count a run lays a host grid out with: rethrows the failure to read 列数 and
// throws Error(Conversion) when it holds no whole number.
int requireColumnCount(const DefinitionRecord &definition);

}  // namespace tessel::definitions
