// The language of the component's interface: the Chinese texts in the sources by default,
// or a translation embedded in the library (":/tessel/i18n/tessel_<language>.qm").
#pragma once

#include <QCoreApplication>
#include <QLocale>
#include <QString>

namespace tessel::base {

// The translation context of every interface text: window captions, control captions,
// menu entries, message titles and texts, progress stage names. Constants are marked with
// QT_TRANSLATE_NOOP("tessel::base", …) and translated where they are shown. Callers write
// tessel::base::tr in full: lupdate names the context after the qualifier as written.
inline constexpr const char *kTrContext = "tessel::base";

// `source` (one of the marked Chinese texts) in the interface language.
inline QString tr(const char *source) {
    return QCoreApplication::translate(kTrContext, source);
}

// The same for a text counting `n` things ("%n 页"), whose translation has a form per
// plural (1 page, 2 pages); `disambiguation` is nullptr unless one source has two meanings.
inline QString tr(const char *source, const char *disambiguation, int n) {
    return QCoreApplication::translate(kTrContext, source, disambiguation, n);
}

// Shows the interface in `locale`'s language from now on: installs the embedded translation
// for it in the application, or removes ours when the language is Chinese or has no
// translation (the Chinese texts are shown then), and beside it Qt's own translation for the
// language shown (qtbase_<language>.qm of the Qt installation, when installed), so that file
// dialogs, the colour chooser and message box buttons speak it too. Returns whether a
// translation of ours is in use. Needs the application object.
bool setLanguage(const QLocale &locale);

// Whether the interface shows a translation: false while it shows the Chinese source texts.
bool translationInUse();

// The language the interface shows: Chinese (China) while it shows the source texts, else the
// locale given to setLanguage.
QLocale interfaceLanguage();

// Applies the environment variable TESSEL_LANG (a locale name such as "en" or "zh_CN") once,
// unless setLanguage was called before; unset or empty, the interface is Chinese.
void applyLanguageFromEnvironment();

}  // namespace tessel::base
