// The per-thread cache behind looksOf: each thread keeps the looks of the two sheets with
// rules it asked about last.
#include <QPointer>
#include <array>
#include <memory>
#include <utility>

#include "conditions/CellLooks.h"
#include "grid/Sheet.h"

namespace tessel::conditions {

namespace {

// One sheet's looks on this thread. The pointer clears itself when its sheet is destroyed, so a
// new sheet at the same address is never taken for it.
struct KeptLooks {
    QPointer<const grid::Sheet> sheet;
    std::uint64_t rulesRevision = 0;  // the sheet's revision when its rules were last compared
    std::unique_ptr<CellLooks> looks;
};

}  // namespace

const CellLooks &looksOf(const grid::Sheet &sheet) {
    thread_local const CellLooks none;
    if (sheet.conditions().empty())
        return none;
    // Most recent first.
    thread_local std::array<KeptLooks, 2> kept;
    if (kept[0].sheet != &sheet) {
        if (kept[1].sheet == &sheet) {
            std::swap(kept[0], kept[1]);
        } else {
            kept[1] = std::move(kept[0]);
            kept[0] = KeptLooks{&sheet, sheet.revision(),
                                std::make_unique<CellLooks>(sheet.conditions())};
        }
    }
    KeptLooks &k = kept[0];
    // Rules change only with the revision: they are compared again only then.
    if (k.rulesRevision != sheet.revision()) {
        k.rulesRevision = sheet.revision();
        if (k.looks->rules() != sheet.conditions())
            k.looks->setRules(sheet.conditions());
    }
    return *k.looks;
}

}  // namespace tessel::conditions
