// The model-sheet window: search page and sheet card.
#pragma once

#include "framework/ui/FormBase.h"

class TFormZelmModel : public TFormBase {
    Q_OBJECT
public:
    TFormZelmModel(int utente, int idFinestra);
    int GetCodiceSituazione() const override { return 1; }
    QString GetTitolo() const override;
};
