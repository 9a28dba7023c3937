#include "widgets/Zooms.h"

#include "widgets/PageView.h"

namespace tessel::widgets {

namespace {

using widgets::PageView;

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

void SetZoom(widgets::PageView &view, int index) {
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

int stepZoomPreset(widgets::PageView &view, int steps) {
    // The percentage shown: the view's own in percentage mode, else what its fitted scale
    // comes to (100 % is the paper's real size at 96 pixels per inch).
    double shown = view.viewMode() == PageView::Percentage ? view.zoomPercent()
                                                           : view.scale() * 72.0 / 96.0 * 100.0;
    int chosen = -1;
    for (; steps != 0; steps += steps > 0 ? -1 : 1) {
        int next = -1;
        for (int i = 0; i < kZoomPresetCount; ++i) {
            if (kPresets[i].mode != PageView::Percentage)
                continue;
            const int percent = kPresets[i].percent;
            // A fitted scale a hair off a preset counts as that preset.
            const bool beyond = steps > 0 ? percent > shown + 0.5 : percent < shown - 0.5;
            const bool closer = next < 0 || (steps > 0 ? percent < kPresets[next].percent
                                                       : percent > kPresets[next].percent);
            if (beyond && closer)
                next = i;
        }
        if (next < 0)
            break;
        chosen = next;
        shown = kPresets[next].percent;
    }
    if (chosen >= 0)
        SetZoom(view, chosen);
    return chosen;
}

}  // namespace tessel::widgets
