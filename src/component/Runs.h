// What the runs (PrintPreSQL1, PrintPreGrid) tell a caller that shows their messages in a
// way of its own, such as the renderer on a console.
#pragma once

#include <QString>

namespace tessel::component {

// The first line of the message a run shows when its query, or any other step, failed
// (further lines, when present, carry the database's reason), in the interface language.
QString queryFailedMessage();

}  // namespace tessel::component
