#include "conditions/Percentiles.h"

#include <cmath>

namespace tessel::conditions {

double percentile(std::vector<double> &numbers, double p) {
    const double pos = p * double(numbers.size() - 1);
    const auto lower = std::size_t(std::floor(pos));
    std::nth_element(numbers.begin(), numbers.begin() + std::ptrdiff_t(lower), numbers.end());
    const double low = numbers[lower];
    if (lower + 1 >= numbers.size() || pos == double(lower))
        return low;
    const double high =
        *std::min_element(numbers.begin() + std::ptrdiff_t(lower) + 1, numbers.end());
    return low + (high - low) * (pos - double(lower));
}

}  // namespace tessel::conditions
