// The zoom presets of the preview pane: the fixed list of ways the page view can show pages,
// with the texts the page setup dialog lists, and SetZoom, which applies one.
#pragma once

#include <QString>
#include <QStringList>

namespace tessel::widgets {

class PageView;

// Number of presets; indexes run from 0 to kZoomPresetCount - 1.
inline constexpr int kZoomPresetCount = 14;
// The preset the preview opens with and the page setup dialog starts on: "100%".
inline constexpr int kDefaultZoomPreset = 2;
// "Page Width" and "Whole Page".
inline constexpr int kPageWidthPreset = 7;
inline constexpr int kWholePagePreset = 9;

// The text of preset `index` ("200%" ... "10%", "Page Width", "Page Height", "Whole Page",
// "Two Pages", "Three Pages", "Four Pages", "Six Pages"); empty outside 0..13.
QString zoomPresetText(int index);
// All 14 texts in index order.
QStringList zoomPresetTexts();

// Sets the page view to preset `index`: 0-6 a percentage view (200, 150, 100, 75, 50, 25,
// 10 percent), 7 page width, 8 page height, 9 whole page, 10-13 several pages (2 x 1, 3 x 1,
// 2 x 2, 3 x 2 across by down). Any other index changes nothing. Neither the current page
// nor anything else of the view changes.
void SetZoom(widgets::PageView &view, int index);

// Zooms the page view in (steps > 0) or out (steps < 0) through the percentage presets
// (200% ... 10%), from the scale it shows now in whatever mode: each step in goes to the
// next larger percentage than the one shown, each step out to the next smaller; steps beyond
// 200% or 10% are dropped. Returns the preset applied, or -1 when none was (the view is then
// unchanged).
int stepZoomPreset(widgets::PageView &view, int steps);

}  // namespace tessel::widgets
