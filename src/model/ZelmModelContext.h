// What the service loads, checks and writes: a sheet with its sub-records and the reference
// lists they need; and the three smaller contexts of the card's panels.
#pragma once

#include "DataObject.h"
#include "ReferenceData.h"
#include "ZelmModelData.h"
#include "ZelmModelSubData.h"

#define ZELM_SLOT(Index, Type, Name)                                                               \
public:                                                                                            \
    Type* Name() const {                                                                           \
        return Slot<Type>(Index);                                                                  \
    }                                                                                              \
    void Set##Name(std::unique_ptr<Type> value) {                                                  \
        SetSlot(Index, std::move(value));                                                          \
    }

class TZelmModelContext : public TContext {
    ZELM_SLOT(0, TZelmModelData, Model)
    ZELM_SLOT(1, TClientiData, Cliente)
    ZELM_SLOT(2, TZelmModelDettDataList, Dett)
    ZELM_SLOT(3, TZelmModelStoDataList, Sto)
    ZELM_SLOT(4, TZelmModelOpzDataList, Opz)
    ZELM_SLOT(5, TZelmModelPrefCompDataList, PrefComp)
    ZELM_SLOT(6, TTaglieOperativeDataList, TaglieOperative)
    ZELM_SLOT(7, TZelmSetOpzioniLavorazDataList, SetOpzioniLavoraz)
    ZELM_SLOT(8, TZelmSetPreferenzeComponentiDataList, SetPreferenzeComponenti)

public:
    TZelmModelContext() : TContext(9) {}
    /// What saving this context does for the sheets' history ("Nuova", "Variante", "Duplica");
    /// empty: a change of a stored sheet ("Modifica").
    QString OperazioneStorico;
    /// Frees what the context holds, then clones every filled slot of `from`.
    void Assign(const TZelmModelContext& from);
    std::unique_ptr<TZelmModelContext> Clone() const;
};

/// True when `a` and `b` hold the same stored data: the sheet's row, its details, annotations,
/// options and preferences (each list as a set of rows, whatever their order).
bool StessiDatiArchiviati(const TZelmModelContext& a, const TZelmModelContext& b);

class TZelmModelDettContext : public TContext {
    ZELM_SLOT(0, TZelmModelData, Model)
    ZELM_SLOT(1, TZelmModelDettDataList, Dett)
    ZELM_SLOT(2, TTaglieOperativeDataList, TaglieOperative)

public:
    TZelmModelDettContext() : TContext(3) {}
};

class TZelmModelOpzContext : public TContext {
    ZELM_SLOT(0, TZelmModelData, Model)
    ZELM_SLOT(1, TZelmModelOpzDataList, Opz)
    ZELM_SLOT(2, TZelmSetOpzioniLavorazDataList, SetList)

public:
    TZelmModelOpzContext() : TContext(3) {}
};

class TZelmModelPrefCompContext : public TContext {
    ZELM_SLOT(0, TZelmModelData, Model)
    ZELM_SLOT(1, TZelmModelPrefCompDataList, PrefComp)
    ZELM_SLOT(2, TZelmSetPreferenzeComponentiDataList, SetList)

public:
    TZelmModelPrefCompContext() : TContext(3) {}
};

/// Clone of an optional object (none stays none).
template <typename T> std::unique_ptr<T> CloneOrNone(const T* object) {
    return object ? object->Clone() : nullptr;
}
