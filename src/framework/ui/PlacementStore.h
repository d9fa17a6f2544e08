// Where each user left each window: table STOPOS1 of the archive, one row per project, window
// kind and user.
#pragma once

class QWidget;
class TIBDatabase;

/// Places `form` as stored (left, top, outer width and height), when a row exists.
void LeggiPosizioneForm(QWidget* form, int utente, int situazione, TIBDatabase& database,
                        int progetto);
/// Stores the placement of `form` when there is no row yet or it differs from the stored one.
void ScriviPosizioneForm(QWidget* form, int utente, int situazione, TIBDatabase& database,
                         int progetto);
