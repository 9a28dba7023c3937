#include "export/CsvExport.h"

#include <tessel/Error.h>

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <optional>
#include <vector>

#include "base/Language.h"
#include "base/SafeReplace.h"
#include "grid/ColumnFormat.h"
#include "grid/Sheet.h"

namespace tessel::exports {

namespace {

// Bytes gathered before they go to the file: few write calls, little memory.
constexpr std::size_t kChunk = std::size_t(1) << 20;

}  // namespace

void appendCsvField(std::string &out, std::string_view utf8) {
    if (utf8.find_first_of(",\"\r\n") == std::string_view::npos) {
        out.append(utf8);
        return;
    }
    out.push_back('"');
    for (const char ch : utf8) {
        if (ch == '"')
            out.push_back('"');
        out.push_back(ch);
    }
    out.push_back('"');
}

void writeCsv(const QString &path, const grid::Sheet &sheet, base::Progress &progress) {
    if (path.isEmpty())
        throw Error(Error::Category::Argument, tessel::base::tr("未指定导出文件名"));
    const QString targetName = QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath());
    const QString failureText = tessel::base::tr("无法写入文件 %1").arg(targetName);

    // QSaveFile writes a temporary file beside the target and renames it over the target only
    // on commit (commitSaveFile); every other way out removes it.
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw Error(Error::Category::Io, failureText, file.errorString());
    auto flushChunk = [&](std::string &chunk) {
        if (file.write(chunk.data(), qint64(chunk.size())) != qint64(chunk.size()))
            throw Error(Error::Category::Io, failureText, file.errorString());
        chunk.clear();
    };

    std::string chunk = "\xEF\xBB\xBF";
    chunk.reserve(kChunk + 4096);
    const int cols = sheet.maxCols();
    progress.begin(tessel::base::tr("写入 CSV 文件"), base::ProgressUnit::Rows,
                   sheet.maxRows() + 1);
    // Formats are looked up once per column; most columns have none and copy their bytes.
    std::vector<const grid::ColumnFormat *> formats(std::size_t(cols) + 1, nullptr);
    for (const auto &[col, format] : sheet.colFormats()) {
        if (col >= 1 && col <= cols && format.kind != grid::FormatKind::Text)
            formats[std::size_t(col)] = &format;
    }
    const grid::Separators separators = grid::numberSeparators();
    std::vector<int> columns;  // the columns the report shows
    for (int c = 1; c <= cols; ++c) {
        if (!sheet.colHidden(c))
            columns.push_back(c);
    }
    if (!columns.empty()) {
        for (int r = 0; r <= sheet.maxRows(); ++r) {
            progress.checkRow(r);
            for (const int c : columns) {
                if (c != columns.front())
                    chunk.push_back(',');
                const std::string_view text = sheet.textUtf8(c, r);
                const grid::ColumnFormat *format = formats[std::size_t(c)];
                std::optional<QString> shown;
                if (format && r >= 1 && !text.empty())
                    shown =
                        grid::applyFormat(QString::fromUtf8(text.data(), qsizetype(text.size())),
                                          *format, separators);
                if (shown)
                    appendCsvField(chunk, shown->toStdString());
                else
                    appendCsvField(chunk, text);
            }
            chunk.append("\r\n");
            if (chunk.size() >= kChunk)
                flushChunk(chunk);
        }
    }
    flushChunk(chunk);
    base::commitSaveFile(file, failureText);
}

}  // namespace tessel::exports
