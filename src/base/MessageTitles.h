// The titles of the component's message boxes, the same in every window.
#pragma once

#include "base/Language.h"

#include <QString>

namespace tessel::base {

// A failure the user must know of: a save, a query or an output file that did not work.
inline QString warningTitle() {
    return tessel::base::tr("系统警告");
}
// A question or a prompt (the merge prompt, "no tables").
inline QString promptTitle() {
    return tessel::base::tr("系统提示");
}
// What a run tells the user (no definition, a query error).
inline QString infoTitle() {
    return tessel::base::tr("系统信息");
}
// A short confirmation ("报表删除成功！").
inline QString noticeTitle() {
    return tessel::base::tr("提示");
}

// What a dialog tells about its own input or state (a margin typed incompletely, a report
// that no longer exists, nothing chosen).
inline QString informationTitle() {
    return tessel::base::tr("提示信息");
}

}  // namespace tessel::base
