// Where each user left each window: table STOPOS1 of the archive, one row per project, window
// kind and user.
#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

#include <utility>
#include <vector>

class QWidget;
class TIBDatabase;

/// Places `form` as stored (left, top, outer width and height), when a row exists.
void LeggiPosizioneForm(QWidget* form, int utente, int situazione, TIBDatabase& database,
                        int progetto);
/// Stores the placement of `form` when there is no row yet or it differs from the stored one.
void ScriviPosizioneForm(QWidget* form, int utente, int situazione, TIBDatabase& database,
                         int progetto);

/// Writes `values` (column, value) into the row of `table` keyed by the three codes: the row is
/// updated, or inserted with the codes (its other columns null), through the statements
/// GeneraSQLAggiornamento derives from the table; nothing is written when the stored row already
/// holds every value. Committed.
void ScriviRigaPosizione(TIBDatabase& database, const QString& table, int utente, int situazione,
                         int progetto, const std::vector<std::pair<QString, QVariant>>& values);

/// The statement creating a placement table (STOPOS1).
QStringList CreatePlacementTableLines(const QString& table);
