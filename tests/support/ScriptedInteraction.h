// A scripted stand-in for the user: records every message and dialog the component shows
// and answers from queues the test fills. Installed for the calling thread while alive.
#pragma once

#include <QFont>
#include <QString>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "base/Interaction.h"

namespace tessel::test {

struct ShownMessage {
    QString text;
    QString title;
    base::MessageIcon icon;
    base::MessageButtons buttons;
};

class ScriptedInteraction : public base::Interaction {
public:
    ScriptedInteraction();
    ~ScriptedInteraction() override;

    std::vector<ShownMessage> messages;
    std::deque<base::MessageAnswer> answers;  // default: Ok / Yes
    std::deque<QString> inputs;               // a null QString (or none left): cancelled
    struct InputAsked {
        QString prompt, title, defaultText;
    };
    std::vector<InputAsked> inputsAsked;
    std::deque<QString> saveNames;          // default: cancelled
    std::vector<QString> saveNamesOffered;  // the name each save dialog opened on
    // The file type chosen in each save dialog with several types; none left: the type the
    // chosen name's suffix names.
    std::deque<int> saveTypes;
    std::deque<std::optional<QFont>> fonts;  // default: cancelled
    std::vector<QFont> fontsOffered;
    std::deque<int> dialogResults;    // default: run the dialog's own exec()? no: 0
    std::vector<QString> dialogsRun;  // objectName of each modal dialog
    int busyDepth = 0;
    int busyMaxDepth = 0;
    // Every progress stage begun, with the last count reported in it.
    struct ProgressStage {
        QString what;
        base::ProgressUnit unit;
        qint64 total;
        qint64 done;
    };
    std::vector<ProgressStage> progressStages;
    // The user presses 取消 once this says so for a stage and its count (default: never).
    std::function<bool(const ProgressStage &)> cancelWhen;

    base::MessageAnswer message(QWidget *parent, const QString &text, const QString &title,
                                base::MessageIcon icon, base::MessageButtons buttons) override;
    std::optional<QString> input(QWidget *parent, const QString &prompt, const QString &title,
                                 const QString &defaultText, std::optional<QPoint> pos) override;
    QString saveFileName(QWidget *parent, const QString &title, const QString &filter,
                         const QString &defaultSuffix, const QString &initialName) override;
    // Asks saveFileName for the name, then takes the type from saveTypes.
    base::SaveChoice saveFile(QWidget *parent, const QString &title,
                              const std::vector<base::FileType> &types,
                              const QString &initialName) override;
    std::optional<QFont> chooseFont(QWidget *parent, const QFont &initial) override;
    bool choosePrinter(QWidget *parent, QPrinter *printer) override;
    int execDialog(QDialog *dialog) override;
    void setBusy(bool busy) override;
    std::unique_ptr<base::Progress> progress(QWidget *parent) override;

    // Texts of the messages shown so far.
    QStringList texts() const;
};

}  // namespace tessel::test
