// The sheets' history seen from the programs: who and why named on the transaction of a change
// (the triggers write the rows), and the rows read back for a sheet.
#pragma once

#include <QString>

class TIBDatabase;
class TIBTransaction;

/// Names on `tr` the operation, the product's user and the program that the history triggers
/// record for every change the transaction makes from now on. Harmless on an archive without the
/// history (which is said once in the log).
void SegnaStorico(TIBDatabase& database, TIBTransaction& tr, const QString& operazione,
                  const QString& utente, const QString& programma);

/// Whether the archive has the sheets' history (asked once per archive and process).
bool StoricoPresente(TIBDatabase& database);
