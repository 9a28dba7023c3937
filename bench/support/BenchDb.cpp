#include "support/BenchDb.h"

#include <sqlite3.h>

#include <QDir>
#include <QFile>
#include <stdexcept>
#include <string>

namespace tessel::bench {

QString benchDatabase(int rows) {
    const QString path = QDir::temp().filePath(QStringLiteral("tessel-bench-%1.db").arg(rows));
    if (QFile::exists(path))
        return path;
    const QString partial = path + QStringLiteral(".part");
    QFile::remove(partial);
    sqlite3 *db = nullptr;
    if (sqlite3_open(QFile::encodeName(partial).constData(), &db) != SQLITE_OK) {
        throw std::runtime_error("cannot create the benchmark database");
    }
    sqlite3_exec(db,
                 "pragma journal_mode=off; pragma synchronous=off; begin;"
                 "create table 订单 (编号 integer primary key, 客户 text, 产品 text, 数量 integer,"
                 " 单价 real, 金额 real, 日期 text, 备注 text);",
                 nullptr, nullptr, nullptr);
    sqlite3_stmt *ins = nullptr;
    sqlite3_prepare_v2(db, "insert into 订单 values (?,?,?,?,?,?,?,?)", -1, &ins, nullptr);
    static const char *customers[] = {"张三贸易", "李四商行", "Acme Ltd", "王五百货", "Globex"};
    static const char *products[] = {"办公椅", "Laptop 14", "打印纸 A4", "墨盒", "Desk lamp"};
    for (int i = 1; i <= rows; ++i) {
        const int qty = 1 + i % 50;
        const double price = 0.5 + (i % 997) * 1.25;
        sqlite3_bind_int(ins, 1, i);
        sqlite3_bind_text(ins, 2, customers[i % 5], -1, SQLITE_STATIC);
        sqlite3_bind_text(ins, 3, products[(i / 5) % 5], -1, SQLITE_STATIC);
        sqlite3_bind_int(ins, 4, qty);
        sqlite3_bind_double(ins, 5, price);
        sqlite3_bind_double(ins, 6, qty * price);
        const std::string date =
            "2024-" + std::to_string(1 + i % 12) + "-" + std::to_string(10 + i % 18);
        sqlite3_bind_text(ins, 7, date.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(ins, 8, i % 3 ? "加急" : "normal", -1, SQLITE_STATIC);
        sqlite3_step(ins);
        sqlite3_reset(ins);
    }
    sqlite3_finalize(ins);
    sqlite3_exec(db, "commit;", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    QFile::rename(partial, path);
    return path;
}

std::size_t rawSqliteScan(const QString &path) {
    sqlite3 *db = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    sqlite3_stmt *st = nullptr;
    sqlite3_prepare_v2(db, kBenchQuery, -1, &st, nullptr);
    const int cols = sqlite3_column_count(st);
    std::size_t bytes = 0;
    while (sqlite3_step(st) == SQLITE_ROW) {
        for (int i = 0; i < cols; ++i) {
            const unsigned char *t = sqlite3_column_text(st, i);
            bytes += std::size_t(sqlite3_column_bytes(st, i)) + (t != nullptr);
        }
    }
    sqlite3_finalize(st);
    sqlite3_close(db);
    return bytes;
}

}  // namespace tessel::bench
