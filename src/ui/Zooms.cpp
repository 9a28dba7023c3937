#include "ui/Zooms.h"

#include "platform/view/PageView.h"

namespace tessel::ui {

namespace {

using platform::PageView;

struct Preset {
    const char *text;
    int mode;
    int percent;  // percentage view only
    int across;   // several pages only
    int down;
};

constexpr Preset kPresets[kZoomPresetCount] = {
    {"200%", PageView::Percentage, 200, 0, 0},
    {"150%", PageView::Percentage, 150, 0, 0},
    {"100%", PageView::Percentage, 100, 0, 0},
    {"75%", PageView::Percentage, 75, 0, 0},
    {"50%", PageView::Percentage, 50, 0, 0},
    {"25%", PageView::Percentage, 25, 0, 0},
    {"10%", PageView::Percentage, 10, 0, 0},
    {"Page Width", PageView::PageWidth, 0, 0, 0},
    {"Page Height", PageView::PageHeight, 0, 0, 0},
    {"Whole Page", PageView::WholePage, 0, 0, 0},
    {"Two Pages", PageView::MultiplePages, 0, 2, 1},
    {"Three Pages", PageView::MultiplePages, 0, 3, 1},
    {"Four Pages", PageView::MultiplePages, 0, 2, 2},
    {"Six Pages", PageView::MultiplePages, 0, 3, 2},
};

}  // namespace

QString zoomPresetText(int index) {
    if (index < 0 || index >= kZoomPresetCount)
        return {};
    return QString::fromLatin1(kPresets[index].text);
}

QStringList zoomPresetTexts() {
    QStringList texts;
    for (const Preset &p : kPresets)
        texts << QString::fromLatin1(p.text);
    return texts;
}

void SetZoom(platform::PageView &view, int index) {
    if (index < 0 || index >= kZoomPresetCount)
        return;
    const Preset &p = kPresets[index];
    // The mode first, then what the mode shows by: a listener of the view's changes sees
    // the new mode before its parameters.
    view.setViewMode(p.mode);
    if (p.mode == PageView::Percentage) {
        view.setZoomPercent(p.percent);
    } else if (p.mode == PageView::MultiplePages) {
        view.setPagesAcross(p.across);
        view.setPagesDown(p.down);
    }
}

}  // namespace tessel::ui
