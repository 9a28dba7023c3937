// What an owner of a list editor does to its own items when the editor says an item moved or
// left the list: the items are a vector in the order of the editor's lines.
#pragma once

#include <utility>
#include <vector>

namespace tessel::settingdialogs {

// Moves item `from` of `items` to position `to`, the others keeping their order; false,
// changing nothing, when either lies outside the items.
template <class T>
bool moveItem(std::vector<T> &items, int from, int to) {
    const int count = int(items.size());
    if (from < 0 || from >= count || to < 0 || to >= count)
        return false;
    // Taken out and put back rather than swapped: GCC 12 warns, wrongly, of an uninitialised
    // optional in std::swap's temporary.
    T moved = std::move(items[std::size_t(from)]);
    items.erase(items.begin() + from);
    items.insert(items.begin() + to, std::move(moved));
    return true;
}

// Removes item `index` of `items`; false when there is none.
template <class T>
bool removeItem(std::vector<T> &items, int index) {
    if (index < 0 || index >= int(items.size()))
        return false;
    items.erase(items.begin() + index);
    return true;
}

}  // namespace tessel::settingdialogs
