#include "base/Language.h"

#include <QTranslator>

#include <memory>

namespace tessel::base {

namespace {

// The translator we installed, if any; one at a time, so switching languages never stacks.
std::unique_ptr<QTranslator> &installed() {
    static std::unique_ptr<QTranslator> t;
    return t;
}

bool &chosen() {
    static bool c = false;
    return c;
}

}  // namespace

bool setLanguage(const QLocale &locale) {
    chosen() = true;
    if (installed()) {
        QCoreApplication::removeTranslator(installed().get());
        installed().reset();
    }
    // The sources carry the Chinese texts, so Chinese needs no translator.
    if (locale.language() == QLocale::Chinese || locale.language() == QLocale::C)
        return false;
    auto t = std::make_unique<QTranslator>();
    if (!t->load(locale, QStringLiteral("tessel"), QStringLiteral("_"),
                 QStringLiteral(":/tessel/i18n")))
        return false;
    QCoreApplication::installTranslator(t.get());
    installed() = std::move(t);
    return true;
}

bool translationInUse() {
    return installed() != nullptr;
}

void applyLanguageFromEnvironment() {
    if (chosen())
        return;
    chosen() = true;
    const QString name = qEnvironmentVariable("TESSEL_LANG");
    if (!name.isEmpty())
        setLanguage(QLocale(name));
}

}  // namespace tessel::base
