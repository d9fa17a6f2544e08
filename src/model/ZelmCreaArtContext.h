// What the article creation gathers from its window: the model sheet, the optional customer and
// last/colour, the operative numbering with its sizes, and the article's texts.
#pragma once

#include "ZelmModelContext.h"

class TZelmCreaArtContext : public TContext {
    ZELM_SLOT(0, TZelmModelData, Model)
    ZELM_SLOT(1, TClientiData, Cliente)
    ZELM_SLOT(2, TClassificazione1Data, LissaColore)
    ZELM_SLOT(3, TClassificazione5Data, NumerataOperativa)
    ZELM_SLOT(4, TTaglieOperativeDataList, TaglieOperative)

public:
    TZelmCreaArtContext() : TContext(5) {}
    const QString& CodiceArticolo() const { return fCodiceArticolo; }
    void SetCodiceArticolo(const QString& v) { fCodiceArticolo = v.left(20); }
    const QString& FondoDescrizione() const { return fFondoDescrizione; }
    void SetFondoDescrizione(const QString& v) { fFondoDescrizione = v.left(100); }
    const QString& Forma() const { return fForma; }
    void SetForma(const QString& v) { fForma = v.left(15); }

private:
    QString fCodiceArticolo, fFondoDescrizione, fForma;
};
