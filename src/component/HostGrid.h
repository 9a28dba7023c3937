// Reading a grid the host filled, whatever kind of object it is.
#pragma once

#include <QObject>
#include <optional>

#include "report/ReportRun.h"

namespace tessel::component {

// A host grid seen as rows × cols texts; row 0 is the grid's header row. A run takes it as
// its rows' source (report/ReportRun).
using HostGrid = report::HostGrid;

// Reads `gd` as a QAbstractItemModel (its horizontal headers are row 0, its rows 1…), a
// QAbstractItemView (its model), or an object with properties `cols`, `Rows` and an
// invokable `TextMatrix(int row, int col)`. nullopt when it is none of these.
std::optional<HostGrid> readHostGrid(QObject *gd);

}  // namespace tessel::component
