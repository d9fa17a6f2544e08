// Base of every failure the product raises: an Italian message in UTF-8.
#pragma once

#include <QString>
#include <stdexcept>

class EZavoError : public std::runtime_error {
public:
    explicit EZavoError(const QString& message);
    QString Message() const { return QString::fromUtf8(what()); }
    /// What a user reads of the failure; the same text unless a kind says it in Italian.
    virtual QString TestoUtente() const { return Message(); }
    /// The technical detail behind the message, for the log and the support desk (an engine's
    /// codes and text); empty when the message says it all.
    virtual QString Dettaglio() const { return QString(); }
};
