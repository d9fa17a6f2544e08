// Rows of the host tables a sheet refers to and the system only reads: operative size ranges,
// processing-option and component-preference sets, customers and two item classifications.
#pragma once

#include "DataObject.h"

/// Rows the product only reads: writing them writes nothing.
#define ZELM_READ_ONLY_RECORD                                                                      \
protected:                                                                                         \
    void Read(const TRow& from) override;                                                          \
    void Write(TRow&) const override {}

class TTaglieOperativeData : public TRecord<TTaglieOperativeData> {
    ZELM_TEXT(Codice, 10)
    ZELM_VALUE(int, NRiga)
    ZELM_TEXT(Descrizione1, 10)
    ZELM_TEXT(Descrizione2, 3)
    ZELM_TEXT(Descrizione3, 5)
    ZELM_TEXT(Descrizione4, 5)
    ZELM_READ_ONLY_RECORD
};

/// The shape shared by the option sets and the preference sets.
class TZelmSetData : public TDataObject {
    ZELM_VALUE(int, NSet)
    ZELM_VALUE(int, NRiga)
    ZELM_TEXT(Etichetta, 30)

protected:
    void Read(const TRow& from) override;
    void Write(TRow& to) const override;
};

class TZelmSetOpzioniLavorazData : public TRecord<TZelmSetOpzioniLavorazData, TZelmSetData> {};
class TZelmSetPreferenzeComponentiData
    : public TRecord<TZelmSetPreferenzeComponentiData, TZelmSetData> {};

class TClientiData : public TRecord<TClientiData> {
    ZELM_TEXT(Codice, 10)
    ZELM_TEXT(RagSoc, 64)
    ZELM_TEXT(DescrizioneSintetica, 20)
    ZELM_READ_ONLY_RECORD
};

/// The shape shared by the two item classifications.
class TClassificazioneData : public TDataObject {
    ZELM_VALUE(int, Codice)
    ZELM_TEXT(Descrizione, 10)
    ZELM_TEXT(Descrizione1, 40)
    ZELM_VALUE(int, CodiceCollegamento)
    ZELM_TEXT(Descrizione2, 40)
    ZELM_TEXT(Descrizione3, 40)
    ZELM_READ_ONLY_RECORD
};

class TClassificazione1Data : public TRecord<TClassificazione1Data, TClassificazioneData> {};
class TClassificazione5Data : public TRecord<TClassificazione5Data, TClassificazioneData> {};

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
