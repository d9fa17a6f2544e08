// The four kinds of rows a model sheet carries: details per size and annotations (per model),
// processing options and component preferences (per variant).
#pragma once

#include "DataObject.h"

#include <array>

class TZelmModelDettData : public TDataObject {
    ZELM_VALUE(int, Id)
    ZELM_VALUE(int, IdModel)
    ZELM_TEXT(TipoDett, 30)

public:
    static constexpr int kSizes = 17;
    explicit TZelmModelDettData(bool cleared = false);
    explicit TZelmModelDettData(const TDataSetRow& from) { Assign(from); }
    explicit TZelmModelDettData(const TStatementRow& from) { Assign(from); }
    void Clear() override { *this = TZelmModelDettData(); }
    void Assign(const TDataSetRow& from) override;
    void Assign(const TStatementRow& from) override;
    void AssignTo(TDataSetRow& to) const override;
    void AssignTo(TStatementRow& to) const override;
    void Assign(const TZelmModelDettData& from) { *this = from; }
    std::unique_ptr<TZelmModelDettData> Clone() const {
        return std::make_unique<TZelmModelDettData>(*this);
    }
    /// Value for the index-th size of the range, 1..17.
    const QString& D(int index) const { return FD.at(index - 1); }
    void SetD(int index, const QString& value) { FD.at(index - 1) = value.left(5); }
    /// Throws `"<text>" supera la dimensione massima (30 car.)` for a text over 30 characters.
    static void ValidateTipoDett(const QString& value);

private:
    template <typename Row> void Read(const Row& from);
    template <typename Row> void Write(Row& to) const;
    std::array<QString, kSizes> FD;
};

class TZelmModelOpzData : public TDataObject {
    ZELM_VALUE(int, Id)
    ZELM_VALUE(int, IdModel)
    ZELM_VALUE(int, IdVarianteModel)
    ZELM_VALUE(int, IdOpzione)
    ZELM_TEXT(Etichetta, 30)
    ZELM_TEXT(Descrizione, 50)

public:
    explicit TZelmModelOpzData(bool cleared = false);
    explicit TZelmModelOpzData(const TDataSetRow& from) { Assign(from); }
    explicit TZelmModelOpzData(const TStatementRow& from) { Assign(from); }
    void Clear() override { *this = TZelmModelOpzData(); }
    void Assign(const TDataSetRow& from) override;
    void Assign(const TStatementRow& from) override;
    void AssignTo(TDataSetRow& to) const override;
    void AssignTo(TStatementRow& to) const override;
    void Assign(const TZelmModelOpzData& from) { *this = from; }
    std::unique_ptr<TZelmModelOpzData> Clone() const {
        return std::make_unique<TZelmModelOpzData>(*this);
    }

private:
    template <typename Row> void Read(const Row& from);
    template <typename Row> void Write(Row& to) const;
};

class TZelmModelPrefCompData : public TDataObject {
    ZELM_VALUE(int, Id)
    ZELM_VALUE(int, IdModel)
    ZELM_VALUE(int, IdVarianteModel)
    ZELM_VALUE(int, IdOpzione)
    ZELM_TEXT(Etichetta, 30)

public:
    explicit TZelmModelPrefCompData(bool cleared = false);
    explicit TZelmModelPrefCompData(const TDataSetRow& from) { Assign(from); }
    explicit TZelmModelPrefCompData(const TStatementRow& from) { Assign(from); }
    void Clear() override { *this = TZelmModelPrefCompData(); }
    void Assign(const TDataSetRow& from) override;
    void Assign(const TStatementRow& from) override;
    void AssignTo(TDataSetRow& to) const override;
    void AssignTo(TStatementRow& to) const override;
    void Assign(const TZelmModelPrefCompData& from) { *this = from; }
    std::unique_ptr<TZelmModelPrefCompData> Clone() const {
        return std::make_unique<TZelmModelPrefCompData>(*this);
    }

private:
    template <typename Row> void Read(const Row& from);
    template <typename Row> void Write(Row& to) const;
};

class TZelmModelStoData : public TDataObject {
    ZELM_VALUE(int, Id)
    ZELM_VALUE(int, IdModel)
    ZELM_TEXT(TipoAnnotazione, 30)
    ZELM_VALUE(QDate, DataAnnotazione)
    ZELM_TEXT(Annotazione, 128)

public:
    explicit TZelmModelStoData(bool cleared = false);
    explicit TZelmModelStoData(const TDataSetRow& from) { Assign(from); }
    explicit TZelmModelStoData(const TStatementRow& from) { Assign(from); }
    void Clear() override { *this = TZelmModelStoData(); }
    void Assign(const TDataSetRow& from) override;
    void Assign(const TStatementRow& from) override;
    void AssignTo(TDataSetRow& to) const override;
    void AssignTo(TStatementRow& to) const override;
    void Assign(const TZelmModelStoData& from) { *this = from; }
    std::unique_ptr<TZelmModelStoData> Clone() const {
        return std::make_unique<TZelmModelStoData>(*this);
    }

private:
    template <typename Row> void Read(const Row& from);
    template <typename Row> void Write(Row& to) const;
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
