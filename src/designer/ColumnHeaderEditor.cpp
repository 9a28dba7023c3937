#include "designer/ColumnHeaderEditor.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>

#include "base/Interaction.h"
#include "base/Language.h"
#include "designer/PrintSpread.h"
#include "report/SheetBuilding.h"

namespace tessel::designer {

ColumnHeaderEditor::ColumnHeaderEditor(PrintSpread &designer)
    : QDialog(&designer), m_designer(designer) {
    setObjectName(QStringLiteral("frmLBT"));
    setWindowTitle(tessel::base::tr("设置列标题文本"));

    auto *caption = new QLabel(tessel::base::tr("列标头："), this);
    caption->setObjectName(QStringLiteral("Label11"));
    auto *hint = new QLabel(tessel::base::tr("(用全角逗号分隔)"), this);
    hint->setObjectName(QStringLiteral("Label12"));
    m_text = new QLineEdit(this);
    m_text->setObjectName(QStringLiteral("txtColSTR"));
    m_text->setMinimumWidth(420);

    auto *ok = new QPushButton(tessel::base::tr("确定"), this);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    auto *cancel = new QPushButton(tessel::base::tr("取消"), this);
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

    const grid::Sheet &sheet = m_designer.sheet();
    QStringList headers;
    for (int c = 1; c <= sheet.maxCols(); ++c)
        headers << sheet.text(c, 0);
    m_text->setText(headers.join(u'，'));
}

ColumnHeaderEditor::~ColumnHeaderEditor() = default;

void ColumnHeaderEditor::onApplyHeaders() {
    grid::Sheet &sheet = m_designer.sheet();
    QStringList before;
    for (int c = 1; c <= sheet.maxCols(); ++c)
        before << sheet.text(c, 0);
    report::SetLabelsAndWidths(std::optional(m_text->text()), std::optional(QString()),
                               sheet.maxCols(), sheet);
    for (int c = 1; c <= sheet.maxCols(); ++c) {
        if (sheet.text(c, 0) != before.value(c - 1)) {
            m_designer.noteUserChange();
            break;
        }
    }
    accept();
}

void ColumnHeaderEditor::onCancel() {
    reject();
}

int runColumnHeaderEditor(PrintSpread &designer) {
    QPointer<ColumnHeaderEditor> editor = new ColumnHeaderEditor(designer);
    const int result = base::interaction().execDialog(editor);
    delete editor.data();
    return result;
}

}  // namespace tessel::designer
