#include "settingdialogs/DialogParts.h"

#include <QDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

#include "base/Language.h"

namespace tessel::settingdialogs {

QPushButton *plainButton(QWidget *parent, const char *name, const char *caption) {
    auto *b = new QPushButton(tessel::base::tr(caption), parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setAutoDefault(false);
    return b;
}

OkCancelRow okCancelRow(QDialog *dialog) {
    auto *ok = new QPushButton(tessel::base::tr("确定"), dialog);
    ok->setObjectName(QStringLiteral("cmdOK"));
    ok->setDefault(true);
    QPushButton *cancel =
        plainButton(dialog, "cmdCancel", QT_TRANSLATE_NOOP("tessel::base", "取消"));
    QObject::connect(cancel, &QPushButton::clicked, dialog, &QDialog::reject);
    auto *row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(ok);
    row->addWidget(cancel);
    return {row, ok};
}

QLabel *ignoredNote(QWidget *parent, const QString &lead, const QStringList &ignored) {
    if (ignored.isEmpty())
        return nullptr;
    auto *note = new QLabel(lead + u'\n' + ignored.join(u'\n'), parent);
    note->setObjectName(QStringLiteral("lblIgnored"));
    note->setWordWrap(true);
    return note;
}

}  // namespace tessel::settingdialogs
