// Accessors against real archives, embedded and on the test server.
#include "control/DataAccessManager.h"
#include "framework/db/DBConnection.h"
#include "framework/db/DatabaseError.h"
#include "framework/db/DbHelpers.h"
#include "framework/db/IBDatabase.h"
#include "framework/db/IBTransaction.h"
#include "model/QuenvarHelpers.h"

#include "support/TestSupport.h"

#include <QElapsedTimer>

namespace {
/// A manager with its own connection and a started snapshot transaction, as a service has.
struct TWorkspace {
    std::unique_ptr<TIBDatabase> db;
    std::unique_ptr<TIBTransaction> tr;
    TDataAccessManager dam;
    explicit TWorkspace(std::unique_ptr<TIBDatabase> database) : db(std::move(database)) {
        tr = CreaTransazione(*db, TTipoTransazione::Snapshot, false);
        tr->StartTransaction();
        dam.SetIBDatabase(db.get());
        dam.SetIBTransaction(tr.get());
    }
};

std::unique_ptr<TZelmModelData> NewSheet(int idModel, int variante) {
    auto s = std::make_unique<TZelmModelData>();
    s->SetIdModel(idModel);
    s->SetIdVariante(variante);
    s->SetCodice("MOD-" + QString::number(idModel));
    return s;
}
} // namespace

class DataAccess : public DbModeTest {
protected:
    void SetUp() override {
        DbModeTest::SetUp();
        if (IsSkipped())
            return;
        CreateDatabaseFromScripts(Connection("a.fdb"), {"archive_schema.sql"});
    }
    std::unique_ptr<TWorkspace> Open() { return std::make_unique<TWorkspace>(OpenDb("a.fdb")); }
};

TEST_P(DataAccess, NullMappingBothWays) {
    auto w = Open();
    TIBSQL ins(w->db.get(), w->tr.get());
    ins.SetSQL("INSERT INTO ANAMAG (ID, CODICE, CODIVA, STATUS, PESO, SCONTO1, SCONTO2, INFO4, "
               "DATACREAZIONE) VALUES (:ID, :CODICE, :CODIVA, :STATUS, :PESO, :SCONTO1, :SCONTO2, "
               ":INFO4, :DATACREAZIONE)");
    TStatementRow row(ins);
    SetIntegerOrNull(row, "ID", 1, false);
    SetStringOrNull(row, "CODICE", "");
    SetIntegerOrNull(row, "CODIVA", 0, true);
    SetIntegerOrNull(row, "STATUS", 0, false);
    SetFloatOrNull(row, "PESO", true, 1e-12);
    SetFloatOrNull(row, "SCONTO1", true, -1e-12);
    SetFloatOrNull(row, "SCONTO2", true, 2e-12);
    SetFloatOrNull(row, "INFO4", false, 0);
    SetDateOrNull(row, "DATACREAZIONE", QDate());
    ins.ExecQuery();
    TIBSQL sel(w->db.get(), w->tr.get());
    sel.SetSQL("SELECT * FROM ANAMAG WHERE ID=1");
    sel.ExecQuery();
    for (const char* isNull : {"CODICE", "CODIVA", "PESO", "SCONTO1", "DATACREAZIONE"})
        EXPECT_TRUE(sel.FieldByName(isNull).IsNull()) << isNull;
    for (const char* notNull : {"STATUS", "SCONTO2", "INFO4"})
        EXPECT_FALSE(sel.FieldByName(notNull).IsNull()) << notNull;
    const TAnaMagData art = *TAnaMagData::FromRow(TStatementRow{sel});
    EXPECT_EQ(art.Codice(), "");
    EXPECT_EQ(art.CodIva(), 0);
    EXPECT_FALSE(art.DataCreazione().isValid());
    EXPECT_DOUBLE_EQ(art.Sconto2(), 2e-12);
}

TEST_P(DataAccess, MissingKeysGiveFalseOrNone) {
    auto w = Open();
    TZelmModelData untouched;
    untouched.SetCodice("resta");
    EXPECT_FALSE(w->dam.ZelmModelDataAccess().Load(42, untouched));
    EXPECT_EQ(untouched.Codice(), "resta");
    EXPECT_EQ(w->dam.ZelmModelDataAccess().Load(42), nullptr);
    EXPECT_EQ(w->dam.ZelmModelDettDataAccess().LoadByModel(42), nullptr);
    EXPECT_EQ(w->dam.ZelmModelOpzDataAccess().LoadByVarianteModel(42, 0), nullptr);
    EXPECT_EQ(w->dam.TaglieOperativeDataAccess().Load("NESSUNA"), nullptr);
    EXPECT_EQ(w->dam.ClientiDataAccess().Load("NESSUNO"), nullptr);
    EXPECT_EQ(w->dam.Classificazione1DataAccess().LoadAll(), nullptr);
    EXPECT_EQ(w->dam.AnaMagDataAccess().Load(QString("NESSUNO")), nullptr);
    // The manager hands out one accessor per table.
    EXPECT_EQ(&w->dam.ZelmModelDataAccess(), &w->dam.ZelmModelDataAccess());
}

TEST_P(DataAccess, SaveFillsOnlyWhatIsMissing) {
    auto w = Open();
    TZelmModelDataAccess& acc = w->dam.ZelmModelDataAccess();
    TZelmModelData fresh;
    fresh.SetCodice("NUOVA");
    acc.Save(fresh);
    EXPECT_GT(fresh.Id(), 0);
    EXPECT_GT(fresh.IdModel(), 0);
    EXPECT_EQ(fresh.StatusScheda(), "InPreparazione");
    EXPECT_EQ(fresh.QrCode(), TZelmModelData::QrText(fresh.IdModel(), 0));

    TZelmModelData full;
    full.SetId(500);
    full.SetIdModel(77);
    full.SetIdVariante(4);
    full.SetStatusScheda(sRilasciataC);
    full.SetQrCode("QR-PROPRIO");
    full.SetDataPrototipo(QDate(2026, 2, 3));
    full.SetSetOpzioniLavoraz(0);
    full.SetNoteVarie(QString::fromUtf8("Nota con accenti: perché sì"));
    acc.Save(full);
    auto back = acc.Load(500);
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->IdModel(), 77);
    EXPECT_EQ(back->StatusScheda(), "RilasciataC");
    EXPECT_EQ(back->QrCode(), "QR-PROPRIO");
    EXPECT_EQ(back->DataPrototipo(), QDate(2026, 2, 3));
    EXPECT_FALSE(back->DataCampione().isValid());
    EXPECT_EQ(back->NoteVarie(), full.NoteVarie());
    // Saved again: the same row is updated, not duplicated.
    back->SetModello("Rinominato");
    acc.Save(*back);
    EXPECT_EQ(acc.CountModel(77), 1);
    EXPECT_EQ(acc.Load(500)->Modello(), "Rinominato");
}

TEST_P(DataAccess, VariantNumbersFollowTheHighestVariant) {
    auto w = Open();
    TZelmModelDataAccess& acc = w->dam.ZelmModelDataAccess();
    EXPECT_EQ(acc.GenIdVariante(9), 1);
    std::vector<int> ids;
    for (int v = 0; v < 3; ++v) {
        auto s = NewSheet(9, v);
        acc.Save(*s);
        ids.push_back(s->Id());
    }
    EXPECT_EQ(acc.GenIdVariante(9), 3);
    EXPECT_EQ(acc.CountModel(9), 3);
    acc.Delete(ids[2]);
    EXPECT_EQ(acc.GenIdVariante(9), 2);
    // Generator values increase across rolled-back transactions and both connections.
    auto other = OpenDb("a.fdb");
    const int a = acc.GenId();
    const int b = GeneratorNextValue(*other, "ID_ZELMMODEL_COUNTER");
    w->tr->Rollback();
    w->tr->StartTransaction();
    EXPECT_GT(b, a);
    EXPECT_GT(acc.GenId(), b);
}

TEST_P(DataAccess, LockRefusesASecondUserAtOnceAndSeesDeletedRows) {
    {
        auto setup = Open();
        auto s = NewSheet(1, 0);
        s->SetId(10);
        setup->dam.ZelmModelDataAccess().Save(*s);
        auto t = NewSheet(2, 0);
        t->SetId(11);
        setup->dam.ZelmModelDataAccess().Save(*t);
        setup->tr->Commit();
    }
    auto a = Open();
    auto b = Open();
    a->dam.ZelmModelDataAccess().Lock(10);
    QElapsedTimer timer;
    timer.start();
    try {
        b->dam.ZelmModelDataAccess().Lock(10);
        FAIL() << "second lock succeeded";
    } catch (const ERecordLocked& e) {
        EXPECT_EQ(e.Message(), "Record occupato da un altro utente");
    }
    EXPECT_LT(timer.elapsed(), 2000);
    // B's transaction stays usable.
    EXPECT_NE(b->dam.ZelmModelDataAccess().Load(11), nullptr);

    a->dam.ZelmModelDataAccess().Delete(11);
    a->tr->Commit();
    a->tr->StartTransaction();
    auto c = Open(); // a transaction that starts after the delete
    try {
        c->dam.ZelmModelDataAccess().Lock(11);
        FAIL();
    } catch (const ERecordNotFound& e) {
        EXPECT_EQ(e.Message(), "Record eliminato in un'altra sessione");
    }
}

TEST_P(DataAccess, SubRecordsRoundTripInTheirOrder) {
    auto w = Open();
    TZelmModelDettDataList details;
    for (const char* tipo : {"Altezza tacco", "Lunghezza"}) {
        auto d = std::make_unique<TZelmModelDettData>();
        d->SetIdModel(3);
        d->SetTipoDett(tipo);
        d->SetD(17, "99");
        details.Add(std::move(d));
    }
    w->dam.ZelmModelDettDataAccess().Save(details);
    EXPECT_GT(details[0]->Id(), 0);
    EXPECT_GT(details[1]->Id(), details[0]->Id());
    auto loaded = w->dam.ZelmModelDettDataAccess().LoadByModel(3);
    ASSERT_NE(loaded, nullptr);
    ASSERT_EQ(loaded->Count(), 2);
    EXPECT_EQ((*loaded)[1]->TipoDett(), "Lunghezza");
    EXPECT_EQ((*loaded)[1]->D(17), "99");
    EXPECT_EQ((*loaded)[1]->D(1), "");

    TZelmModelOpzDataList opz;
    auto o = std::make_unique<TZelmModelOpzData>();
    o->SetIdModel(3);
    o->SetIdVarianteModel(1);
    o->SetEtichetta("Fodera");
    opz.Add(std::move(o));
    w->dam.ZelmModelOpzDataAccess().Save(opz);
    TIBSQL raw(w->db.get(), w->tr.get());
    raw.SetSQL("SELECT IDOPZIONE FROM ZELMMODELOPZ");
    raw.ExecQuery();
    EXPECT_TRUE(raw.Fields(0).IsNull()); // IdOpzione 0 is stored as NULL
    raw.Close();
    EXPECT_EQ(w->dam.ZelmModelOpzDataAccess().LoadByVarianteModel(3, 1)->Items(0)->IdOpzione(), 0);
    EXPECT_EQ(w->dam.ZelmModelOpzDataAccess().LoadByVarianteModel(3, 0), nullptr);

    TZelmModelStoDataList sto;
    for (const auto& [day, tipo] : std::vector<std::pair<int, QString>>{
             {20, "Prova"}, {5, "Campionario"}, {20, "Prova"}, {1, ""}}) {
        auto s = std::make_unique<TZelmModelStoData>();
        s->SetIdModel(3);
        s->SetDataAnnotazione(QDate(2026, 6, day));
        s->SetTipoAnnotazione(tipo);
        sto.Add(std::move(s));
    }
    w->dam.ZelmModelStoDataAccess().Save(sto);
    auto history = w->dam.ZelmModelStoDataAccess().LoadByModel(3);
    ASSERT_EQ(history->Count(), 4);
    EXPECT_EQ((*history)[0]->DataAnnotazione().day(), 1);
    EXPECT_EQ((*history)[2]->Id(), sto[0]->Id()); // same date: by identifier
    EXPECT_EQ((*history)[3]->Id(), sto[2]->Id());
    QStringList tipi{"già qui"};
    w->dam.ZelmModelStoDataAccess().LoadDistinctTipoAnnotazione(tipi);
    EXPECT_EQ(tipi, QStringList({"già qui", "Campionario", "Prova"}));

    w->dam.ZelmModelDettDataAccess().DeleteByModel(3);
    w->dam.ZelmModelOpzDataAccess().DeleteByVarianteModel(3, 1);
    EXPECT_EQ(w->dam.ZelmModelDettDataAccess().LoadByModel(3), nullptr);
    EXPECT_EQ(w->dam.ZelmModelOpzDataAccess().LoadByVarianteModel(3, 1), nullptr);
}

TEST_P(DataAccess, ReferenceTablesInTheirOrder) {
    auto w = Open();
    TIBSQL ins(w->db.get(), w->tr.get());
    ins.ParamCheck = false;
    for (const char* sql :
         {"INSERT INTO TAGLIEOPERATIVE (CODICE, NRIGA, DESCRIZIONE1, DESCRIZIONE2) VALUES "
          "('T1', 3, '40', '400')",
          "INSERT INTO TAGLIEOPERATIVE (CODICE, NRIGA, DESCRIZIONE1, DESCRIZIONE2) VALUES "
          "('T1', 1, '38', '380')",
          "INSERT INTO TAGLIEOPERATIVE (CODICE, NRIGA, DESCRIZIONE1, DESCRIZIONE2) VALUES "
          "('T1', 2, '39', '390')",
          "INSERT INTO ZELMSETOPZIONILAVORAZ (NSET, NRIGA, ETICHETTA) VALUES (10, 2, 'B')",
          "INSERT INTO ZELMSETOPZIONILAVORAZ (NSET, NRIGA, ETICHETTA) VALUES (10, 1, 'A')",
          "INSERT INTO ZELMSETOPZIONILAVORAZ (NSET, NRIGA, ETICHETTA) VALUES (2, 1, 'X')",
          "INSERT INTO ZELMSETOPZIONILAVORAZ (NSET, NRIGA, ETICHETTA) VALUES (1, 1, 'Y')",
          "INSERT INTO ZELMSETPREFERENZECOMPONENTI (NSET, NRIGA, ETICHETTA) VALUES (4, 2, 'Q')",
          "INSERT INTO ZELMSETPREFERENZECOMPONENTI (NSET, NRIGA, ETICHETTA) VALUES (4, 1, 'P')",
          "INSERT INTO CLIENTI (CODICE, RAGSOC, DESCRIZIONESINTETICA) VALUES ('C123456789', "
          "'Cliente', 'CLI')",
          "INSERT INTO CLASSIFICAZIONE1 (CODICE, DESCRIZIONE) VALUES (2, 'F2')",
          "INSERT INTO CLASSIFICAZIONE1 (CODICE, DESCRIZIONE) VALUES (1, 'F1')"}) {
        ins.SetSQL(sql);
        ins.ExecQuery();
    }
    auto sizes = w->dam.TaglieOperativeDataAccess().Load("T1");
    ASSERT_EQ(sizes->Count(), 3);
    EXPECT_EQ((*sizes)[0]->Descrizione1(), "38");
    EXPECT_EQ((*sizes)[2]->Descrizione2(), "400");
    auto opz = w->dam.ZelmSetOpzioniLavorazDataAccess().Load(10);
    EXPECT_EQ((*opz)[0]->Etichetta(), "A");
    auto pref = w->dam.ZelmSetPreferenzeComponentiDataAccess().Load(4);
    EXPECT_EQ((*pref)[1]->Etichetta(), "Q");
    QStringList sets;
    w->dam.ZelmSetOpzioniLavorazDataAccess().LoadDistinctNSet(sets);
    EXPECT_EQ(sets, QStringList({"1", "2", "10"}));
    QStringList codes;
    w->dam.TaglieOperativeDataAccess().LoadDistinctCodice(codes);
    EXPECT_EQ(codes, QStringList({"T1"}));
    // Keys longer than the column find the row of their first 10 characters.
    auto cliente = w->dam.ClientiDataAccess().Load("C123456789XYZ");
    ASSERT_NE(cliente, nullptr);
    EXPECT_EQ(cliente->DescrizioneSintetica(), "CLI");
    auto classi = w->dam.Classificazione1DataAccess().LoadAll();
    ASSERT_EQ(classi->Count(), 2);
    EXPECT_EQ((*classi)[0]->Descrizione(), "F1");
    EXPECT_EQ(w->dam.Classificazione1DataAccess().Load(2)->Descrizione(), "F2");
}

TEST_P(DataAccess, ArticlesByCodeAndTheKeyViolationOnASecondSave) {
    auto w = Open();
    TAnaMagDataAccess& acc = w->dam.AnaMagDataAccess();
    for (const char* ext : {"42", "38", "40"}) {
        TAnaMagData art;
        art.SetCodice("SCARPA");
        art.SetEstensione(ext);
        art.SetTipoArticolo(taaProdFinito);
        art.SetDataCreazione(QDate(2026, 12, 9));
        acc.Save(art);
    }
    auto list = acc.Load(QString("SCARPA"));
    ASSERT_EQ(list->Count(), 3);
    EXPECT_EQ((*list)[0]->Estensione(), "38");
    EXPECT_EQ((*list)[2]->Estensione(), "42");
    EXPECT_EQ((*list)[0]->GetTipoArticolo(), taaProdFinito);
    EXPECT_EQ((*list)[0]->Status(), 0);

    TAnaMagData twice;
    twice.SetCodice("ALTRA");
    acc.Save(twice);
    ASSERT_GT(twice.Id(), 0);
    twice.SetEstensione("XX"); // a new extension: only the ID collides
    try {
        acc.Save(twice);
        FAIL() << "second save of the same article accepted";
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(e.HasCode(FbCode::UniqueKeyViolation)) << e.what();
    }
}

ZELM_DB_MODES(DataAccess);
