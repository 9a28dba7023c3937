// The preview's paging rules: where the page buttons take the page view and which of them can
// be pressed. A step moves by the pages the pane shows at once.
#pragma once

namespace tessel::preview {

// The page "下一页" shows: `current` + `perScreen` while `current` is before the last of the
// `count` pages (the page view clamps it to the last page), else `current`.
int nextPage(int current, int count, int perScreen);

// The page "前一页" shows: `current` − `perScreen` after the first page, never below page 1;
// page 1 stays.
int previousPage(int current, int perScreen);

// Which page buttons can be pressed on page `current` of `count`, `perScreen` pages in view:
// "前一页" after the first page, "下一页" while a whole screen of pages follows.
struct PageButtons {
    bool previous = false;
    bool next = false;
    bool operator==(const PageButtons &) const = default;
};
PageButtons pageButtons(int current, int count, int perScreen);

}  // namespace tessel::preview
