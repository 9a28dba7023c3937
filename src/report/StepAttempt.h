// The forgiving rule every step of a run keeps: a step that fails (a missing column, a NULL,
// a value the sheet refuses, a read the database refuses) ends only itself, and the next
// step runs.
#pragma once

#include <tessel/Error.h>

#include <exception>

namespace tessel::report {

// Runs `step`; whatever it throws only ends that step.
template <class F>
void attempt(F &&step) noexcept {
    try {
        step();
    } catch (const Error &) {
    } catch (const std::exception &) {
    }
}

}  // namespace tessel::report
