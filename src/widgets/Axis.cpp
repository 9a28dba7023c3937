#include "widgets/Axis.h"

#include <algorithm>

namespace tessel::widgets {

void Axis::reset(int count, int defaultPx) {
    m_overrides.clear();
    m_totalDelta = 0;
    m_count = std::max(0, count);
    m_defaultPx = std::max(0, defaultPx);
}

void Axis::add(int index, int px) {
    if (index < 1 || index > m_count || px == m_defaultPx)
        return;
    m_overrides.push_back({index, px, m_totalDelta});
    m_totalDelta += px - m_defaultPx;
}

std::int64_t Axis::startOf(const Override &o) const {
    return std::int64_t(o.index - 1) * m_defaultPx + o.deltaBefore;
}

std::int64_t Axis::offset(int index) const {
    index = std::clamp(index, 1, m_count + 1);
    auto it = std::lower_bound(m_overrides.begin(), m_overrides.end(), index,
                               [](const Override &o, int i) { return o.index < i; });
    std::int64_t delta = it == m_overrides.end() ? m_totalDelta : it->deltaBefore;
    return std::int64_t(index - 1) * m_defaultPx + delta;
}

int Axis::size(int index) const {
    if (index < 1 || index > m_count)
        return 0;
    auto it = std::lower_bound(m_overrides.begin(), m_overrides.end(), index,
                               [](const Override &o, int i) { return o.index < i; });
    return it != m_overrides.end() && it->index == index ? it->px : m_defaultPx;
}

int Axis::indexAt(std::int64_t pos) const {
    if (pos < 0 || m_count == 0)
        return 0;
    if (pos >= total())
        return m_count + 1;
    // The last override starting at or before pos: items after it run at the default size
    // up to the next override, so the answer is arithmetic from there.
    auto it =
        std::upper_bound(m_overrides.begin(), m_overrides.end(), pos,
                         [this](std::int64_t p, const Override &o) { return p < startOf(o); });
    int baseIndex = 1;
    std::int64_t baseStart = 0;
    if (it != m_overrides.begin()) {
        const Override &o = *(it - 1);
        std::int64_t start = startOf(o);
        if (pos < start + o.px)
            return o.index;
        baseIndex = o.index + 1;
        baseStart = start + o.px;
    }
    if (m_defaultPx <= 0)
        return m_count + 1;
    std::int64_t i = baseIndex + (pos - baseStart) / m_defaultPx;
    return int(std::min<std::int64_t>(i, m_count + 1));
}

std::int64_t Axis::scrollToShow(int index, std::int64_t value, std::int64_t viewLength) const {
    const std::int64_t start = offset(index), end = start + size(index);
    if (start < value)
        return start;
    if (end > value + viewLength)
        return std::min(start, end - viewLength);
    return value;
}

}  // namespace tessel::widgets
