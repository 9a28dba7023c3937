#include <tessel/Error.h>

namespace tessel {

namespace {
std::string whatText(const QString &userMessage, const QString &databaseText) {
    if (databaseText.isEmpty()) {
        return userMessage.toStdString();
    }
    return (userMessage + QStringLiteral(": ") + databaseText).toStdString();
}
}  // namespace

Error::Error(Category category, const QString &userMessage, const QString &databaseText)
    : std::runtime_error(whatText(userMessage, databaseText)),
      m_category(category),
      m_userMessage(userMessage),
      m_databaseText(databaseText) {}

QString Error::fullText() const {
    return QString::fromStdString(what());
}

}  // namespace tessel
