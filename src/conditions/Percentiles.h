// Order statistics of a column's numbers, as the workbook program computes them: a
// percentile, and the n-th number from either end.
#pragma once

#include <algorithm>
#include <cstddef>
#include <vector>

namespace tessel::conditions {

// The value at fraction p (0..1) of the sorted numbers, linear between neighbours (the
// workbook program's inclusive percentile). `numbers` is reordered.
double percentile(std::vector<double> &numbers, double p);

// The count-th of `numbers` in the order `before` (count from 1, below numbers.size()). A
// few from the end are kept in a heap in one pass; a larger count sorts a copy partly.
template <typename Before>
double nthFromEnd(const std::vector<double> &numbers, std::size_t count, Before before) {
    constexpr std::size_t kHeapMost = 1000;
    if (count <= kHeapMost) {
        // The heap's top is the last of the `count` first so far.
        std::vector<double> heap(numbers.begin(), numbers.begin() + std::ptrdiff_t(count));
        std::make_heap(heap.begin(), heap.end(), before);
        for (std::size_t i = count; i < numbers.size(); ++i) {
            if (before(numbers[i], heap.front())) {
                std::pop_heap(heap.begin(), heap.end(), before);
                heap.back() = numbers[i];
                std::push_heap(heap.begin(), heap.end(), before);
            }
        }
        return heap.front();
    }
    std::vector<double> copy = numbers;
    const auto nth = copy.begin() + std::ptrdiff_t(count - 1);
    std::nth_element(copy.begin(), nth, copy.end(), before);
    return *nth;
}

}  // namespace tessel::conditions
