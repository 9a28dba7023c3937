// The one seam through which the component talks to the user: message boxes, the input
// box, file, font and printer dialogs, modal execution, the busy cursor and the progress of
// long work. Production uses
// the real Qt dialogs; tests install a scripted implementation that records and answers.
#pragma once

#include <QFont>
#include <QPoint>
#include <QString>
#include <memory>
#include <optional>
#include <vector>

#include "base/Progress.h"

class QDialog;
class QPrinter;
class QWidget;

namespace tessel::base {

enum class MessageIcon { None, Information, Warning, Question, Critical };
// SaveDiscardCancel: 保存 / 不保存 / 取消, asked before closing a window with unsaved changes.
enum class MessageButtons { Ok, YesNo, OkCancel, SaveDiscardCancel };
enum class MessageAnswer { Ok, Yes, No, Cancel, Save, Discard };

// A file type a save dialog offers: its filter text ("PDF file (*.pdf)") and the suffix,
// without the dot, a name of that type ends in.
struct FileType {
    QString filter;
    QString suffix;
};

// What a save dialog with several file types gave back: the name (empty when cancelled) and
// the index of the chosen type.
struct SaveChoice {
    QString name;
    int type = 0;
};

// The index of the type in `types` whose suffix `name` ends in (case-insensitive); 0 when
// none does.
int fileTypeOf(const QString &name, const std::vector<FileType> &types);

class Interaction {
public:
    virtual ~Interaction();

    // A modal message box with exactly this text, title, icon and buttons.
    virtual MessageAnswer message(QWidget *parent, const QString &text, const QString &title,
                                  MessageIcon icon, MessageButtons buttons) = 0;
    // A modal input box; nullopt when cancelled. `pos` is the box's top-left on screen in
    // pixels, when given.
    virtual std::optional<QString> input(QWidget *parent, const QString &prompt,
                                         const QString &title, const QString &defaultText,
                                         std::optional<QPoint> pos = std::nullopt) = 0;
    // A modal save-file dialog; empty when cancelled.
    virtual QString saveFileName(QWidget *parent, const QString &title, const QString &filter,
                                 const QString &defaultSuffix, const QString &initialName) = 0;
    // A modal save-file dialog offering `types` (at least one), the first chosen at the
    // start. The default asks saveFileName with the first type alone and takes the type
    // whose suffix the chosen name ends in (case-insensitive), the first when none does.
    virtual SaveChoice saveFile(QWidget *parent, const QString &title,
                                const std::vector<FileType> &types, const QString &initialName);
    // A modal font dialog preset with `initial`; nullopt when cancelled.
    virtual std::optional<QFont> chooseFont(QWidget *parent, const QFont &initial) = 0;
    // A modal printer dialog on `printer`; false when cancelled.
    virtual bool choosePrinter(QWidget *parent, QPrinter *printer) = 0;
    // Runs a dialog modally; returns its result code.
    virtual int execDialog(QDialog *dialog) = 0;
    // Shows or removes the busy (hourglass) cursor; calls nest.
    virtual void setBusy(bool busy) = 0;
    // The progress of one piece of work the user waits on, shown over `parent`. Unless
    // overridden: a DialogProgress, which shows a dialog with a 取消 button once the work has
    // taken 0.5 s.
    virtual std::unique_ptr<Progress> progress(QWidget *parent);
};

// The Qt implementation used outside tests.
class QtInteraction : public Interaction {
public:
    MessageAnswer message(QWidget *parent, const QString &text, const QString &title,
                          MessageIcon icon, MessageButtons buttons) override;
    std::optional<QString> input(QWidget *parent, const QString &prompt, const QString &title,
                                 const QString &defaultText, std::optional<QPoint> pos) override;
    QString saveFileName(QWidget *parent, const QString &title, const QString &filter,
                         const QString &defaultSuffix, const QString &initialName) override;
    SaveChoice saveFile(QWidget *parent, const QString &title, const std::vector<FileType> &types,
                        const QString &initialName) override;
    std::optional<QFont> chooseFont(QWidget *parent, const QFont &initial) override;
    bool choosePrinter(QWidget *parent, QPrinter *printer) override;
    int execDialog(QDialog *dialog) override;
    void setBusy(bool busy) override;
};

// The interaction of the calling thread: the one installed with setInteraction, else a
// QtInteraction of the thread's own.
Interaction &interaction();
// Installs `i` for the calling thread (nullptr restores the Qt one); the caller keeps
// ownership and must uninstall it before destroying it.
void setInteraction(Interaction *i);

// Shorthands for the message kinds the component uses.
void showInformation(QWidget *parent, const QString &text, const QString &title);
void showWarning(QWidget *parent, const QString &text, const QString &title);
bool askYesNo(QWidget *parent, const QString &text, const QString &title);
// Asks with the question icon and the buttons 保存 / 不保存 / 取消; Save, Discard or Cancel
// (also when the box is closed without a choice).
MessageAnswer askSaveDiscardCancel(QWidget *parent, const QString &text, const QString &title);

// The busy cursor for the lifetime of the object: restored on every way out, errors too.
class BusyCursor {
public:
    BusyCursor();
    ~BusyCursor();
    BusyCursor(const BusyCursor &) = delete;
    BusyCursor &operator=(const BusyCursor &) = delete;
};

}  // namespace tessel::base
