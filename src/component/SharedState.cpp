#include "component/SharedState.h"

#include <tessel/clsReport.h>

#include <QApplication>
#include <QThread>
#include "designer/ColumnHeaderEditor.h"
#include "designer/DataSetWizard.h"
#include "designer/ReportList.h"
#include "preview/SpreadPreview.h"

namespace tessel::component {

namespace {

thread_local SharedState *t_state = nullptr;

// Windows must go while the GUI still stands: the application object's destructor runs
// this before it tears the GUI down for good. Only the GUI thread has windows.
void destroyGuiThreadWindows() {
    if (t_state) {
        t_state->unloadDesigner();
        t_state->session.sheet.clear();  // pictures are GUI resources
    }
}

bool onGuiThread() {
    return qApp && QThread::currentThread() == qApp->thread() &&
           qobject_cast<QApplication *>(QCoreApplication::instance()) != nullptr;
}

}  // namespace

SharedState &sharedState() {
    thread_local SharedState state;
    if (!t_state) {
        t_state = &state;
        if (onGuiThread())
            qAddPostRoutine(destroyGuiThreadWindows);
    }
    return state;
}

SharedState::~SharedState() {
    delete m_designer.data();
    if (t_state == this)
        t_state = nullptr;
}

designer::PrintSpread &SharedState::designer() {
    // A window the user closed is only waiting to be deleted: it counts as unloaded, so
    // what is written now lands on the sheet of the window that replaces it.
    if (m_designer && m_designer->closed())
        m_designer = nullptr;
    if (!m_designer) {
        if (!onGuiThread()) {
            throw Error(Error::Category::Argument,
                        QStringLiteral("The designer window can only be used on the "
                                       "application's user-interface thread"));
        }
        m_designer = new designer::PrintSpread(session, windowOpeners());
    }
    return *m_designer;
}

designer::DesignerOpeners SharedState::windowOpeners() {
    // The designer's commands open the windows above it; they always act on the loaded
    // designer of this thread.
    designer::DesignerOpeners o;
    o.preview = [this] { preview::openPreview(session); };
    o.dataWizard = [this] { designer::openDataSetWizard(designer()); };
    o.reportList = [this] { designer::openReportList(designer()); };
    o.columnHeaders = [this] { designer::runColumnHeaderEditor(designer()); };
    return o;
}

void SharedState::unloadDesigner() {
    designer::PrintSpread *w = m_designer.data();
    if (!w)
        return;
    // A dialog of the window may be running its own event loop (a message box of the
    // wizard, say): the window then goes once that loop has returned, not from under it.
    for (QWidget *modal = QApplication::activeModalWidget(); modal; modal = modal->parentWidget()) {
        if (modal == w) {
            m_designer = nullptr;
            w->hide();
            w->setObjectName(QString());
            w->deleteLater();
            return;
        }
    }
    delete w;
}

designer::PrintSpread &SharedState::reloadDesigner() {
    unloadDesigner();
    return designer();
}

}  // namespace tessel::component
