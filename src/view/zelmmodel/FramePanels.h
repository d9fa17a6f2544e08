// The card's four sub-record panels: details per operative size, processing options, component
// preferences and dated annotations. Each keeps its rows in memory until the sheet is saved.
#pragma once

#include "FramePanel.h"

#include "model/ReferenceData.h"
#include "model/ZelmModelContext.h"

#include <memory>

class QListWidget;
class QToolButton;
class TMemDataSet;

class TFrameZelmModelDett : public TFrameZelmModelControl {
    Q_OBJECT
public:
    explicit TFrameZelmModelDett(QWidget* parent = nullptr);
    void SetSession(TSession* session) override;
    void SetReadOnly(bool readOnly) override;
    void SetContext(const TZelmModelDettContext& from);
    std::unique_ptr<TZelmModelDettDataList> GetData();

    void ImpostaTagliaOperativa();
    void RimuoviTagliaOperativa();
    void NuovoDettaglio();
    void EliminaDettaglio();

    TMemDataSet* DataSet;
    TPanelGrid* Grid;
    QToolButton *ActionTagliaOperativa, *ActionClear, *ActionNuovo, *ActionElimina;
    /// The sizes of the operative size in use, in the order they were read.
    const TTaglieOperativeDataList& TaglieOperative() const { return fTaglie; }

private:
    void SetColumns();
    void Aggiorna();

    TTaglieOperativeDataList fTaglie;
};

class TFrameZelmModelOpz : public TFrameZelmModelControl {
    Q_OBJECT
public:
    explicit TFrameZelmModelOpz(QWidget* parent = nullptr);
    void SetSession(TSession* session) override;
    void SetReadOnly(bool readOnly) override;
    void SetContext(const TZelmModelOpzContext& from);
    std::unique_ptr<TZelmModelOpzDataList> GetData();
    /// Some option has a description.
    bool Espresse();

    void ImpostaSet();
    void RimuoviSet();

    TMemDataSet* DataSet;
    TPanelGrid* Grid;
    QToolButton *ActionSetOpzioniLavoraz, *ActionClear;

private:
    void ShowRows(const TZelmModelOpzDataList* rows);
    void BuildRows(const TZelmSetOpzioniLavorazDataList& set);
    void Aggiorna();
};

class TFrameZelmModelPrefComp : public TFrameZelmModelControl {
    Q_OBJECT
public:
    explicit TFrameZelmModelPrefComp(QWidget* parent = nullptr);
    void SetReadOnly(bool readOnly) override;
    void SetContext(const TZelmModelPrefCompContext& from);
    std::unique_ptr<TZelmModelPrefCompDataList> GetData() const;
    bool Espresse() const;

    void ImpostaSet();
    void RimuoviSet();

    QListWidget* CheckListBox;
    QToolButton *ActionSetPreferenzeComponenti, *ActionClear;

private:
    void BuildItems(const TZelmSetPreferenzeComponentiDataList& set);
    void Aggiorna();

    TZelmSetPreferenzeComponentiDataList fSetList;
};

class TFrameZelmModelSto : public TFrameZelmModelControl {
    Q_OBJECT
public:
    explicit TFrameZelmModelSto(QWidget* parent = nullptr);
    void SetSession(TSession* session) override;
    void SetReadOnly(bool readOnly) override;
    void SetData(const TZelmModelStoDataList* from);
    std::unique_ptr<TZelmModelStoDataList> GetData();

    void NuovaAnnotazione();
    void ModificaAnnotazione();
    void EliminaAnnotazione();

    TMemDataSet* DataSet;
    TPanelGrid* Grid;
    QToolButton *ActionNuovo, *ActionElimina, *ActionModifica;

private:
    void Aggiorna();
};
