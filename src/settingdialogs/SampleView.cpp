#include "settingdialogs/SampleView.h"

#include <QLabel>
#include <QVBoxLayout>

#include "base/Language.h"
#include "widgets/SheetView.h"

namespace tessel::settingdialogs {

SampleView::SampleView(QWidget *parent) : QWidget(parent) {
    auto *caption = new QLabel(tessel::base::tr("示例（报表的前 %1 行）：").arg(kRows), this);
    caption->setObjectName(QStringLiteral("lblSample"));
    m_view = new widgets::SheetView(this);
    m_view->setObjectName(QStringLiteral("VaSample"));
    m_view->setSheet(&m_sheet);
    m_view->setMinimumHeight(180);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(caption);
    layout->addWidget(m_view, 1);
}

SampleView::~SampleView() {
    // The view must let go of the sheet before the sheet, a member, is destroyed.
    m_view->setSheet(nullptr);
}

}  // namespace tessel::settingdialogs
