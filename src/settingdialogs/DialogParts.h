// Controls the setting dialogs (column format, groups, conditional formats, charts) share.
#pragma once

#include <QString>
#include <QStringList>

class QDialog;
class QHBoxLayout;
class QLabel;
class QPushButton;
class QWidget;

namespace tessel::settingdialogs {

// A push button `name` captioned tr(`caption`) that Enter in its dialog does not press.
QPushButton *plainButton(QWidget *parent, const char *name, const char *caption);

// 确定 (cmdOK, the dialog's default button) and 取消 (cmdCancel, which rejects `dialog`),
// right-aligned in one row. The caller connects `ok` to its own accept.
struct OkCancelRow {
    QHBoxLayout *row;
    QPushButton *ok;
};
OkCancelRow okCancelRow(QDialog *dialog);

// The note (lblIgnored) that lists, after `lead`, the parts of a stored value that cannot be
// used; nullptr when `ignored` is empty.
QLabel *ignoredNote(QWidget *parent, const QString &lead, const QStringList &ignored);

}  // namespace tessel::settingdialogs
