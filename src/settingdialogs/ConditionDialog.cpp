#include "settingdialogs/ConditionDialog.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/Interaction.h"
#include "base/Language.h"
#include "base/MessageTitles.h"
#include "settingdialogs/ConditionEditing.h"
#include "settingdialogs/DialogParts.h"
#include "settingdialogs/ListEditor.h"
#include "settingdialogs/ListItems.h"

namespace tessel::settingdialogs {

using grid::ConditionRule;
using grid::RuleKind;

namespace {

// The kind box's entries, in the order of RuleShape.
constexpr const char *kShapes[] = {
    QT_TRANSLATE_NOOP("tessel::base", "条件"),
    QT_TRANSLATE_NOOP("tessel::base", "双色刻度"),
    QT_TRANSLATE_NOOP("tessel::base", "三色刻度"),
    QT_TRANSLATE_NOOP("tessel::base", "数据条"),
};

// The form's rows, in the order they are added.
enum FormRow { kKindRow, kWhenRow, kColourRow, kFontRow, kReachRow, kScaleRow, kBarRow };

// A flag box's state as a rule's optional flag: ticked sets it; unticked clears a flag that
// was set, and keeps a stored "false" (an explicit "not bold") as it was.
void setFlag(std::optional<bool> &flag, bool ticked) {
    if (ticked)
        flag = true;
    else if (flag.value_or(false))
        flag.reset();
}

}  // namespace

ConditionDialog::ConditionDialog(const grid::ConditionRules &rules, const grid::Sheet &report,
                                 int column, QWidget *parent)
    : QDialog(parent),
      m_all(rules),
      m_column(column),
      m_columnCount(report.maxCols()),
      m_rules(columnRules(rules, column)) {
    setObjectName(QStringLiteral("frmConditions"));
    setWindowTitle(tessel::base::tr("条件格式"));
    setModal(true);
    m_showing = true;

    // The column's rules.
    QString label = report.text(column, 0).simplified();
    auto *caption = new QLabel(
        label.isEmpty()
            ? tessel::base::tr("第 %1 列的规则（靠上的优先）：").arg(column)
            : tessel::base::tr("第 %1 列“%2”的规则（靠上的优先）：").arg(column).arg(label),
        this);
    caption->setObjectName(QStringLiteral("lblRules"));
    m_list = new ListEditor({"lstRules", "cmdAddRule", "cmdRemoveRule", "cmdRuleUp", "cmdRuleDown"},
                            Qt::Vertical, this);
    m_list->list()->setMinimumWidth(320);
    auto *listLayout = new QVBoxLayout;
    listLayout->addWidget(caption);
    listLayout->addWidget(m_list, 1);

    // The rule selected.
    m_rule = new QGroupBox(tessel::base::tr("所选规则"), this);
    m_rule->setObjectName(QStringLiteral("grpRule"));
    m_kind = new QComboBox(m_rule);
    m_kind->setObjectName(QStringLiteral("cmbKind"));
    for (const char *shape : kShapes)
        m_kind->addItem(tessel::base::tr(shape));
    m_when = new QComboBox(m_rule);
    m_when->setObjectName(QStringLiteral("cmbWhen"));
    for (const WhenChoice &c : whenChoices())
        m_when->addItem(tessel::base::tr(c.caption));
    m_value = new QLineEdit(m_rule);
    m_value->setObjectName(QStringLiteral("txtValue"));
    m_and = new QLabel(tessel::base::tr("与"), m_rule);
    m_value2 = new QLineEdit(m_rule);
    m_value2->setObjectName(QStringLiteral("txtValue2"));
    m_percent = new QCheckBox(tessel::base::tr("百分比"), m_rule);
    m_percent->setObjectName(QStringLiteral("chkPercent"));
    auto *whenRow = new QHBoxLayout;
    whenRow->addWidget(m_when);
    whenRow->addWidget(m_value, 1);
    whenRow->addWidget(m_and);
    whenRow->addWidget(m_value2, 1);
    whenRow->addWidget(m_percent);

    m_hasText = new QCheckBox(tessel::base::tr("文字颜色"), m_rule);
    m_hasText->setObjectName(QStringLiteral("chkText"));
    m_text = colourButton("cmdText");
    m_hasFill = new QCheckBox(tessel::base::tr("填充"), m_rule);
    m_hasFill->setObjectName(QStringLiteral("chkFill"));
    m_fill = colourButton("cmdFill");
    auto *colourRow = new QHBoxLayout;
    colourRow->addWidget(m_hasText);
    colourRow->addWidget(m_text);
    colourRow->addSpacing(12);
    colourRow->addWidget(m_hasFill);
    colourRow->addWidget(m_fill);
    colourRow->addStretch(1);
    m_bold = new QCheckBox(tessel::base::tr("加粗"), m_rule);
    m_bold->setObjectName(QStringLiteral("chkBold"));
    m_italic = new QCheckBox(tessel::base::tr("倾斜"), m_rule);
    m_italic->setObjectName(QStringLiteral("chkItalic"));
    auto *fontRow = new QHBoxLayout;
    fontRow->addWidget(m_bold);
    fontRow->addWidget(m_italic);
    fontRow->addStretch(1);
    m_row = new QCheckBox(tessel::base::tr("应用于整行"), m_rule);
    m_row->setObjectName(QStringLiteral("chkRow"));
    m_stop = new QCheckBox(tessel::base::tr("满足时不再应用后面的规则"), m_rule);
    m_stop->setObjectName(QStringLiteral("chkStop"));
    auto *reachRow = new QHBoxLayout;
    reachRow->addWidget(m_row);
    reachRow->addWidget(m_stop);
    reachRow->addStretch(1);

    auto *scaleRow = new QHBoxLayout;
    const char *ends[] = {QT_TRANSLATE_NOOP("tessel::base", "最小值"),
                          QT_TRANSLATE_NOOP("tessel::base", "中间值"),
                          QT_TRANSLATE_NOOP("tessel::base", "最大值")};
    for (int i = 0; i < 3; ++i) {
        auto *end = new QLabel(tessel::base::tr(ends[i]), m_rule);
        if (i == 1)
            m_middleCaption = end;
        m_scale[i] = colourButton(QStringLiteral("cmdScale_%1").arg(i).toLatin1().constData());
        scaleRow->addWidget(end);
        scaleRow->addWidget(m_scale[i]);
    }
    scaleRow->addStretch(1);
    m_bar = colourButton("cmdBar");
    auto *barRow = new QHBoxLayout;
    barRow->addWidget(m_bar);
    barRow->addStretch(1);

    m_form = new QFormLayout(m_rule);
    m_form->addRow(tessel::base::tr("类型："), m_kind);
    m_form->addRow(tessel::base::tr("条件："), whenRow);
    m_form->addRow(tessel::base::tr("颜色："), colourRow);
    m_form->addRow(tessel::base::tr("字形："), fontRow);
    m_form->addRow(tessel::base::tr("范围："), reachRow);
    m_form->addRow(tessel::base::tr("色阶："), scaleRow);
    m_form->addRow(tessel::base::tr("颜色："), barRow);

    m_sample = new SampleView(this);
    takeRuleSample(report, kSampleRows, m_sample->sheet());

    const auto [buttons, ok] = okCancelRow(this);

    auto *top = new QHBoxLayout;
    top->addLayout(listLayout, 2);
    top->addWidget(m_rule, 3);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top, 3);
    layout->addWidget(m_sample, 2);
    layout->addLayout(buttons);
    resize(1000, 600);

    connect(ok, &QPushButton::clicked, this, &ConditionDialog::accept);
    connect(m_list, &ListEditor::currentChanged, this, [this] { showRule(); });
    connect(m_list, &ListEditor::addClicked, this, [this] {
        m_rules.push_back(newRule(m_column));
        m_list->append(ruleSummary(m_rules.back()));
        refreshSample();
    });
    connect(m_list, &ListEditor::removed, this, [this](int row) {
        if (removeItem(m_rules, row))
            refreshSample();
    });
    connect(m_list, &ListEditor::moved, this, [this](int from, int to) {
        if (moveRule(m_rules, from, to - from))
            refreshSample();
    });
    connect(m_kind, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (ConditionRule *r = currentRule(); r && !m_showing && index >= 0) {
            setShape(*r, RuleShape(index));
            showRule();
            ruleEdited();
        }
    });
    connect(m_when, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (ConditionRule *r = currentRule(); r && !m_showing && index >= 0) {
            setWhen(*r, whenChoices()[std::size_t(index)].when);
            showRule();
            ruleEdited();
        }
    });
    const auto valueBox = [this](QLineEdit *box, QVariant ConditionRule::*value) {
        connect(box, &QLineEdit::textChanged, this, [this, value](const QString &text) {
            if (ConditionRule *r = currentRule(); r && !m_showing) {
                r->*value = valueFromText(text).value_or(QVariant());
                ruleEdited();
            }
        });
    };
    valueBox(m_value, &ConditionRule::value);
    valueBox(m_value2, &ConditionRule::value2);
    const auto flagBox = [this](QCheckBox *box, auto edit) {
        connect(box, &QCheckBox::toggled, this, [this, edit](bool on) {
            if (ConditionRule *r = currentRule(); r && !m_showing) {
                edit(*r, on);
                ruleEdited();
            }
        });
    };
    flagBox(m_percent, [](ConditionRule &r, bool on) { r.percent = on; });
    flagBox(m_bold, [](ConditionRule &r, bool on) { setFlag(r.bold, on); });
    flagBox(m_italic, [](ConditionRule &r, bool on) { setFlag(r.italic, on); });
    flagBox(m_row, [](ConditionRule &r, bool on) { r.row = on; });
    flagBox(m_stop, [](ConditionRule &r, bool on) { r.stop = on; });
    flagBox(m_hasText, [this](ConditionRule &r, bool on) {
        r.text = on ? m_lastText : QColor();
        showRule();
    });
    flagBox(m_hasFill, [this](ConditionRule &r, bool on) {
        r.fill = on ? m_lastFill : QColor();
        showRule();
    });
    // A colour button edits the colour it shows.
    const auto pick = [this](QPushButton *b, auto colourOf) {
        connect(b, &QPushButton::clicked, this, [this, colourOf] {
            ConditionRule *r = currentRule();
            if (!r)
                return;
            QColor &colour = colourOf(*r);
            if (chooseColour(colour)) {
                showRule();
                ruleEdited();
            }
        });
    };
    pick(m_text,
         [this](ConditionRule &r) -> QColor & { return r.text.isValid() ? r.text : m_lastText; });
    pick(m_fill,
         [this](ConditionRule &r) -> QColor & { return r.fill.isValid() ? r.fill : m_lastFill; });
    for (int i = 0; i < 3; ++i) {
        pick(m_scale[i], [i](ConditionRule &r) -> QColor & {
            // The largest number's button is the last colour of a scale of two as of three.
            return r.scale[i == 2 ? r.scale.size() - 1 : std::size_t(i)];
        });
    }
    pick(m_bar, [](ConditionRule &r) -> QColor & { return r.bar; });

    m_showing = false;
    QStringList lines;
    for (const ConditionRule &r : m_rules)
        lines.push_back(ruleSummary(r));
    m_list->setItems(lines, m_rules.empty() ? -1 : 0);
    refreshSample();
}

grid::ConditionRules ConditionDialog::rules() const {
    return withColumnRules(m_all, m_column, m_rules);
}

void ConditionDialog::accept() {
    const QStringList problems = ruleProblems(m_rules, m_columnCount);
    if (!problems.isEmpty()) {
        base::showWarning(
            this,
            tessel::base::tr("以下规则还缺少内容，请补全或删除：") + u'\n' + problems.join(u'\n'),
            base::warningTitle());
        return;
    }
    // Refused rather than stored: compared with a text, the column's numbers would be compared
    // as texts, character by character, which no one means by "greater than".
    if (const QStringList texts = textComparisons(m_rules, sample()); !texts.isEmpty()) {
        base::showWarning(this,
                          tessel::base::tr("本列是数字，以下规则却与文本比较大小，请把值改为数字"
                                           "或删除规则：") +
                              u'\n' + texts.join(u'\n'),
                          base::warningTitle());
        return;
    }
    QDialog::accept();
}

QPushButton *ConditionDialog::colourButton(const char *name) {
    auto *b = new QPushButton(this);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    showColour(b, Qt::white);
    return b;
}

void ConditionDialog::showColour(QPushButton *button, const QColor &colour) {
    QPixmap swatch(16, 12);
    swatch.fill(colour.isValid() ? colour : QColor(Qt::transparent));
    button->setIcon(QIcon(swatch));
    button->setText(colour.isValid() ? colour.name().toUpper() : QString());
}

bool ConditionDialog::chooseColour(QColor &colour) {
    QColorDialog dialog(colour.isValid() ? colour : QColor(Qt::white), this);
    dialog.setObjectName(QStringLiteral("dlgColour"));
    if (base::interaction().execDialog(&dialog) != QDialog::Accepted ||
        !dialog.currentColor().isValid())
        return false;
    colour = dialog.currentColor();
    return true;
}

ConditionRule *ConditionDialog::currentRule() {
    const int row = m_list->currentRow();
    return row >= 0 && row < int(m_rules.size()) ? &m_rules[std::size_t(row)] : nullptr;
}

void ConditionDialog::showRule() {
    const ConditionRule *r = currentRule();
    m_rule->setEnabled(r != nullptr);
    if (!r) {
        showShape();
        return;
    }
    const bool wasShowing = m_showing;
    m_showing = true;
    m_kind->setCurrentIndex(int(shapeOf(*r)));
    m_when->setCurrentIndex(whenChoiceIndex(r->when));
    // A box the user is typing in keeps its text (and caret) while it means the same value.
    if (valueFromText(m_value->text()).value_or(QVariant()) != r->value)
        m_value->setText(textOfValue(r->value));
    if (valueFromText(m_value2->text()).value_or(QVariant()) != r->value2)
        m_value2->setText(textOfValue(r->value2));
    m_percent->setChecked(r->percent);
    if (r->text.isValid())
        m_lastText = r->text;
    if (r->fill.isValid())
        m_lastFill = r->fill;
    if (!m_lastText.isValid())
        m_lastText = newRule(m_column).text;
    if (!m_lastFill.isValid())
        m_lastFill = newRule(m_column).fill;
    m_hasText->setChecked(r->text.isValid());
    showColour(m_text, m_lastText);
    m_text->setEnabled(r->text.isValid());
    m_hasFill->setChecked(r->fill.isValid());
    showColour(m_fill, m_lastFill);
    m_fill->setEnabled(r->fill.isValid());
    m_bold->setChecked(r->bold.value_or(false));
    m_italic->setChecked(r->italic.value_or(false));
    m_row->setChecked(r->row);
    m_stop->setChecked(r->stop);
    if (r->kind == RuleKind::Scale && r->scale.size() >= 2) {
        showColour(m_scale[0], r->scale.front());
        showColour(m_scale[1], r->scale.size() == 3 ? r->scale[1] : QColor());
        showColour(m_scale[2], r->scale.back());
    }
    showColour(m_bar, r->bar);
    m_showing = wasShowing;
    showShape();
}

void ConditionDialog::showShape() {
    const ConditionRule *r = currentRule();
    const RuleShape shape = r ? shapeOf(*r) : RuleShape::Condition;
    const bool condition = shape == RuleShape::Condition;
    for (const FormRow row : {kWhenRow, kColourRow, kFontRow, kReachRow})
        m_form->setRowVisible(row, condition);
    m_form->setRowVisible(kScaleRow, shape == RuleShape::Scale2 || shape == RuleShape::Scale3);
    m_form->setRowVisible(kBarRow, shape == RuleShape::Bar);
    m_middleCaption->setVisible(shape == RuleShape::Scale3);
    m_scale[1]->setVisible(shape == RuleShape::Scale3);
    const grid::RuleWhen when = r ? r->when : grid::RuleWhen::Greater;
    const int values = grid::whenValueCount(when);
    m_value->setVisible(values >= 1);
    m_and->setVisible(values == 2);
    m_value2->setVisible(values == 2);
    m_percent->setVisible(countsCells(when));
}

void ConditionDialog::ruleEdited() {
    const int row = m_list->currentRow();
    if (row >= 0 && row < int(m_rules.size()))
        m_list->setLine(row, ruleSummary(m_rules[std::size_t(row)]));
    refreshSample();
}

void ConditionDialog::refreshSample() {
    m_sample->sheet().setConditions(sampleRules(rules(), m_columnCount));
}

}  // namespace tessel::settingdialogs
