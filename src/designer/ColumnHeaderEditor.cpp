#include "designer/ColumnHeaderEditor.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

#include "designer/PrintSpread.h"
#include "platform/Interaction.h"
#include "platform/Language.h"
#include "sheet/SheetBuilding.h"

namespace tessel::designer {

ColumnHeaderEditor::ColumnHeaderEditor(PrintSpread &designer)
    : QDialog(&designer), m_designer(designer) {
    setObjectName(QStringLiteral("frmLBT"));
    setWindowTitle(tessel::platform::tr("设置列标题文本"));

    auto *caption = new QLabel(tessel::platform::tr("列标头："), this);
    caption->setObjectName(QStringLiteral("Label11"));
    auto *hint = new QLabel(tessel::platform::tr("(用全角逗号分隔)"), this);
    hint->setObjectName(QStringLiteral("Label12"));
    m_text = new QLineEdit(this);
    m_text->setObjectName(QStringLiteral("txtColSTR"));
    m_text->setMinimumWidth(420);

    auto *ok = new QPushButton(tessel::platform::tr("确定"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    auto *cancel = new QPushButton(tessel::platform::tr("取消"), this);
    cancel->setObjectName(QStringLiteral("cmdCanel"));
    connect(ok, &QPushButton::clicked, this, &ColumnHeaderEditor::onApplyHeaders);
    connect(cancel, &QPushButton::clicked, this, &ColumnHeaderEditor::onCancel);

    auto *grid = new QGridLayout(this);
    grid->addWidget(caption, 0, 0);
    grid->addWidget(m_text, 0, 1);
    grid->addWidget(hint, 1, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);
    grid->addLayout(buttons, 2, 0, 1, 2);

    const platform::Sheet &sheet = m_designer.sheet();
    QStringList headers;
    for (int c = 1; c <= sheet.maxCols(); ++c)
        headers << sheet.text(c, 0);
    m_text->setText(headers.join(u'，'));
}

ColumnHeaderEditor::~ColumnHeaderEditor() = default;

void ColumnHeaderEditor::onApplyHeaders() {
    platform::Sheet &sheet = m_designer.sheet();
    sheet::SetLabelsAndWidths(std::optional(m_text->text()), std::optional(QString()),
                              sheet.maxCols(), sheet);
    accept();
}

void ColumnHeaderEditor::onCancel() {
    reject();
}

int runColumnHeaderEditor(PrintSpread &designer) {
    QPointer<ColumnHeaderEditor> editor = new ColumnHeaderEditor(designer);
    const int result = platform::interaction().execDialog(editor);
    delete editor.data();
    return result;
}

}  // namespace tessel::designer
