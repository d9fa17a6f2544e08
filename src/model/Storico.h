// The history of the model sheets: the names the sheet tables' triggers and the programs that
// change sheets share. The programs name the operation, their user and themselves on the
// transaction (USER_TRANSACTION context variables); the triggers write one ZELMMODELSTORICO row
// per field changed, per object added, and per field of an object deleted.
#pragma once

#include <QString>

namespace zelm::storico {

inline const QString kTabella = QStringLiteral("ZELMMODELSTORICO");

// Context variables of the transaction, read by the triggers.
inline const QString kVarOperazione = QStringLiteral("ZELM_OPERAZIONE");
inline const QString kVarUtente = QStringLiteral("ZELM_UTENTE");
inline const QString kVarProgramma = QStringLiteral("ZELM_PROGRAMMA");

// OPERAZIONE: what the user did. A change made by another program is "Nuova", "Modifica" or
// "Eliminazione" by the kind of statement.
inline const QString kNuova = QStringLiteral("Nuova");
inline const QString kModifica = QStringLiteral("Modifica");
inline const QString kVariante = QStringLiteral("Variante");
inline const QString kDuplica = QStringLiteral("Duplica");
inline const QString kRilascioC = QStringLiteral("Rilascio C");
inline const QString kRilascioP = QStringLiteral("Rilascio P");
inline const QString kSospensione = QStringLiteral("Sospensione");
inline const QString kEliminazione = QStringLiteral("Eliminazione");
inline const QString kImport = QStringLiteral("Import");
inline const QString kRipristino = QStringLiteral("Ripristino");

// PROGRAMMA: the product's windows and its importer; others are named by their process.
inline const QString kProgrammaScheda = QStringLiteral("scheda");
inline const QString kProgrammaImport = QStringLiteral("import");

/// OGGETTO of each sheet table's rows.
struct TOggetto {
    const char* tabella;
    const char* oggetto;
    const char* variante; ///< the column with the sheet's variant, or nullptr (per model)
};
inline constexpr TOggetto kOggetti[] = {
    {"ZELMMODEL", "Scheda", "IDVARIANTE"},
    {"ZELMMODELDETT", "Dettaglio", nullptr},
    {"ZELMMODELOPZ", "Opzione", "IDVARIANTEMODEL"},
    {"ZELMMODELPREFCOMP", "Preferenza", "IDVARIANTEMODEL"},
    {"ZELMMODELSTO", "Annotazione", nullptr},
};

} // namespace zelm::storico
