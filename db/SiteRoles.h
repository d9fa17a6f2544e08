// The rights of a site's database accounts: three Firebird roles, each account acting through one,
// and the companies whose archive parameter a site server sets.
#pragma once

#include <QString>
#include <QStringList>

namespace zelm::sito {

/// Reads and writes the business tables; reads users, profiles and parameters.
inline const QString kOperatore = QStringLiteral("ZELM_OPERATORE");
/// Reads everything; writes only its own list layouts and window placements.
inline const QString kLettura = QStringLiteral("ZELM_LETTURA");
/// Everything, for the administrator's tools.
inline const QString kAmministratore = QStringLiteral("ZELM_AMMINISTRATORE");

/// The three roles' names, in the order above.
QStringList Ruoli();

/// Creates the three roles in the database at `connection` when missing and grants them their
/// rights on the tables and sequences it holds (run as the server's administrator). Running it
/// again grants nothing twice and changes nothing else.
void ApplicaRuoli(const QString& connection);

/// Makes `utente` act through `ruolo` in that database: the role is granted to the user and the
/// rights the user held directly (a site set up before roles gave its account every right) are
/// taken back. Throws EZavoError on an unknown role or an invalid user name.
void AssegnaRuolo(const QString& connection, const QString& ruolo, const QString& utente);

/// The companies of the user database that have an "Archivio" parameter, sorted.
QStringList Ditte(const QString& userConnection);

/// Sets the "Archivio" parameter of the companies `ditte` to `valore` for every user, and the text
/// copy of their parameters with it, in one transaction; returns how many parameters changed.
/// Other companies keep theirs.
int PuntaArchivio(const QString& userConnection, const QString& valore, const QStringList& ditte);

} // namespace zelm::sito
