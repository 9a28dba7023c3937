// The designer's modeless child windows: one of each kind at a time.
#pragma once

#include "designer/PrintSpread.h"

namespace tessel::designer {

// Brings the open window of kind W to the front, or opens a new one on `designer`.
template <class W>
QWidget *showOnce(PrintSpread &designer) {
    for (W *open : designer.findChildren<W *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (open->isVisible()) {
            open->raise();
            open->activateWindow();
            return open;
        }
    }
    auto *window = new W(designer);
    window->show();
    return window;
}

}  // namespace tessel::designer
