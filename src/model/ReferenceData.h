// Rows of the host tables a sheet refers to and the system only reads: operative size ranges,
// processing-option and component-preference sets, customers and two item classifications.
#pragma once

#include "DataObject.h"

/// Records loaded only from statement rows: the other three views do nothing.
#define ZELM_STATEMENT_ONLY_RECORD(T)                                                              \
public:                                                                                            \
    explicit T(bool cleared = false) {                                                             \
        if (cleared)                                                                               \
            Clear();                                                                               \
    }                                                                                              \
    explicit T(const TStatementRow& from) {                                                        \
        Assign(from);                                                                              \
    }                                                                                              \
    void Clear() override {                                                                        \
        *this = T();                                                                               \
    }                                                                                              \
    void Assign(const TDataSetRow&) override {}                                                    \
    void Assign(const TStatementRow& from) override;                                               \
    void AssignTo(TDataSetRow&) const override {}                                                  \
    void AssignTo(TStatementRow&) const override {}                                                \
    void Assign(const T& from) {                                                                   \
        *this = from;                                                                              \
    }                                                                                              \
    std::unique_ptr<T> Clone() const {                                                             \
        return std::make_unique<T>(*this);                                                         \
    }

class TTaglieOperativeData : public TDataObject {
    ZELM_TEXT(Codice, 10)
    ZELM_VALUE(int, NRiga)
    ZELM_TEXT(Descrizione1, 10)
    ZELM_TEXT(Descrizione2, 3)
    ZELM_TEXT(Descrizione3, 5)
    ZELM_TEXT(Descrizione4, 5)
    ZELM_STATEMENT_ONLY_RECORD(TTaglieOperativeData)
};

/// The shape shared by the option sets and the preference sets.
class TZelmSetData : public TDataObject {
    ZELM_VALUE(int, NSet)
    ZELM_VALUE(int, NRiga)
    ZELM_TEXT(Etichetta, 30)

public:
    void Clear() override;
    void Assign(const TDataSetRow& from) override;
    void Assign(const TStatementRow& from) override;
    void AssignTo(TDataSetRow& to) const override;
    void AssignTo(TStatementRow& to) const override;

private:
    template <typename Row> void Read(const Row& from);
    template <typename Row> void Write(Row& to) const;
};

#define ZELM_SET_RECORD(T)                                                                         \
    class T : public TZelmSetData {                                                                \
    public:                                                                                        \
        explicit T(bool cleared = false) {                                                         \
            if (cleared)                                                                           \
                Clear();                                                                           \
        }                                                                                          \
        explicit T(const TDataSetRow& from) { TZelmSetData::Assign(from); }                        \
        explicit T(const TStatementRow& from) { TZelmSetData::Assign(from); }                      \
        using TZelmSetData::Assign;                                                                \
        void Assign(const T& from) { *this = from; }                                               \
        std::unique_ptr<T> Clone() const { return std::make_unique<T>(*this); }                    \
    };

ZELM_SET_RECORD(TZelmSetOpzioniLavorazData)
ZELM_SET_RECORD(TZelmSetPreferenzeComponentiData)

class TClientiData : public TDataObject {
    ZELM_TEXT(Codice, 10)
    ZELM_TEXT(RagSoc, 64)
    ZELM_TEXT(DescrizioneSintetica, 20)
    ZELM_STATEMENT_ONLY_RECORD(TClientiData)
};

class TClassificazioneData : public TDataObject {
    ZELM_VALUE(int, Codice)
    ZELM_TEXT(Descrizione, 10)
    ZELM_TEXT(Descrizione1, 40)
    ZELM_VALUE(int, CodiceCollegamento)
    ZELM_TEXT(Descrizione2, 40)
    ZELM_TEXT(Descrizione3, 40)

public:
    void Clear() override;
    void Assign(const TDataSetRow&) override {}
    void Assign(const TStatementRow& from) override;
    void AssignTo(TDataSetRow&) const override {}
    void AssignTo(TStatementRow&) const override {}
};

#define ZELM_CLASSIFICAZIONE_RECORD(T)                                                             \
    class T : public TClassificazioneData {                                                        \
    public:                                                                                        \
        explicit T(bool cleared = false) {                                                         \
            if (cleared)                                                                           \
                Clear();                                                                           \
        }                                                                                          \
        explicit T(const TStatementRow& from) { TClassificazioneData::Assign(from); }              \
        using TClassificazioneData::Assign;                                                        \
        void Assign(const T& from) { *this = from; }                                               \
        std::unique_ptr<T> Clone() const { return std::make_unique<T>(*this); }                    \
    };

ZELM_CLASSIFICAZIONE_RECORD(TClassificazione1Data)
ZELM_CLASSIFICAZIONE_RECORD(TClassificazione5Data)

class TTaglieOperativeDataList : public TDataList<TTaglieOperativeData> {
public:
    std::unique_ptr<TTaglieOperativeDataList> Clone() const { return CloneList(*this); }
};

/// Set lists are replaced, not extended, by CopyFrom.
template <typename T> class TZelmSetDataList : public TDataList<T> {
public:
    void CopyFrom(const TDataList<T>& from) override {
        this->Clear();
        TDataList<T>::CopyFrom(from);
    }
};

class TZelmSetOpzioniLavorazDataList : public TZelmSetDataList<TZelmSetOpzioniLavorazData> {
public:
    std::unique_ptr<TZelmSetOpzioniLavorazDataList> Clone() const { return CloneList(*this); }
};

class TZelmSetPreferenzeComponentiDataList
    : public TZelmSetDataList<TZelmSetPreferenzeComponentiData> {
public:
    std::unique_ptr<TZelmSetPreferenzeComponentiDataList> Clone() const { return CloneList(*this); }
    /// Exact, case-sensitive match of the label; -1 when absent.
    int IndexOf(const QString& etichetta) const;
};

class TClassificazione1DataList : public TDataList<TClassificazione1Data> {};
class TClassificazione5DataList : public TDataList<TClassificazione5Data> {};
