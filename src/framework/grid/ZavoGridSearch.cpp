// The grid's searches: a column search through the search dialog (F5), the all-columns search,
// and undoing a search (F6). Every exit path, refused searches included, leaves the grid's search
// state as it found it.
#include "RZavoGridForm.h"
#include "ZavoGrid.h"

#include "framework/db/DatabaseError.h"

#include "EditData.h"

#include "framework/core/Dialogs.h"
#include "framework/core/ScopeExit.h"
#include "framework/core/SlotGuard.h"
#include "framework/core/ZavoError.h"
#include "framework/db/DBConnection.h"
#include "framework/db/IBSQL.h"
#include "framework/db/IBTransaction.h"
#include "framework/ui/PlacementStore.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

void TZavoGrid::StartSearch() {
    if (OnInizioRicerca)
        OnInizioRicerca();
    RicercaInCorso = true;
}

void TZavoGrid::EndSearch() {
    RicercaInCorso = false;
    if (OnFineRicerca)
        OnFineRicerca();
}

void TZavoGrid::RestoreQuery(const QStringList& sql, bool wasActive) {
    fQuery->Close();
    fQuery->SQL = sql;
    if (!wasActive)
        return;
    // Reopened as it was, ordering included: neither the owner nor the grid rewrites the text
    // while a search runs.
    const bool running = RicercaInCorso;
    RicercaInCorso = true;
    fSearchQuery = true;
    TScopeExit reset([this, running] {
        fSearchQuery = false;
        RicercaInCorso = running;
    });
    fQuery->Open();
}

void TZavoGrid::EseguiRicerca(int field, const TParametriRicerca& p) {
    if (fTimer)
        fTimer->stop();
    const TClasseCampo classe = Classe(field);
    if (!RicercaApplicabile(classe, p))
        return; // an incomplete date-time does nothing
    const QString origin = Origin(field);
    // Built before anything changes: an unreadable date leaves the list as it is.
    const QString condition = CondizioneRicerca(classe, origin, p, HaWhere(SQLIniziale));
    QStringList lines = SQLIniziale;
    if (!condition.isEmpty())
        lines << condition;
    const QString ordering = OrdinamentoRicerca(classe, origin, p);
    if (!ordering.isEmpty()) {
        lines << ordering;
    } else {
        QStringList origins; // the query open now is the base query
        for (int f = 0; f < fQuery->FieldCount(); ++f)
            origins << fQuery->FieldOrigin(f).toUpper();
        lines << OrderingLines(fMode, fOrd, fMulti, CampiPersonalizzati, origins, OrderBy);
    }

    const QStringList before = fQuery->SQL;
    const QString filtroBefore = SQLFiltro;
    const bool wasActive = fQuery->Active();
    fQuery->Close();
    fQuery->SQL = lines;
    SQLFiltro = condition;
    fSearchQuery = true;
    try {
        fQuery->Open();
        fSearchQuery = false;
    } catch (...) {
        fSearchQuery = false;
        SQLFiltro = filtroBefore;
        try {
            RestoreQuery(before, wasActive);
        } catch (...) {
            // The list stays closed; the refusal below is what the user must read.
        }
        try {
            throw;
        } catch (const EDatabaseError& e) {
            // The engine's own words are English and name internals.
            throw EZavoError(QStringLiteral("Ricerca su %1 non eseguita: %2")
                                 .arg(fQuery->Title(field), e.Descrizione()));
        }
    }
}

void TZavoGrid::RicercaGenerica(const QString& testo) {
    StartSearch();
    TScopeExit end([this] {
        if (!fSearchDialog)
            EndSearch();
    });
    SalvaAspettoSuStorico();
    std::vector<TCampoRicerca> fields;
    for (int f = 0; f < fQuery->FieldCount(); ++f)
        fields.push_back({fQuery->FieldOrigin(f), Classe(f)});
    const QStringList lines = RicercaGenericaLines(SQLIniziale, fields, testo);
    const QStringList before = fQuery->SQL;
    const bool wasActive = fQuery->Active();
    fQuery->Close();
    fQuery->SQL = lines;
    try {
        fQuery->Open();
    } catch (...) {
        try {
            RestoreQuery(before, wasActive);
        } catch (...) {
        }
        throw;
    }
    SQLFiltro.clear(); // a later re-query by the owner shows the list unfiltered
}

void TZavoGrid::ReopenBase() {
    fQuery->Close();
    fQuery->SQL = SQLIniziale;
    SQLFiltro.clear();
    fQuery->Open();
}

void TZavoGrid::AnnullaRicerca() {
    if (!fQuery)
        return;
    StartSearch();
    TScopeExit end([this] { EndSearch(); });
    SalvaAspettoSuStorico();
    ReopenBase();
}

void TZavoGrid::LeggiPosizioneRicerca(TRZavoGridForm& form) {
    TIBDatabase& db = SettingsDatabase();
    auto tr = CreaTransazione(db, TTipoTransazione::ReadCommitted);
    TIBSQL sql(&db, tr.get());
    sql.ParamCheck = false;
    sql.SetSQL(QStringList{QStringLiteral("SELECT * FROM \"%1\"").arg(TabellaPosizioneFinestre)} +
               LayoutStore().KeyLines());
    sql.ExecQuery();
    if (sql.Eof())
        return; // centred by the window system
    form.move(sql.FieldByName("POSX").AsInteger(), sql.FieldByName("POSY").AsInteger());
    form.SetTipoRicerca(sql.FieldByName("INFO3").AsInteger());
    form.CheckUpper->setChecked(sql.FieldByName("INFO4").AsInteger() == 1);
    form.SetTipoOrdinamento(sql.FieldByName("INFO1").AsInteger());
}

void TZavoGrid::ScriviPosizioneRicerca(const TRZavoGridForm& form) {
    ScriviRigaPosizione(SettingsDatabase(), TabellaPosizioneFinestre, Utente, fSituazione,
                        CodiceProgetto,
                        {{QStringLiteral("POSX"), form.x()},
                         {QStringLiteral("POSY"), form.y()},
                         {QStringLiteral("INFO3"), form.TipoRicercaScelto()},
                         {QStringLiteral("INFO4"), form.CheckUpper->isChecked() ? 1 : 0},
                         {QStringLiteral("INFO1"), form.TipoOrdinamentoScelto()}});
}

void TZavoGrid::AttivaRicerche() {
    if (!fQuery || !fQuery->Active() || fSearchDialog)
        return;
    const int field = currentIndex().isValid() ? currentIndex().column() : FieldOfColumn(0);
    if (field < 0)
        return;
    StartSearch();
    // Whatever ends the search (a refusal, a failed read, the dialog closed) ends it here.
    TScopeExit end([this] {
        if (fTimer)
            fTimer->stop();
        fSearchDialog = nullptr;
        fCampoRicerca = -1;
        EndSearch();
    });
    if (!Searchable(field)) {
        Dialogs().Warning(QStringLiteral("Attenzione: Non è possibile eseguire la ricerca su un "
                                         "campo non indicizzato di una tabella di grandi "
                                         "dimensioni"));
        return;
    }
    SalvaAspettoSuStorico();
    fCampoRicerca = field;
    TRZavoGridForm form(this);
    fSearchDialog = &form;
    form.CheckGenerica->setEnabled(true);
    LeggiPosizioneRicerca(form);
    const TClasseCampo classe = Classe(field);
    if (classe == clNumero)
        form.RiduciTipiRicerca();
    else if (classe == clData || classe == clDataOra)
        form.ModoData();
    else if (classe == clBlob)
        form.CheckUpper->setChecked(false);
    form.setFont(font());
    form.setWindowTitle(QStringLiteral("Ricerca su ") + fQuery->Title(field));

    auto params = [&] {
        TParametriRicerca p;
        p.testo = form.EditStringa->text();
        p.tipo = form.TipoRicercaScelto();
        p.upper = form.CheckUpper->isChecked();
        p.ordinamento = form.TipoOrdinamentoScelto();
        p.data1 = form.EditData1->text();
        p.data2 = form.EditData2->text();
        return p;
    };
    // A refused search is shown and the dialog stays open on it.
    auto run = [&] { return RunGuarded([&] { EseguiRicerca(field, params()); }); };
    if (!fTimer) {
        fTimer = new QTimer(this);
        fTimer->setInterval(1000);
        fTimer->setSingleShot(true);
    }
    QMetaObject::Connection timerRun = connect(fTimer, &QTimer::timeout, &form, run);
    TScopeExit disconnectTimer([&] { disconnect(timerRun); });
    connect(&form, &TRZavoGridForm::Conferma, &form, [&] {
        if (run())
            form.accept();
    });
    connect(&form, &TRZavoGridForm::Annulla, &form, Guarded([&] {
        fTimer->stop();
        form.reject();
        ReopenBase();
    }));
    connect(&form, &TRZavoGridForm::Modificata, &form, [&] {
        if (fTimerRic)
            fTimer->start();
        else
            run();
    });
    connect(&form, &TRZavoGridForm::GenericaCambiata, &form, [&](bool on) {
        for (QWidget* w : std::initializer_list<QWidget*>{form.BoxTipoRicerca, form.CheckUpper,
                                                          form.ButtonPiu, form.BoxTipoOrdinamento})
            w->setEnabled(!on);
        form.ButtonEsegui->setEnabled(on);
        if (on) {
            form.EditData1->hide();
            form.EditStringa->show();
            form.FTitoloFinestraRicerca = form.windowTitle();
            form.setWindowTitle(QStringLiteral("Ricerca su TUTTI i campi"));
        } else {
            form.setWindowTitle(form.FTitoloFinestraRicerca);
        }
    });
    connect(&form, &TRZavoGridForm::Esegui, &form,
            Guarded([&] { RicercaGenerica(form.EditStringa->text()); }));
    form.exec();
    fTimer->stop();
    RicercaInCorso = false;
    try {
        ScriviPosizioneRicerca(form);
    } catch (const EZavoError& e) {
        Dialogs().Warning(e.Message());
    }
    fSearchDialog = nullptr;
    end.Dismiss();
    EndSearch();
    fCampoRicerca = -1;
    RecuperaAspettodaStorico();
}
