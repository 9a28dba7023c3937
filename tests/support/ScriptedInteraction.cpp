#include "support/ScriptedInteraction.h"

#include <QDialog>
#include <QStringList>

namespace tessel::test {

using platform::MessageAnswer;
using platform::MessageButtons;

ScriptedInteraction::ScriptedInteraction() {
    platform::setInteraction(this);
}
ScriptedInteraction::~ScriptedInteraction() {
    platform::setInteraction(nullptr);
}

MessageAnswer ScriptedInteraction::message(QWidget *, const QString &text, const QString &title,
                                           platform::MessageIcon icon, MessageButtons buttons) {
    messages.push_back({text, title, icon, buttons});
    if (!answers.empty()) {
        const MessageAnswer a = answers.front();
        answers.pop_front();
        return a;
    }
    return buttons == MessageButtons::YesNo ? MessageAnswer::Yes : MessageAnswer::Ok;
}

std::optional<QString> ScriptedInteraction::input(QWidget *, const QString &prompt,
                                                  const QString &title, const QString &defaultText,
                                                  std::optional<QPoint>) {
    inputsAsked.push_back({prompt, title, defaultText});
    if (inputs.empty())
        return std::nullopt;
    const QString v = inputs.front();
    inputs.pop_front();
    if (v.isNull())
        return std::nullopt;
    return v;
}

QString ScriptedInteraction::saveFileName(QWidget *, const QString &, const QString &,
                                          const QString &, const QString &initialName) {
    saveNamesOffered.push_back(initialName);
    if (saveNames.empty())
        return {};
    QString v = saveNames.front();
    saveNames.pop_front();
    return v;
}

platform::SaveChoice ScriptedInteraction::saveFile(QWidget *parent, const QString &title,
                                                   const std::vector<platform::FileType> &types,
                                                   const QString &initialName) {
    saveTypesOffered.push_back(types);
    platform::SaveChoice choice = Interaction::saveFile(parent, title, types, initialName);
    if (!saveTypes.empty()) {
        choice.type = saveTypes.front();
        saveTypes.pop_front();
    }
    return choice;
}

std::optional<QFont> ScriptedInteraction::chooseFont(QWidget *, const QFont &initial) {
    fontsOffered.push_back(initial);
    if (fonts.empty())
        return std::nullopt;
    auto v = fonts.front();
    fonts.pop_front();
    return v;
}

bool ScriptedInteraction::choosePrinter(QWidget *, QPrinter *) {
    return false;
}

int ScriptedInteraction::execDialog(QDialog *dialog) {
    dialogsRun.push_back(dialog->objectName());
    if (dialogResults.empty())
        return QDialog::Rejected;
    const int r = dialogResults.front();
    dialogResults.pop_front();
    return r;
}

void ScriptedInteraction::setBusy(bool busy) {
    busyDepth += busy ? 1 : -1;
    busyMaxDepth = std::max(busyMaxDepth, busyDepth);
}

QStringList ScriptedInteraction::texts() const {
    QStringList out;
    for (const auto &m : messages)
        out << m.text;
    return out;
}

}  // namespace tessel::test
