// The window that creates item-master articles from a model sheet.
#pragma once

#include "framework/ui/FormBase.h"

class TFormZelmCreaArt : public TFormBase {
    Q_OBJECT
public:
    TFormZelmCreaArt(int utente, int idFinestra);
    int GetCodiceSituazione() const override { return 7; }
    QString GetTitolo() const override;
};
