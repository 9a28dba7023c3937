// What every window and routine of the component shares on one thread: the connection,
// the report variables, the last run's query texts, the merged-column list, the current
// report name and the working sheet. The component keeps one per thread; windows and
// routines are handed a reference to it.
#pragma once

#include <QHash>
#include <QSet>
#include <QString>
#include <QVariantList>

#include "db/Connection.h"
#include "grid/Sheet.h"

namespace tessel::report {

struct ReportSession {
    // The shared connection: the host's (tsDBc) or the one ConDb opened.
    db::Connection connection;
    // Report variables: rows of {name with the "V" prefix, value}.
    QVariantList tslVar;
    // The whole query of the last PrintPreSQL1 call, and its tail from the first "where".
    QString querySQL;
    QString whereSQL;
    // The report that last run was for: whereSQL is that report's condition, and no other
    // report's query gets it.
    QString whereReport;
    // Merged columns of the report on the sheet: column numbers separated by ",".
    QString mergeList;
    // The current report: the name that keys its definition row. It belongs to the
    // designer window but outlives the window's unload and reload.
    QString reportName;
    // The working sheet the designer shows and every run builds on.
    grid::Sheet sheet;
    // The file the last workbook export of this session wrote (empty before the first): the
    // export dialog opens on it.
    QString lastExportName;
    // Fit to pages wide as page setup last set it this session, by report name: what a
    // report's runs use when tsl_report has no column to store it in.
    QHash<QString, int> fitPagesWide;
    // Column formats as the designer last saved them this session, by report name, in the
    // stored form of 列格式: what a report's runs use when tsl_report has no such column.
    QHash<QString, QString> columnFormats;
    // The paper as page setup last set it this session, by report name: what a report's
    // runs use when tsl_report has no column to store it in.
    QHash<QString, grid::Paper> papers;
    // Stored papers the user has been told cannot be read ("report\ntext"): each is told once.
    QSet<QString> paperNotices;
    // Groupings as the designer last saved them this session, by report name, in the stored
    // form of 分组: what a report's runs use when tsl_report has no such column.
    QHash<QString, QString> groupings;
    // Stored groupings the user has been told cannot all be read ("report\ntext"): each is
    // told once.
    QSet<QString> groupingNotices;
    // The runs leave every stored grouping out (the renderer's --no-groups).
    bool groupsOff = false;
    // Conditional formats as the designer last saved them this session, by report name, in
    // the stored form of 条件格式: what a report's runs use when tsl_report has no such column.
    QHash<QString, QString> conditions;
    // Stored conditional formats the user has been told cannot all be used ("report\ntext"):
    // each is told once.
    QSet<QString> conditionNotices;
    // Charts as the designer last saved them this session, by report name, in the stored form
    // of 图表: what a report's runs use when tsl_report has no such column.
    QHash<QString, QString> charts;
    // Stored charts the user has been told cannot all be drawn ("report\ntext"): each is told
    // once.
    QSet<QString> chartNotices;
    // Parameters as the designer last saved them this session, by report name, in the stored
    // form of 参数: what a report's runs use when tsl_report has no such column.
    QHash<QString, QString> params;
    // Stored parameters the user has been told cannot all be used ("report\ntext"): each is
    // told once.
    QSet<QString> paramNotices;
    // The runs leave every stored chart out (the renderer's --no-charts).
    bool chartsOff = false;
    // Columns a run widened for their numbers that the user has been told of ("report\n
    // labels"): each is told once.
    QSet<QString> numberWidthNotices;
};

}  // namespace tessel::report
