// The four kinds of rows a model sheet carries: details per size and annotations (per model),
// processing options and component preferences (per variant).
#pragma once

#include "DataObject.h"

#include <array>

class TZelmModelDettData : public TRecord<TZelmModelDettData> {
    ZELM_VALUE(int, Id)
    ZELM_VALUE(int, IdModel)
    ZELM_TEXT(TipoDett, 30)

public:
    static constexpr int kSizes = 17;
    /// Value for the index-th size of the range, 1..17.
    const QString& D(int index) const { return FD.at(index - 1); }
    void SetD(int index, const QString& value) { FD.at(index - 1) = value.left(5); }
    /// Throws `"<text>" supera la dimensione massima (30 car.)` for a text over 30 characters.
    static void ValidateTipoDett(const QString& value);

private:
    std::array<QString, kSizes> FD;

protected:
    void Read(const TRow& from) override;
    void Write(TRow& to) const override;
};

class TZelmModelOpzData : public TRecord<TZelmModelOpzData> {
    ZELM_VALUE(int, Id)
    ZELM_VALUE(int, IdModel)
    ZELM_VALUE(int, IdVarianteModel)
    ZELM_VALUE(int, IdOpzione)
    ZELM_TEXT(Etichetta, 30)
    ZELM_TEXT(Descrizione, 50)

protected:
    void Read(const TRow& from) override;
    void Write(TRow& to) const override;
};

class TZelmModelPrefCompData : public TRecord<TZelmModelPrefCompData> {
    ZELM_VALUE(int, Id)
    ZELM_VALUE(int, IdModel)
    ZELM_VALUE(int, IdVarianteModel)
    ZELM_VALUE(int, IdOpzione)
    ZELM_TEXT(Etichetta, 30)

protected:
    void Read(const TRow& from) override;
    void Write(TRow& to) const override;
};

class TZelmModelStoData : public TRecord<TZelmModelStoData> {
    ZELM_VALUE(int, Id)
    ZELM_VALUE(int, IdModel)
    ZELM_TEXT(TipoAnnotazione, 30)
    ZELM_VALUE(QDate, DataAnnotazione)
    ZELM_TEXT(Annotazione, 128)

protected:
    void Read(const TRow& from) override;
    void Write(TRow& to) const override;
};

class TZelmModelDettDataList : public TDataList<TZelmModelDettData> {
public:
    using TDataList::IndexOf;
    /// First item whose TipoDett equals the text exactly (case-sensitive), -1 when none.
    int IndexOf(const QString& tipoDett) const;
    std::unique_ptr<TZelmModelDettDataList> Clone() const { return CloneList(*this); }
};
class TZelmModelOpzDataList : public TDataList<TZelmModelOpzData> {
public:
    std::unique_ptr<TZelmModelOpzDataList> Clone() const { return CloneList(*this); }
};
class TZelmModelPrefCompDataList : public TDataList<TZelmModelPrefCompData> {
public:
    using TDataList::IndexOf;
    int IndexOf(const QString& etichetta) const;
    std::unique_ptr<TZelmModelPrefCompDataList> Clone() const { return CloneList(*this); }
};
class TZelmModelStoDataList : public TDataList<TZelmModelStoData> {
public:
    std::unique_ptr<TZelmModelStoDataList> Clone() const { return CloneList(*this); }
};
