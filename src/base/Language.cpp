#include "base/Language.h"

#include <QLibraryInfo>
#include <QTranslator>

#include <memory>

namespace tessel::base {

namespace {

// The interface language in force and the translators installed for it: ours (none for
// Chinese, whose texts are the sources) and Qt's own, for the file dialogs, the colour
// chooser and the message boxes' buttons. One set at a time, so switching never stacks.
struct InstalledLanguage {
    QLocale language{QLocale::Chinese, QLocale::China};
    std::unique_ptr<QTranslator> ours;
    std::unique_ptr<QTranslator> qt;
};

InstalledLanguage &installed() {
    static InstalledLanguage l;
    return l;
}

bool &chosen() {
    static bool c = false;
    return c;
}

void remove(std::unique_ptr<QTranslator> &t) {
    if (t) {
        QCoreApplication::removeTranslator(t.get());
        t.reset();
    }
}

// Qt's translation of its own texts for `language` from the Qt installation, when there is
// one (English needs none: Qt's texts are English).
std::unique_ptr<QTranslator> qtTranslation(const QLocale &language) {
    auto t = std::make_unique<QTranslator>();
    if (!t->load(language, QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return nullptr;
    QCoreApplication::installTranslator(t.get());
    return t;
}

}  // namespace

bool setLanguage(const QLocale &locale) {
    chosen() = true;
    InstalledLanguage &l = installed();
    remove(l.ours);
    remove(l.qt);
    // The sources carry the Chinese texts, so Chinese needs no translator of ours; a language
    // without one shows them too, and Qt's dialogs then speak Chinese with them.
    const bool chinese = locale.language() == QLocale::Chinese || locale.language() == QLocale::C;
    if (!chinese) {
        auto t = std::make_unique<QTranslator>();
        if (t->load(locale, QStringLiteral("tessel"), QStringLiteral("_"),
                    QStringLiteral(":/tessel/i18n"))) {
            QCoreApplication::installTranslator(t.get());
            l.ours = std::move(t);
        }
    }
    l.language = l.ours ? locale : QLocale(QLocale::Chinese, QLocale::China);
    l.qt = qtTranslation(l.language);
    return l.ours != nullptr;
}

bool translationInUse() {
    return installed().ours != nullptr;
}

QLocale interfaceLanguage() {
    return installed().language;
}

void applyLanguageFromEnvironment() {
    if (chosen())
        return;
    const QString name = qEnvironmentVariable("TESSEL_LANG");
    setLanguage(name.isEmpty() ? QLocale(QLocale::Chinese, QLocale::China) : QLocale(name));
}

}  // namespace tessel::base
