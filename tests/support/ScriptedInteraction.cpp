#include "support/ScriptedInteraction.h"

#include <QDialog>
#include <QStringList>

namespace tessel::test {

using base::MessageAnswer;
using base::MessageButtons;

ScriptedInteraction::ScriptedInteraction() {
    base::setInteraction(this);
}
ScriptedInteraction::~ScriptedInteraction() {
    base::setInteraction(nullptr);
}

MessageAnswer ScriptedInteraction::message(QWidget *, const QString &text, const QString &title,
                                           base::MessageIcon icon, MessageButtons buttons) {
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

base::SaveChoice ScriptedInteraction::saveFile(QWidget *parent, const QString &title,
                                               const std::vector<base::FileType> &types,
                                               const QString &initialName) {
    base::SaveChoice choice = Interaction::saveFile(parent, title, types, initialName);
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

namespace {

class ScriptedProgress : public base::Progress {
public:
    explicit ScriptedProgress(ScriptedInteraction &i) : m_i(i) {}
    void begin(const QString &what, base::ProgressUnit unit, qint64 total) override {
        m_i.progressStages.push_back({what, unit, total, 0});
    }
    void update(qint64 done) override {
        if (m_i.progressStages.empty())
            return;
        auto &stage = m_i.progressStages.back();
        if (done >= 0)
            stage.done = done;
        if (m_i.cancelWhen && m_i.cancelWhen(stage))
            m_cancelled = true;
    }
    bool cancelled() const override { return m_cancelled; }

private:
    ScriptedInteraction &m_i;
    bool m_cancelled = false;
};

}  // namespace

std::unique_ptr<base::Progress> ScriptedInteraction::progress(QWidget *) {
    return std::make_unique<ScriptedProgress>(*this);
}

QStringList ScriptedInteraction::texts() const {
    QStringList out;
    for (const auto &m : messages)
        out << m.text;
    return out;
}

}  // namespace tessel::test
