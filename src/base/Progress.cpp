#include "base/Progress.h"

namespace tessel::base {

const char *Cancelled::what() const noexcept {
    return "cancelled";
}

Progress::~Progress() = default;

void Progress::begin(const QString &, ProgressUnit, qint64) {}

void Progress::update(qint64) {}

bool Progress::cancelled() const {
    return false;
}

void Progress::finish() {}

Progress &noProgress() {
    static Progress none;
    return none;
}

}  // namespace tessel::base
