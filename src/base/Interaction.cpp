#include "base/Interaction.h"

#include <QApplication>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QThread>

#include "base/Language.h"
#include "base/ProgressDialog.h"

namespace tessel::base {

namespace {
// Per thread: the installed interaction, and the Qt one used when none is installed.
thread_local Interaction *t_installed = nullptr;
}  // namespace

Interaction::~Interaction() = default;

int fileTypeOf(const QString &name, const std::vector<FileType> &types) {
    const QString suffix = QFileInfo(name).suffix();
    for (std::size_t i = 0; i < types.size(); ++i) {
        if (suffix.compare(types[i].suffix, Qt::CaseInsensitive) == 0)
            return int(i);
    }
    return 0;
}

SaveChoice Interaction::saveFile(QWidget *parent, const QString &title,
                                 const std::vector<FileType> &types, const QString &initialName) {
    const FileType first = types.empty() ? FileType{} : types.front();
    SaveChoice choice;
    choice.name = saveFileName(parent, title, first.filter, first.suffix, initialName);
    choice.type = fileTypeOf(choice.name, types);
    return choice;
}

std::unique_ptr<Progress> Interaction::progress(QWidget *parent) {
    return std::make_unique<base::DialogProgress>(parent);
}

Interaction &interaction() {
    if (t_installed)
        return *t_installed;
    thread_local QtInteraction qt;
    return qt;
}

void setInteraction(Interaction *i) {
    t_installed = i;
}

MessageAnswer QtInteraction::message(QWidget *parent, const QString &text, const QString &title,
                                     MessageIcon icon, MessageButtons buttons) {
    // Only the application's user-interface thread can show a window; elsewhere the
    // message goes to the log and the safe answer is returned.
    if (!qobject_cast<QApplication *>(QCoreApplication::instance()) ||
        QThread::currentThread() != QCoreApplication::instance()->thread()) {
        qWarning("%s: %s", qUtf8Printable(title), qUtf8Printable(text));
        switch (buttons) {
            case MessageButtons::YesNo:
                return MessageAnswer::No;
            case MessageButtons::OkCancel:
            case MessageButtons::SaveDiscardCancel:
                return MessageAnswer::Cancel;
            case MessageButtons::Ok:
                break;
        }
        return MessageAnswer::Ok;
    }
    QMessageBox box(parent);
    box.setWindowTitle(title);
    box.setText(text);
    switch (icon) {
        case MessageIcon::None:
            box.setIcon(QMessageBox::NoIcon);
            break;
        case MessageIcon::Information:
            box.setIcon(QMessageBox::Information);
            break;
        case MessageIcon::Warning:
            box.setIcon(QMessageBox::Warning);
            break;
        case MessageIcon::Question:
            box.setIcon(QMessageBox::Question);
            break;
        case MessageIcon::Critical:
            box.setIcon(QMessageBox::Critical);
            break;
    }
    switch (buttons) {
        case MessageButtons::Ok:
            box.setStandardButtons(QMessageBox::Ok);
            break;
        case MessageButtons::YesNo:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            break;
        case MessageButtons::OkCancel:
            box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            break;
        case MessageButtons::SaveDiscardCancel:
            box.setStandardButtons(QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
            box.button(QMessageBox::Save)->setText(tessel::base::tr("保存"));
            box.button(QMessageBox::Discard)->setText(tessel::base::tr("不保存"));
            box.button(QMessageBox::Cancel)->setText(tessel::base::tr("取消"));
            box.setDefaultButton(QMessageBox::Save);
            box.setEscapeButton(QMessageBox::Cancel);
            break;
    }
    // A message must be seen even while the busy cursor is up.
    const bool busy = QApplication::overrideCursor() != nullptr;
    if (busy)
        QApplication::setOverrideCursor(Qt::ArrowCursor);
    const int r = box.exec();
    if (busy)
        QApplication::restoreOverrideCursor();
    switch (r) {
        case QMessageBox::Yes:
            return MessageAnswer::Yes;
        case QMessageBox::No:
            return MessageAnswer::No;
        case QMessageBox::Cancel:
            return MessageAnswer::Cancel;
        case QMessageBox::Save:
            return MessageAnswer::Save;
        case QMessageBox::Discard:
            return MessageAnswer::Discard;
        default:
            return MessageAnswer::Ok;
    }
}

std::optional<QString> QtInteraction::input(QWidget *parent, const QString &prompt,
                                            const QString &title, const QString &defaultText,
                                            std::optional<QPoint> pos) {
    QInputDialog dlg(parent);
    dlg.setWindowTitle(title);
    dlg.setLabelText(prompt);
    dlg.setTextValue(defaultText);
    if (pos)
        dlg.move(*pos);
    if (dlg.exec() != QDialog::Accepted)
        return std::nullopt;
    return dlg.textValue();
}

QString QtInteraction::saveFileName(QWidget *parent, const QString &title, const QString &filter,
                                    const QString &defaultSuffix, const QString &initialName) {
    QFileDialog dlg(parent, title, QString(), filter);
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setFileMode(QFileDialog::AnyFile);
    dlg.setDefaultSuffix(defaultSuffix);
    if (!initialName.isEmpty())
        dlg.selectFile(initialName);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return {};
    return dlg.selectedFiles().constFirst();
}

SaveChoice QtInteraction::saveFile(QWidget *parent, const QString &title,
                                   const std::vector<FileType> &types, const QString &initialName) {
    QStringList filters;
    for (const FileType &t : types)
        filters << t.filter;
    QFileDialog dlg(parent, title, QString(), filters.join(QStringLiteral(";;")));
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setFileMode(QFileDialog::AnyFile);
    if (!types.empty())
        dlg.setDefaultSuffix(types.front().suffix);
    // A name typed without a suffix gets the one of the type chosen at that moment.
    QObject::connect(&dlg, &QFileDialog::filterSelected, &dlg,
                     [&dlg, &types, filters](const QString &f) {
                         const qsizetype i = filters.indexOf(f);
                         if (i >= 0)
                             dlg.setDefaultSuffix(types[std::size_t(i)].suffix);
                     });
    if (!initialName.isEmpty())
        dlg.selectFile(initialName);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return {};
    return {dlg.selectedFiles().constFirst(),
            std::max(0, int(filters.indexOf(dlg.selectedNameFilter())))};
}

std::optional<QFont> QtInteraction::chooseFont(QWidget *parent, const QFont &initial) {
    QFontDialog dlg(initial, parent);
    if (dlg.exec() != QDialog::Accepted)
        return std::nullopt;
    return dlg.selectedFont();
}

bool QtInteraction::choosePrinter(QWidget *parent, QPrinter *printer) {
    QPrintDialog dlg(printer, parent);
    return dlg.exec() == QDialog::Accepted;
}

int QtInteraction::execDialog(QDialog *dialog) {
    return dialog->exec();
}

void QtInteraction::setBusy(bool busy) {
    if (busy) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
    } else {
        QApplication::restoreOverrideCursor();
    }
}

void showInformation(QWidget *parent, const QString &text, const QString &title) {
    interaction().message(parent, text, title, MessageIcon::Information, MessageButtons::Ok);
}

void showWarning(QWidget *parent, const QString &text, const QString &title) {
    interaction().message(parent, text, title, MessageIcon::Warning, MessageButtons::Ok);
}

bool askYesNo(QWidget *parent, const QString &text, const QString &title) {
    return interaction().message(parent, text, title, MessageIcon::Question,
                                 MessageButtons::YesNo) == MessageAnswer::Yes;
}

MessageAnswer askSaveDiscardCancel(QWidget *parent, const QString &text, const QString &title) {
    const MessageAnswer a = interaction().message(parent, text, title, MessageIcon::Question,
                                                  MessageButtons::SaveDiscardCancel);
    return a == MessageAnswer::Save || a == MessageAnswer::Discard ? a : MessageAnswer::Cancel;
}

BusyCursor::BusyCursor() {
    interaction().setBusy(true);
}
BusyCursor::~BusyCursor() {
    interaction().setBusy(false);
}

}  // namespace tessel::base
