// The sheets' history seen from the programs: who and why named on the transaction of a change
// (the triggers write the rows), and the rows read back for a sheet.
#pragma once

#include <QMap>
#include <QString>

#include <vector>

class TIBDatabase;
class TIBTransaction;

/// Names on `tr` the operation, the product's user and the program that the history triggers
/// record for every change the transaction makes from now on. Harmless on an archive without the
/// history (which is said once in the log).
void SegnaStorico(TIBDatabase& database, TIBTransaction& tr, const QString& operazione,
                  const QString& utente, const QString& programma);

/// Whether the archive has the sheets' history (asked once per archive and process).
bool StoricoPresente(TIBDatabase& database);

/// One object (a sheet's row or one of its sub-records) as the history kept it when deleted.
struct TOggettoEliminato {
    QString tabella;
    int id = 0;
    QMap<QString, QString> campi; ///< column → value as text; a column missing was null
};

/// Everything deleted with sheet `idScheda` by its last deletion: the sheet's row first, then
/// the sub-records that went with it. Empty when the history has no deletion of that sheet.
std::vector<TOggettoEliminato> OggettiEliminati(TIBDatabase& database, TIBTransaction& tr,
                                                int idScheda);

/// Stores `oggetto` again as it was, its values bound as parameters.
void Reinserisci(TIBDatabase& database, TIBTransaction& tr, const TOggettoEliminato& oggetto);
