// The component's per-thread shared state: the report session and the designer window.
#pragma once

#include <QPointer>

#include "designer/PrintSpread.h"
#include "report/ReportSession.h"

namespace tessel::component {

class SharedState {
public:
    report::ReportSession session;

    // The designer window, loaded hidden when missing. Throws Error(Argument) off the
    // application's user-interface thread, where no window can exist.
    designer::PrintSpread &designer();
    // The designer window if loaded (and not closed by the user), else nullptr.
    designer::PrintSpread *loadedDesigner() const {
        return m_designer && !m_designer->closed() ? m_designer.data() : nullptr;
    }
    // Destroys the designer window (its members in the session stay).
    void unloadDesigner();
    // Unload then load: the window and the working sheet start from their design state.
    designer::PrintSpread &reloadDesigner();

    ~SharedState();

private:
    designer::DesignerOpeners windowOpeners();
    QPointer<designer::PrintSpread> m_designer;
};

// The calling thread's shared state, created empty on first use. Its windows are
// destroyed when the application object goes, before Qt's GUI is torn down.
SharedState &sharedState();

}  // namespace tessel::component
