#include "ZelmModelService.h"

#include "StoricoDataAccess.h"
#include "framework/session/Session.h"
#include "framework/session/ZavoUser.h"
#include "model/Storico.h"

#include "framework/db/DBConnection.h"
#include "framework/db/DatabaseError.h"
#include "framework/db/DbHelpers.h"
#include "framework/db/IBDatabase.h"
#include "framework/db/IBTransaction.h"
#include "framework/session/Session.h"

#include <QDate>

namespace {
/// Runs `step`; a failure becomes `prefix` CR LF the underlying message.
template <typename F> void Step(const char* prefix, F&& step) {
    try {
        step();
    } catch (const EDatabaseError& e) {
        // A broken connection is told as such (in Italian), never as an internal error.
        if (e.IsConnectionLost())
            throw;
        throw EZavoError(QString::fromUtf8(prefix) + QStringLiteral("\r\n") + e.Message());
    } catch (const EZavoError& e) {
        throw EZavoError(QString::fromUtf8(prefix) + QStringLiteral("\r\n") + e.Message());
    }
}

/// Runs a save of the model's own rows (details, annotations), which all its variants share: a
/// row that another user changed meanwhile, editing another variant, is told as such.
template <typename F> void ModelRows(F&& save) {
    try {
        save();
    } catch (const EDatabaseError& e) {
        if (e.IsLockConflict())
            throw EZavoError(QStringLiteral(
                "Un altro utente ha modificato nel frattempo i dettagli o le annotazioni di "
                "questo modello (su un'altra variante): le modifiche non sono state salvate"));
        throw;
    }
}

/// Makes the stored rows of one key match the context's list.
template <typename L, typename LoadFn, typename DeleteOneFn, typename DeleteAllFn, typename SaveFn>
void Synchronise(L* list, LoadFn&& loadStored, DeleteOneFn&& deleteOne, DeleteAllFn&& deleteAll,
                 SaveFn&& save) {
    auto stored = loadStored();
    if (stored && list) {
        for (const auto& row : *stored)
            if (list->IndexOf(row->Id()) < 0)
                deleteOne(row->Id());
        save(*list, stored.get());
    } else if (stored) {
        deleteAll();
    } else if (list) {
        save(*list, static_cast<const L*>(nullptr));
    }
}

template <typename L> bool HasRows(const L* list) {
    return list && !list->IsEmpty();
}
} // namespace

TZelmModelService::TZelmModelService(QObject* owner) : TServiceBase(owner) {}

std::unique_ptr<TZelmModelContext> TZelmModelService::CreateNew() {
    auto context = std::make_unique<TZelmModelContext>();
    auto sheet = std::make_unique<TZelmModelData>();
    TZelmModelDataAccess& acc = DataAccessManager().ZelmModelDataAccess();
    sheet->SetId(acc.GenId());
    sheet->SetIdModel(acc.GenIdModel());
    sheet->UpdateQrCode();
    sheet->SetData(QDate::currentDate());
    sheet->SetStatusScheda(sInPreparazione);
    context->SetModel(std::move(sheet));
    context->OperazioneStorico = zelm::storico::kNuova;
    return context;
}

void TZelmModelService::SegnaOperazione(const QString& operazione) {
    const QString utente =
        Session() && Session()->ZavoUser() ? Session()->ZavoUser()->NomeUtente() : QString();
    SegnaStorico(IBDatabase(), IBTransaction(), operazione, utente,
                 zelm::storico::kProgrammaScheda);
}

void TZelmModelService::Lock(int id) {
    DataAccessManager().ZelmModelDataAccess().Lock(id);
}

std::unique_ptr<TZelmModelContext> TZelmModelService::SafeLoad(int id) {
    TDataAccessManager& dam = DataAccessManager();
    auto sheet = dam.ZelmModelDataAccess().Load(id);
    if (!sheet)
        return nullptr;
    auto context = std::make_unique<TZelmModelContext>();
    context->SetModel(std::move(sheet));
    const TZelmModelData& m = *context->Model();
    if (!m.CodiceCliente().isEmpty())
        context->SetCliente(dam.ClientiDataAccess().Load(m.CodiceCliente()));
    context->SetDett(dam.ZelmModelDettDataAccess().LoadByModel(m.IdModel()));
    context->SetOpz(dam.ZelmModelOpzDataAccess().LoadByVarianteModel(m.IdModel(), m.IdVariante()));
    context->SetPrefComp(
        dam.ZelmModelPrefCompDataAccess().LoadByVarianteModel(m.IdModel(), m.IdVariante()));
    context->SetSto(dam.ZelmModelStoDataAccess().LoadByModel(m.IdModel()));
    if (!m.TagliaOperativa().isEmpty())
        context->SetTaglieOperative(dam.TaglieOperativeDataAccess().Load(m.TagliaOperativa()));
    if (m.SetOpzioniLavoraz() != 0)
        context->SetSetOpzioniLavoraz(
            dam.ZelmSetOpzioniLavorazDataAccess().Load(m.SetOpzioniLavoraz()));
    if (m.SetPreferenzeComponenti() != 0)
        context->SetSetPreferenzeComponenti(
            dam.ZelmSetPreferenzeComponentiDataAccess().Load(m.SetPreferenzeComponenti()));
    return context;
}

std::unique_ptr<TZelmModelContext> TZelmModelService::Load(int id) {
    auto context = SafeLoad(id);
    if (!context)
        throw EZavoError(QStringLiteral("Record ID %1 non trovato").arg(id));
    return context;
}

void TZelmModelService::LockInto(const TZelmModelData& sheet, TValidationResult& result) {
    try {
        Lock(sheet.Id());
    } catch (const ERecordLocked& e) {
        result.AppendError(e.Message());
    } catch (const ERecordNotFound& e) {
        result.AppendError(e.Message());
    }
}

std::unique_ptr<TValidationModifyResult>
TZelmModelService::ValidateModify(const TZelmModelContext& context) {
    const TZelmModelData* sheet = context.Model();
    if (!sheet)
        return nullptr;
    auto result = std::make_unique<TValidationModifyResult>();
    if (sheet->GetStatusScheda() == sRilasciataP)
        result->AppendWarning(QStringLiteral("Scheda già rilasciata"));
    else if (sheet->GetStatusScheda() == sSospesa)
        result->AppendWarning(QStringLiteral("Scheda sospesa"));
    result->NewVariante = !result->Warnings().isEmpty();
    LockInto(*sheet, *result);
    if (!result->IsError()) {
        // What the lock protects, as loaded: the yardstick should the lock be lost.
        fBloccata = context.Clone();
        fBloccoPerso = false;
    }
    return result;
}

void TZelmModelService::TransazionePersa() {
    fBloccoPerso = fBloccata != nullptr;
}

void TZelmModelService::TransazioneFinita() {
    fBloccata.reset();
    fBloccoPerso = false;
}

void TZelmModelService::RiprendiBlocco(const TZelmModelData& sheet) {
    if (!fBloccoPerso || !fBloccata || !fBloccata->Model())
        return;
    const int id = fBloccata->Model()->Id();
    if (sheet.Id() != id && sheet.IdModel() != fBloccata->Model()->IdModel())
        return; // another sheet altogether: the lost lock protected nothing it writes
    const auto rifiuto = [](const char* what) {
        return EZavoError(QStringLiteral("La scheda è stata %1 da un altro utente mentre la "
                                         "connessione all'archivio era interrotta. Nulla è stato "
                                         "salvato: quanto scritto resta sulla scheda; annullare "
                                         "e riaprirla per vedere i dati attuali.")
                              .arg(QLatin1String(what)));
    };
    try {
        Lock(id);
    } catch (const ERecordNotFound&) {
        throw rifiuto("eliminata");
    } catch (const ERecordLocked&) {
        throw rifiuto("presa in modifica");
    }
    const auto stored = SafeLoad(id);
    if (!stored)
        throw rifiuto("eliminata");
    if (!StessiDatiArchiviati(*stored, *fBloccata))
        throw rifiuto("modificata");
    fBloccoPerso = false; // held again, on the same data
}

std::unique_ptr<TZelmModelContext>
TZelmModelService::CreateVariante(const TZelmModelContext& from) {
    auto context = from.Clone();
    TZelmModelData* sheet = context->Model();
    if (!sheet)
        return context;
    context->OperazioneStorico = zelm::storico::kVariante;
    TZelmModelDataAccess& acc = DataAccessManager().ZelmModelDataAccess();
    sheet->SetId(acc.GenId());
    sheet->SetIdVariante(acc.GenIdVariante(sheet->IdModel()));
    sheet->UpdateQrCode();
    sheet->SetDataVariante(QDate::currentDate());
    sheet->SetStatusScheda(sInPreparazione);
    if (auto* opz = context->Opz())
        for (auto& row : *opz) {
            row->SetId(0);
            row->SetIdVarianteModel(sheet->IdVariante());
        }
    if (auto* pref = context->PrefComp())
        for (auto& row : *pref) {
            row->SetId(0);
            row->SetIdVarianteModel(sheet->IdVariante());
        }
    return context;
}

std::unique_ptr<TZelmModelContext>
TZelmModelService::CreateDuplicate(const TZelmModelContext& from) {
    auto context = from.Clone();
    TZelmModelData* sheet = context->Model();
    if (!sheet)
        return context;
    context->OperazioneStorico = zelm::storico::kDuplica;
    TZelmModelDataAccess& acc = DataAccessManager().ZelmModelDataAccess();
    sheet->SetId(acc.GenId());
    sheet->SetIdModel(acc.GenIdModel());
    sheet->SetIdVariante(0);
    sheet->UpdateQrCode();
    sheet->SetDataVariante(QDate());
    sheet->SetData(QDate::currentDate());
    sheet->SetStatusScheda(sInPreparazione);
    const int idModel = sheet->IdModel();
    auto reset = [idModel](auto* list, bool variant) {
        if (!list)
            return;
        for (auto& row : *list) {
            row->SetId(0);
            row->SetIdModel(idModel);
            if constexpr (requires { row->SetIdVarianteModel(0); })
                if (variant)
                    row->SetIdVarianteModel(0);
        }
    };
    reset(context->Dett(), false);
    reset(context->Sto(), false);
    reset(context->Opz(), true);
    reset(context->PrefComp(), true);
    return context;
}

std::unique_ptr<TValidationResult>
TZelmModelService::ValidateDelete(const TZelmModelContext& context) {
    const TZelmModelData* sheet = context.Model();
    if (!sheet)
        return nullptr;
    auto result = std::make_unique<TValidationResult>();
    const TStatusScheda status = sheet->GetStatusScheda();
    if (status == sRilasciataC || status == sRilasciataP)
        result->AppendWarning(QStringLiteral("Scheda rilasciata"));
    else if (status == sSospesa)
        result->AppendWarning(QStringLiteral("Scheda sospesa"));
    LockInto(*sheet, *result);
    return result;
}

void TZelmModelService::Delete(const TZelmModelContext& context) {
    const TZelmModelData* sheet = context.Model();
    if (!sheet)
        return;
    RequireWriteAccess();
    SegnaOperazione(zelm::storico::kEliminazione);
    TDataAccessManager& dam = DataAccessManager();
    const int idModel = sheet->IdModel();
    const int idVariante = sheet->IdVariante();
    Step("Errore interno durante l'eliminazione della scheda",
         [&] { dam.ZelmModelDataAccess().Delete(sheet->Id()); });
    const int remaining = dam.ZelmModelDataAccess().CountModel(idModel);
    if (remaining == 0)
        Step("Errore interno durante l'eliminazione del dettaglio scheda",
             [&] { dam.ZelmModelDettDataAccess().DeleteByModel(idModel); });
    Step("Errore interno durante l'eliminazione delle opzioni scheda",
         [&] { dam.ZelmModelOpzDataAccess().DeleteByVarianteModel(idModel, idVariante); });
    Step("Errore interno durante l'eliminazione delle preferenze componenti scheda",
         [&] { dam.ZelmModelPrefCompDataAccess().DeleteByVarianteModel(idModel, idVariante); });
    if (remaining == 0)
        Step("Errore interno durante l'eliminazione delle annotazioni scheda",
             [&] { dam.ZelmModelStoDataAccess().DeleteByModel(idModel); });
}

std::unique_ptr<TValidationResult>
TZelmModelService::ValidateStatus(const TZelmModelContext& context, TStatusScheda status) {
    const TZelmModelData* sheet = context.Model();
    if (!sheet)
        return nullptr;
    auto result = std::make_unique<TValidationResult>();
    try {
        sheet->ValidateStatusChange(status);
    } catch (const EZavoError& e) {
        result->AppendError(e.Message());
    }
    return result;
}

void TZelmModelService::ChangeStatus(TZelmModelContext& context, TStatusScheda status) {
    TZelmModelData* sheet = context.Model();
    if (!sheet)
        return;
    RequireWriteAccess();
    RiprendiBlocco(*sheet);
    SegnaOperazione(status == sRilasciataC   ? zelm::storico::kRilascioC
                    : status == sRilasciataP ? zelm::storico::kRilascioP
                                             : zelm::storico::kSospensione);
    sheet->SetStatusScheda(status);
    DataAccessManager().ZelmModelDataAccess().Save(*sheet);
}

std::unique_ptr<TValidationResult>
TZelmModelService::ValidateRilasciaC(const TZelmModelContext& context) {
    return ValidateStatus(context, sRilasciataC);
}
void TZelmModelService::RilasciaC(TZelmModelContext& context) {
    ChangeStatus(context, sRilasciataC);
}
std::unique_ptr<TValidationResult>
TZelmModelService::ValidateRilasciaP(const TZelmModelContext& context) {
    return ValidateStatus(context, sRilasciataP);
}
void TZelmModelService::RilasciaP(TZelmModelContext& context) {
    ChangeStatus(context, sRilasciataP);
}
std::unique_ptr<TValidationResult>
TZelmModelService::ValidateSospendi(const TZelmModelContext& context) {
    return ValidateStatus(context, sSospesa);
}
void TZelmModelService::Sospendi(TZelmModelContext& context) {
    ChangeStatus(context, sSospesa);
}

void TZelmModelService::CheckReferences(const TZelmModelContext& context) {
    const TZelmModelData& sheet = *context.Model();
    if (!sheet.TagliaOperativa().isEmpty()) {
        auto dett = BuildDettContext(context);
        if (!HasRows(dett->TaglieOperative()))
            throw EZavoError(QStringLiteral("Taglia operativa \"%1\" non codificata")
                                 .arg(sheet.TagliaOperativa()));
    }
    if (sheet.SetOpzioniLavoraz() != 0) {
        auto opz = BuildOpzContext(context);
        if (!HasRows(opz->SetList()))
            throw EZavoError(QStringLiteral("Set opzioni lavoraz. %1 non codificato")
                                 .arg(sheet.SetOpzioniLavoraz()));
    }
    if (sheet.SetPreferenzeComponenti() != 0) {
        auto pref = BuildPrefCompContext(context);
        if (!HasRows(pref->SetList()))
            throw EZavoError(QStringLiteral("Set preferenze componenti %1 non codificato")
                                 .arg(sheet.SetPreferenzeComponenti()));
    }
}

std::unique_ptr<TValidationResult>
TZelmModelService::ValidateSave(const TZelmModelContext& context) {
    if (!context.Model())
        return nullptr;
    auto result = std::make_unique<TValidationResult>();
    try {
        CheckReferences(context);
    } catch (const EZavoError& e) {
        result->AppendError(e.Message());
    }
    return result;
}

std::unique_ptr<TValidationResult>
TZelmModelService::ValidateExportXls(const TZelmModelContext& context) {
    if (!context.Model())
        return nullptr;
    auto result = std::make_unique<TValidationResult>();
    LockInto(*context.Model(), *result);
    if (!result->IsError()) {
        try {
            CheckReferences(context);
        } catch (const EZavoError& e) {
            result->AppendError(e.Message());
        }
    }
    return result;
}

void TZelmModelService::SaveSheetRow(TZelmModelContext& context) {
    TZelmModelData* sheet = context.Model();
    TZelmModelDataAccess& acc = DataAccessManager().ZelmModelDataAccess();
    for (int attempt = 0;; ++attempt) {
        try {
            acc.Save(*sheet);
            return;
        } catch (const EDatabaseError& e) {
            // A new variant whose number another user has stored (or is storing) meanwhile: the
            // number is the model's next free one at save time. An existing row, or any other
            // failure, is not a question of numbers.
            const bool taken = e.HasCode(FbCode::NoDuplicates) ||
                               e.HasCode(FbCode::UniqueKeyViolation) || e.IsLockConflict();
            if (!taken || attempt >= 50 || sheet->IdVariante() == 0 || acc.Exists(sheet->Id()))
                throw;
        }
        const int next =
            std::max(sheet->IdVariante(), acc.CommittedMaxVariante(sheet->IdModel())) + 1;
        sheet->SetIdVariante(next);
        sheet->UpdateQrCode();
        if (auto* opz = context.Opz())
            for (auto& row : *opz)
                row->SetIdVarianteModel(next);
        if (auto* pref = context.PrefComp())
            for (auto& row : *pref)
                row->SetIdVarianteModel(next);
    }
}

void TZelmModelService::Save(TZelmModelContext& context) {
    TZelmModelData* sheet = context.Model();
    if (!sheet)
        return;
    RequireWriteAccess();
    RiprendiBlocco(*sheet);
    SegnaOperazione(context.OperazioneStorico.isEmpty() ? zelm::storico::kModifica
                                                        : context.OperazioneStorico);
    TDataAccessManager& dam = DataAccessManager();
    Step("Errore interno durante il salvataggio della scheda", [&] { SaveSheetRow(context); });
    const int idModel = sheet->IdModel();
    const int idVariante = sheet->IdVariante();

    Step("Errore interno durante il salvataggio del dettaglio scheda", [&] {
        ModelRows([&] {
            auto& acc = dam.ZelmModelDettDataAccess();
            Synchronise(
                context.Dett(), [&] { return acc.LoadByModel(idModel); },
                [&](int id) { acc.Delete(id); }, [&] { acc.DeleteByModel(idModel); },
                [&](auto& list, const auto* stored) { acc.Save(list, stored); });
        });
    });
    Step("Errore interno durante il salvataggio delle opzioni scheda", [&] {
        auto& acc = dam.ZelmModelOpzDataAccess();
        Synchronise(
            context.Opz(), [&] { return acc.LoadByVarianteModel(idModel, idVariante); },
            [&](int id) { acc.Delete(id); },
            [&] { acc.DeleteByVarianteModel(idModel, idVariante); },
            [&](auto& list, const auto* stored) { acc.Save(list, stored); });
    });
    Step("Errore interno durante il salvataggio delle preferenze componenti scheda", [&] {
        auto& acc = dam.ZelmModelPrefCompDataAccess();
        Synchronise(
            context.PrefComp(), [&] { return acc.LoadByVarianteModel(idModel, idVariante); },
            [&](int id) { acc.Delete(id); },
            [&] { acc.DeleteByVarianteModel(idModel, idVariante); },
            [&](auto& list, const auto* stored) { acc.Save(list, stored); });
    });
    Step("Errore interno durante il salvataggio delle annotazioni scheda", [&] {
        ModelRows([&] {
            auto& acc = dam.ZelmModelStoDataAccess();
            Synchronise(
                context.Sto(), [&] { return acc.LoadByModel(idModel); },
                [&](int id) { acc.Delete(id); }, [&] { acc.DeleteByModel(idModel); },
                [&](auto& list, const auto* stored) { acc.Save(list, stored); });
        });
    });
}

namespace {
/// A clone of what the context already holds, else what `load` reads (none stays none).
template <typename T, typename F> auto CloneOr(const T* held, F&& load) {
    return held ? held->Clone() : load();
}
} // namespace

std::unique_ptr<TZelmModelDettContext>
TZelmModelService::BuildDettContext(const TZelmModelContext& from) {
    const TZelmModelData* sheet = from.Model();
    if (!sheet)
        return nullptr;
    TDataAccessManager& dam = DataAccessManager();
    auto context = std::make_unique<TZelmModelDettContext>();
    context->SetModel(sheet->Clone());
    context->SetDett(CloneOr(
        from.Dett(), [&] { return dam.ZelmModelDettDataAccess().LoadByModel(sheet->IdModel()); }));
    context->SetTaglieOperative(CloneOr(from.TaglieOperative(), [&] {
        return sheet->TagliaOperativa().isEmpty()
                   ? nullptr
                   : dam.TaglieOperativeDataAccess().Load(sheet->TagliaOperativa());
    }));
    return context;
}

std::unique_ptr<TZelmModelOpzContext>
TZelmModelService::BuildOpzContext(const TZelmModelContext& from) {
    const TZelmModelData* sheet = from.Model();
    if (!sheet)
        return nullptr;
    TDataAccessManager& dam = DataAccessManager();
    auto context = std::make_unique<TZelmModelOpzContext>();
    context->SetModel(sheet->Clone());
    context->SetOpz(CloneOr(from.Opz(), [&] {
        return dam.ZelmModelOpzDataAccess().LoadByVarianteModel(sheet->IdModel(),
                                                                sheet->IdVariante());
    }));
    context->SetSetList(CloneOr(from.SetOpzioniLavoraz(), [&] {
        const int set = sheet->SetOpzioniLavoraz();
        return set > 0 ? dam.ZelmSetOpzioniLavorazDataAccess().Load(set) : nullptr;
    }));
    return context;
}

std::unique_ptr<TZelmModelPrefCompContext>
TZelmModelService::BuildPrefCompContext(const TZelmModelContext& from) {
    const TZelmModelData* sheet = from.Model();
    if (!sheet)
        return nullptr;
    TDataAccessManager& dam = DataAccessManager();
    auto context = std::make_unique<TZelmModelPrefCompContext>();
    context->SetModel(sheet->Clone());
    context->SetPrefComp(CloneOr(from.PrefComp(), [&] {
        return dam.ZelmModelPrefCompDataAccess().LoadByVarianteModel(sheet->IdModel(),
                                                                     sheet->IdVariante());
    }));
    context->SetSetList(CloneOr(from.SetPreferenzeComponenti(), [&] {
        const int set = sheet->SetPreferenzeComponenti();
        return set > 0 ? dam.ZelmSetPreferenzeComponentiDataAccess().Load(set) : nullptr;
    }));
    return context;
}

int TZelmModelService::IdDaQrText(int idModel, int idVariante) {
    IBDatabase().Ripristina(); // a connection that broke since the last command is opened again
    return DataAccessManager().ZelmModelDataAccess().CommittedId(idModel, idVariante);
}

void TZelmModelService::LoadTaglieOperative(const QString& codice, TTaglieOperativeDataList& to) {
    DataAccessManager().TaglieOperativeDataAccess().Load(codice, to);
}

bool TZelmModelService::LoadCliente(const QString& codice, TClientiData& to) {
    return DataAccessManager().ClientiDataAccess().Load(codice, to);
}

bool TZelmModelService::HaStorico() {
    return StoricoPresente(IBDatabase());
}

void TZelmModelService::RichiediStorico() {
    if (!HaStorico())
        throw EZavoError(QStringLiteral("Questo archivio non ha lo storico delle schede: "
                                        "l'amministratore lo aggiunge con zelm-provision "
                                        "CARTELLA --keep."));
}

void TZelmModelService::Ripristina(int id) {
    RequireWriteAccess();
    TZelmModelDataAccess& acc = DataAccessManager().ZelmModelDataAccess();
    if (acc.Exists(id))
        throw EZavoError(QStringLiteral("La scheda %1 è presente nell'archivio: non c'è nulla da "
                                        "ripristinare")
                             .arg(id));
    const std::vector<TOggettoEliminato> oggetti =
        OggettiEliminati(IBDatabase(), IBTransaction(), id);
    if (oggetti.empty() || oggetti.front().tabella != QLatin1String("ZELMMODEL"))
        throw EZavoError(
            QStringLiteral("Lo storico non conserva l'eliminazione della scheda %1").arg(id));
    const TOggettoEliminato& scheda = oggetti.front();
    const int idModel = scheda.campi.value(QStringLiteral("IDMODEL")).toInt();
    const int idVariante = scheda.campi.value(QStringLiteral("IDVARIANTE")).toInt();
    if (acc.CommittedId(idModel, idVariante) != 0)
        throw EZavoError(QStringLiteral("Il modello %1 variante %2 appartiene ora a un'altra "
                                        "scheda: la scheda eliminata non può essere ripristinata")
                             .arg(idModel)
                             .arg(idVariante));
    SegnaOperazione(zelm::storico::kRipristino);
    Step("Errore interno durante il ripristino della scheda", [&] {
        for (const TOggettoEliminato& o : oggetti)
            Reinserisci(IBDatabase(), IBTransaction(), o);
    });
}
