// The live sample a setting dialog shows under its controls (lblSample "示例（报表的前 20
// 行）：" over the sheet view VaSample): a sheet of the report's first kRows rows, which the
// dialog fills and changes as the setting is edited; the view follows each change.
#pragma once

#include <QWidget>

#include "grid/Sheet.h"

namespace tessel::widgets {
class SheetView;
}

namespace tessel::settingdialogs {

class SampleView : public QWidget {
    Q_OBJECT
public:
    // The report's rows a sample holds at most.
    static constexpr int kRows = 20;

    explicit SampleView(QWidget *parent = nullptr);
    ~SampleView() override;

    // The sheet shown.
    grid::Sheet &sheet() { return m_sheet; }
    const grid::Sheet &sheet() const { return m_sheet; }

private:
    grid::Sheet m_sheet;
    widgets::SheetView *m_view = nullptr;
};

}  // namespace tessel::settingdialogs
