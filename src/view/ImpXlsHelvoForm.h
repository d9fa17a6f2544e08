// The window that imports model sheets from the source system's workbooks.
#pragma once

#include "framework/ui/FormBase.h"

class TImpXlsHelvoForm : public TFormBase {
    Q_OBJECT
public:
    TImpXlsHelvoForm(int utente, int idFinestra);
    int GetCodiceSituazione() const override { return 3; }
    QString GetTitolo() const override;
};
