// The rules and the writing of the article creation: one item-master article per operative size
// of a numbering, all with one code, in the service's one snapshot transaction.
#pragma once

#include "ServiceBase.h"

#include "model/ZelmCreaArtContext.h"

class TZelmCreaArtService : public TServiceBase {
    Q_OBJECT
public:
    using TServiceBase::TServiceBase;

    std::unique_ptr<TClassificazione1DataList> LoadLissaColoreList();
    std::unique_ptr<TClassificazione5DataList> LoadNumerataOperativa();
    /// None when the code has no sizes.
    std::unique_ptr<TTaglieOperativeDataList> LoadTaglieOperative(const QString& codice);
    std::unique_ptr<TZelmModelData> LoadZelmModel(int id);
    std::unique_ptr<TClientiData> LoadCliente(const QString& codice);

    /// Returns when the creation may go ahead; otherwise raises the first failing rule.
    void ValidateCreazione(const TZelmCreaArtContext& context);
    /// Builds every article first, then inserts them in turn; an error stops at its row and the
    /// caller rolls the transaction back.
    void Creazione(const TZelmCreaArtContext& context);

    /// The article records of the creation, in size order (nothing written).
    std::vector<std::unique_ptr<TAnaMagData>> Articoli(const TZelmCreaArtContext& context) const;
};

/// `text` in lines of at most `width` characters, broken after a blank, "-", "." or "_" (a
/// word longer than a line is cut at the width); trailing blanks of a line are dropped.
QStringList AvvolgiTesto(const QString& text, int width);
