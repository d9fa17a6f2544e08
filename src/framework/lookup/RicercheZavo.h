// The session's ready-made searches on the lookup dialog: customers and model sheets.
#pragma once

#include "framework/session/Ricerche.h"

class TRicercheZavo : public TRicerche {
    Q_OBJECT
public:
    using TRicerche::TRicerche;
    bool FindCliente(QString& codice) override;
    bool FindZelmModel(int& id) override;
};

/// Makes every session's Ricerche() these.
void InstallaRicercheZavo();
