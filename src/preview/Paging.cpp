#include "preview/Paging.h"

#include <algorithm>

namespace tessel::preview {

int nextPage(int current, int count, int perScreen) {
    return current < count ? current + perScreen : current;
}

int previousPage(int current, int perScreen) {
    // The pages per screen may have changed since the last step forward: page 1 is the floor.
    return current > 1 ? std::max(1, current - perScreen) : current;
}

PageButtons pageButtons(int current, int count, int perScreen) {
    return {current > 1, current + perScreen <= count};
}

}  // namespace tessel::preview
