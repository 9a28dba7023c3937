// Tessel: report component for desktop database applications.
// The one header a host application includes.
#pragma once

#include <tessel/Error.h>
#include <QLocale>
#include <QObject>
#include <QSqlDatabase>
#include <QString>
#include <QVariant>

namespace tessel {

// The report component. A host creates it, hands it a connection (ConDb or tsDBc), names a
// report (NameOfReport), sets report variables (PutVar) and runs the report. Every object
// on one thread shares one state: the connection, the variables, the current report and
// the designer window with its working sheet. Destroying an object changes nothing.
// Members keep their fixed order; properties and methods can be reached late-bound by
// name through Qt's meta-object system. Errors are thrown as tessel::Error.
class TESSEL_EXPORT clsReport : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString sqlAfter1 READ sqlAfter1 WRITE setSqlAfter1)
    Q_PROPERTY(QString sqlReport1 READ sqlReport1 WRITE setSqlReport1)
    Q_PROPERTY(QSqlDatabase tsDBc READ tsDBc WRITE setTsDBc)
    Q_PROPERTY(int tsCols READ tsCols WRITE setTsCols)
    Q_PROPERTY(int tsRows READ tsRows WRITE setTsRows)
    Q_PROPERTY(bool Visible READ Visible WRITE setVisible)
    Q_PROPERTY(QString NameOfReport READ NameOfReport WRITE setNameOfReport)

public:
    // Loads the designer window hidden (on the GUI thread) and empties the merged-column
    // list of the shared state.
    explicit clsReport(QObject *parent = nullptr);
    ~clsReport() override;

    // Two strings of the object's own, for the host; the component never reads them.
    QString sqlAfter1() const;
    void setSqlAfter1(const QString &);
    QString sqlReport1() const;
    void setSqlReport1(const QString &);

    // Runs a stored report with the host's query: the definition of the current report (or
    // `reportName` when given) supplies the SELECT, labels, widths and print settings, `sql`
    // only its tail from the first lowercase "where". `isshow`: 0 shows the designer window,
    // 1 the preview, 2 prints at once, anything else shows nothing. `ishj` appends a totals
    // row over the columns in `HJcol` (all columns when left out) after showing or printing.
    // Errors are shown to the user and the call returns normally. Without a definition the
    // query's rows are shown in the designer so that the user can save them as a report.
    Q_INVOKABLE void PrintPreSQL1(const QString &sql, const QString &reportName, int isshow,
                                  bool ishj);
    Q_INVOKABLE void PrintPreSQL1(const QString &sql, const QString &reportName, int isshow,
                                  bool ishj, const QVariant &HJcol);

    // Drops the shared connection and opens a new one from a connection string. On failure
    // the error is thrown and the shared connection is the new, unopened one.
    Q_INVOKABLE void ConDb(const QString &DbStr);

    // The shared connection: the host's own QSqlDatabase, shared and not copied.
    QSqlDatabase tsDBc() const;
    void setTsDBc(const QSqlDatabase &);

    // Column / row count of the working sheet. Negative counts are refused. Like setText and
    // getText, these load the designer window first when it is not loaded (the user closed
    // it), which gives the working sheet its design state.
    int tsCols() const;
    void setTsCols(int);
    int tsRows() const;
    void setTsRows(int);

    // Shows or hides the designer window.
    bool Visible() const;
    void setVisible(bool);

    // The current report name: the key of its row in tsl_report.
    QString NameOfReport() const;
    void setNameOfReport(const QString &);

    // Replaces the report variables: a QVariantList of rows, each a QVariantList (name,
    // value). Names are stored with the prefix "V"; an empty or null name gives "V" alone.
    // A value of any other shape is refused and the previous list stays.
    Q_INVOKABLE void PutVar(const QVariant &tslVar);

    // Writes / reads a cell of the working sheet; row 0 is the column header row, column 0
    // the row header column.
    Q_INVOKABLE void setText(int col, int Row, const QVariant &strText);
    Q_INVOKABLE QVariant getText(int col, int Row) const;

    // Runs a stored report on a grid the host filled: a QAbstractItemModel (its header row
    // is grid row 0), a QAbstractItemView (its model), or any object with the properties
    // `cols` and `Rows` and an invokable `TextMatrix(int row, int col)`. With a definition the
    // stored labels stay and grid row 0 is not copied. Errors are shown to the user.
    Q_INVOKABLE void PrintPreGrid(QObject *gd, const QString &rpName, int isshow, bool ishj);
    Q_INVOKABLE void PrintPreGrid(QObject *gd, const QString &rpName, int isshow, bool ishj,
                                  const QVariant &HJcol);

    // Applies the stored definition of the report `name` (spaces trimmed; empty: the current
    // report) to the working sheet as it stands, with `col` columns, then shows it as
    // `isshow` asks and appends a totals row labelled "合计" without sums. `rowH` is the
    // header row height (points) used when no definition exists. Errors are thrown.
    Q_INVOKABLE void getReport(const QString &name, int col, int isshow, float rowH = 10.5f);

    // The decimal point and thousands separator of every formatted number the component
    // shows, prints and writes as text (CSV), for the whole process: "." and "," until a host
    // chooses its locale's, e.g. setNumberSeparators(QLocale().decimalPoint().at(0),
    // QLocale().groupSeparator().at(0)). Workbook cells keep their own number formats, which
    // the workbook shows with the reader's separators. Two equal characters, a digit, "-",
    // "+" or "%" are refused (Error, nothing changed).
    static void setNumberSeparators(QChar decimalPoint, QChar groupSeparator);

    // The language of every window and message of the component, for the whole process:
    // Chinese (the default) or English (QLocale(QLocale::English)); a language without a
    // translation shows the Chinese texts. Overrides the environment variable TESSEL_LANG
    // ("en"), which applies when a host never calls this. Needs the application object.
    // Returns whether a translation is in use.
    static bool setLanguage(const QLocale &locale);

private:
    QString m_sqlAfter1;
    QString m_sqlReport1;
};

}  // namespace tessel
