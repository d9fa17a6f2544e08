// The model sheet service on the demo archive: rules, variants, duplicates, synchronised saves
// and two users working on the same sheets.
#include "control/ZelmModelService.h"
#include "framework/core/IniFile.h"
#include "framework/db/DatabaseError.h"
#include "framework/db/IBDatabase.h"
#include "framework/session/Session.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSet>

#include <functional>

#include "ServiceWindow.h"
#include "support/TestSupport.h"

namespace {
// Demo sheets (db/sql/archive_demo.sql).
constexpr int kInPreparazione = 1; // model 1, variant 0, sizes D35-42, sets 1/1
constexpr int kRilasciataC = 2;    // model 2
constexpr int kRilasciataP = 3;    // model 3, variant 0
constexpr int kVariante1 = 4;      // model 3, variant 1
constexpr int kSospesa = 5;        // model 4

/// One user's window: a session and its service.
using TUser = TFinestraDi<TZelmModelService>;

QList<int> Ids(const auto* list) {
    QList<int> ids;
    if (list)
        for (const auto& row : *list)
            ids << row->Id();
    return ids;
}
} // namespace

class ModelService : public DemoHostTest {};

TEST_P(ModelService, ValidateModifyByStatusAndLock) {
    TUser a(1), b(1);
    a->StartTransaction();
    b->StartTransaction();
    struct {
        int id;
        quint16 code;
        QStringList warnings;
    } cases[] = {{kInPreparazione, 0, {}},
                 {kRilasciataC, 0, {}},
                 {kRilasciataP, 1, {"Scheda già rilasciata"}},
                 {kSospesa, 1, {"Scheda sospesa"}}};
    for (const auto& c : cases) {
        auto ctx = a->Load(c.id);
        auto r = a->ValidateModify(*ctx);
        EXPECT_EQ(r->Code(), c.code) << c.id;
        EXPECT_EQ(r->Warnings(), c.warnings) << c.id;
        EXPECT_EQ(r->NewVariante, !c.warnings.isEmpty()) << c.id;
    }
    // Held by A: B gets the error at once, with the status warning kept.
    auto ctx = b->Load(kRilasciataP);
    auto r = b->ValidateModify(*ctx);
    EXPECT_EQ(r->Code(), 2);
    EXPECT_EQ(r->Warnings(), QStringList({"Scheda già rilasciata"}));
    EXPECT_EQ(r->Errors(), QStringList({"Record occupato da un altro utente"}));
    TZelmModelContext empty;
    EXPECT_EQ(a->ValidateModify(empty), nullptr);
}

TEST_P(ModelService, ValidateDeleteWarnsForReleasedAndSuspended) {
    TUser a(1);
    a->StartTransaction();
    const std::pair<int, QStringList> cases[] = {{kInPreparazione, {}},
                                                 {kRilasciataC, {"Scheda rilasciata"}},
                                                 {kRilasciataP, {"Scheda rilasciata"}},
                                                 {kSospesa, {"Scheda sospesa"}}};
    for (const auto& [id, warnings] : cases) {
        auto r = a->ValidateDelete(*a->Load(id));
        EXPECT_EQ(r->Warnings(), warnings) << id;
        EXPECT_EQ(r->Code(), warnings.isEmpty() ? 0 : 1) << id;
    }
}

TEST_P(ModelService, DeletingVariantsKeepsModelRowsUntilTheLast) {
    TUser a(1);
    a->StartTransaction();
    auto v1 = a->Load(kVariante1);
    ASSERT_NE(v1->Opz(), nullptr);
    a->Delete(*v1);
    EXPECT_EQ(a->SafeLoad(kVariante1), nullptr);
    auto v0 = a->Load(kRilasciataP);
    EXPECT_EQ(v0->Dett()->Count(), 3);
    EXPECT_EQ(v0->Sto()->Count(), 3);
    EXPECT_NE(v0->Opz(), nullptr);
    auto& dam = a->DataAccessManager();
    EXPECT_EQ(dam.ZelmModelOpzDataAccess().LoadByVarianteModel(3, 1), nullptr);
    EXPECT_EQ(dam.ZelmModelPrefCompDataAccess().LoadByVarianteModel(3, 1), nullptr);
    a->Delete(*v0);
    EXPECT_EQ(dam.ZelmModelDettDataAccess().LoadByModel(3), nullptr);
    EXPECT_EQ(dam.ZelmModelStoDataAccess().LoadByModel(3), nullptr);
    EXPECT_EQ(dam.ZelmModelOpzDataAccess().LoadByVarianteModel(3, 0), nullptr);
    a->EndTransaction(true);
}

TEST_P(ModelService, CreateVarianteThenSaveShowsExactlyTheNewRows) {
    TUser a(1);
    a->StartTransaction();
    auto from = a->Load(kRilasciataP);
    auto v = a->CreateVariante(*from);
    const TZelmModelData& s = *v->Model();
    EXPECT_NE(s.Id(), from->Model()->Id());
    EXPECT_EQ(s.IdModel(), 3);
    EXPECT_EQ(s.IdVariante(), 2);
    EXPECT_EQ(s.QrCode(), "M0000003V002");
    EXPECT_EQ(s.DataVariante(), QDate::currentDate());
    EXPECT_EQ(s.Data(), from->Model()->Data());
    EXPECT_EQ(s.StatusScheda(), "InPreparazione");
    for (const auto& row : *v->Opz()) {
        EXPECT_EQ(row->Id(), 0);
        EXPECT_EQ(row->IdVarianteModel(), 2);
    }
    EXPECT_EQ(Ids(v->Dett()), Ids(from->Dett()));
    EXPECT_EQ(Ids(v->Sto()), Ids(from->Sto()));
    EXPECT_EQ(from->Model()->IdVariante(), 0); // the source context is untouched
    ASSERT_TRUE(a->ValidateSave(*v)->IsOk());
    a->Save(*v);
    a->EndTransaction(true);

    a->StartTransaction();
    auto back = a->Load(s.Id());
    EXPECT_EQ(back->Model()->IdVariante(), 2);
    EXPECT_EQ(back->Opz()->Count(), from->Opz()->Count());
    EXPECT_EQ(back->PrefComp()->Count(), from->PrefComp()->Count());
    EXPECT_EQ(Ids(back->Dett()), Ids(from->Dett())); // still the model's rows, not copies
    EXPECT_EQ(a->Load(kRilasciataP)->Opz()->Count(), from->Opz()->Count());
    EXPECT_EQ(a->DataAccessManager().ZelmModelDataAccess().CountModel(3), 3);
}

TEST_P(ModelService, CreateDuplicateStartsANewModel) {
    TUser a(1);
    a->StartTransaction();
    auto from = a->Load(kVariante1);
    auto d = a->CreateDuplicate(*from);
    const TZelmModelData& s = *d->Model();
    EXPECT_NE(s.IdModel(), 3);
    EXPECT_EQ(s.IdVariante(), 0);
    EXPECT_FALSE(s.DataVariante().isValid());
    EXPECT_EQ(s.Data(), QDate::currentDate());
    EXPECT_EQ(s.QrCode(), TZelmModelData::QrText(s.IdModel(), 0));
    for (const auto* list :
         {static_cast<const void*>(d->Dett()), static_cast<const void*>(d->Sto())})
        EXPECT_NE(list, nullptr);
    for (const auto& row : *d->Dett())
        EXPECT_TRUE(row->Id() == 0 && row->IdModel() == s.IdModel());
    for (const auto& row : *d->Sto())
        EXPECT_TRUE(row->Id() == 0 && row->IdModel() == s.IdModel());
    for (const auto& row : *d->Opz())
        EXPECT_TRUE(row->Id() == 0 && row->IdModel() == s.IdModel() && row->IdVarianteModel() == 0);
    a->Save(*d);
    a->EndTransaction(true);

    a->StartTransaction();
    auto back = a->Load(s.Id());
    EXPECT_EQ(back->Dett()->Count(), from->Dett()->Count());
    EXPECT_EQ(back->Sto()->Count(), from->Sto()->Count());
    EXPECT_EQ(back->Opz()->Count(), from->Opz()->Count());
    EXPECT_EQ(back->PrefComp()->Count(), from->PrefComp()->Count());
    EXPECT_EQ(Ids(a->Load(kVariante1)->Dett()), Ids(from->Dett())); // the original is intact
}

TEST_P(ModelService, SaveSynchronisesEachKindOfRows) {
    TUser a(1);
    a->StartTransaction();
    auto ctx = a->Load(kInPreparazione);
    const QList<int> before = Ids(ctx->Dett());
    ASSERT_EQ(before.size(), 3);
    ctx->Dett()->Delete(1);
    (*ctx->Dett())[0]->SetD(1, "999");
    auto added = std::make_unique<TZelmModelStoData>();
    added->SetIdModel(1);
    added->SetAnnotazione("nuova");
    added->SetDataAnnotazione(QDate(2027, 1, 1));
    ctx->Sto()->Add(std::move(added));
    ctx->SetPrefComp(nullptr); // an empty panel: every stored preference goes
    a->Save(*ctx);
    EXPECT_GT(ctx->Sto()->Items(ctx->Sto()->Count() - 1)->Id(), 0);
    a->EndTransaction(true);

    a->StartTransaction();
    auto back = a->Load(kInPreparazione);
    EXPECT_EQ(Ids(back->Dett()), QList<int>({before[0], before[2]}));
    EXPECT_EQ((*back->Dett())[0]->D(1), "999");
    EXPECT_EQ(back->Sto()->Count(), 4);
    EXPECT_EQ(back->Sto()->Items(3)->Annotazione(), "nuova");
    EXPECT_EQ(back->PrefComp(), nullptr);
    EXPECT_NE(back->Opz(), nullptr);
}

TEST_P(ModelService, ReferenceCheckReportsOnlyTheFirstMissingReference) {
    TUser a(1);
    a->StartTransaction();
    auto ctx = a->CreateNew();
    EXPECT_EQ(ctx->Model()->StatusScheda(), "InPreparazione");
    EXPECT_EQ(ctx->Model()->Data(), QDate::currentDate());
    EXPECT_TRUE(a->ValidateSave(*ctx)->IsOk());
    ctx->Model()->SetTagliaOperativa("NOPE");
    ctx->Model()->SetSetOpzioniLavoraz(99);
    auto r = a->ValidateSave(*ctx);
    EXPECT_EQ(r->Errors(), QStringList({"Taglia operativa \"NOPE\" non codificata"}));
    ctx->Model()->SetTagliaOperativa("D35-42");
    EXPECT_EQ(a->ValidateSave(*ctx)->Errors(),
              QStringList({"Set opzioni lavoraz. 99 non codificato"}));
    ctx->Model()->SetSetOpzioniLavoraz(1);
    ctx->Model()->SetSetPreferenzeComponenti(77);
    EXPECT_EQ(a->ValidateSave(*ctx)->Errors(),
              QStringList({"Set preferenze componenti 77 non codificato"}));
}

TEST_P(ModelService, LoadsStatusChangesAndIdleTransactions) {
    TUser a(1);
    a->EndTransaction(true); // idle: nothing happens
    a->StartTransaction();
    a->StartTransaction(); // already active: nothing happens
    EXPECT_EQ(a->SafeLoad(999), nullptr);
    try {
        a->Load(999);
        FAIL();
    } catch (const EZavoError& e) {
        EXPECT_EQ(e.Message(), "Record ID 999 non trovato");
    }
    auto ctx = a->Load(kInPreparazione);
    ASSERT_NE(ctx->Cliente(), nullptr);
    EXPECT_EQ(ctx->Cliente()->DescrizioneSintetica(), "MILANO MODA");
    EXPECT_EQ(ctx->TaglieOperative()->Count(), 8);
    ctx->Model()->SetCodiceCliente("SCONOSC");
    a->Save(*ctx);
    EXPECT_EQ(a->Load(kInPreparazione)->Cliente(), nullptr);

    EXPECT_EQ(a->ValidateRilasciaP(*ctx)->Errors(),
              QStringList({"Scheda in preparazione - deve prima essere rilasciata campione"}));
    ASSERT_TRUE(a->ValidateRilasciaC(*ctx)->IsOk());
    a->RilasciaC(*ctx);
    a->EndTransaction(true);
    a->StartTransaction();
    EXPECT_EQ(a->Load(kInPreparazione)->Model()->GetStatusScheda(), sRilasciataC);
    auto dett = a->BuildDettContext(*ctx);
    EXPECT_EQ(dett->TaglieOperative()->Count(), 8);
    EXPECT_EQ(a->BuildPrefCompContext(*ctx)->SetList()->Count(), 4);
}

// --- two users, as on two workstations ------------------------------------------------------
TEST_P(ModelService, SecondUserIsRefusedWhileTheFirstEditsThenMayEdit) {
    TUser a(1), b(3);
    a->StartTransaction();
    auto ctxA = a->Load(kInPreparazione);
    ASSERT_TRUE(a->ValidateModify(*ctxA)->IsOk());

    b->StartTransaction();
    auto ctxB = b->Load(kInPreparazione);
    const QStringList busy{"Record occupato da un altro utente"};
    EXPECT_EQ(b->ValidateModify(*ctxB)->Errors(), busy);
    EXPECT_EQ(b->ValidateDelete(*ctxB)->Errors(), busy);
    EXPECT_EQ(b->ValidateExportXls(*ctxB)->Errors(), busy);
    b->EndTransaction(false);

    ctxA->Model()->SetModello("Modificato da A");
    ASSERT_TRUE(a->ValidateSave(*ctxA)->IsOk());
    a->Save(*ctxA);
    a->EndTransaction(true);

    b->StartTransaction();
    ctxB = b->Load(kInPreparazione);
    EXPECT_EQ(ctxB->Model()->Modello(), "Modificato da A");
    EXPECT_TRUE(b->ValidateModify(*ctxB)->IsOk());
    b->EndTransaction(false);
}

TEST_P(ModelService, ADroppedConnectionLeavesTheSheetAsItWas) {
    TUser a(1);
    a->StartTransaction();
    auto ctx = a->Load(kInPreparazione);
    const QString modello = ctx->Model()->Modello();
    ASSERT_TRUE(a->ValidateModify(*ctx)->IsOk());
    ctx->Model()->SetModello("mai salvato");
    ctx->SetDett(nullptr);
    a->Save(*ctx);

    // Another connection drops A's attachment in the middle of the edit.
    auto admin = OpenDb("host/dati/archivio.fdb");
    const int attachment =
        QueryValue(a.session->IBDatabase(), "SELECT CURRENT_CONNECTION FROM RDB$DATABASE").toInt();
    ExecSql(
        *admin,
        QStringLiteral("DELETE FROM MON$ATTACHMENTS WHERE MON$ATTACHMENT_ID=%1").arg(attachment));
    EXPECT_THROW(a->EndTransaction(true), EZavoError);

    TUser b(1);
    b->StartTransaction();
    auto back = b->Load(kInPreparazione);
    EXPECT_EQ(back->Model()->Modello(), modello);
    EXPECT_EQ(back->Dett()->Count(), 3);
    EXPECT_TRUE(b->ValidateModify(*back)->IsOk()); // the lock went with the connection
}

// A sheet taken for editing loses its lock when its connection breaks (a server restart, or an
// administrator cutting it). Meanwhile a colleague acts on the free sheet. Whoever notices the
// break first (the save itself, or another transaction of the same connection, as the annotation
// dialog's or the photo call's), the colleague's data stays and the first user is told.
TEST_P(ModelService, ALostLockNeverOverwritesAColleague) {
    if (GetParam() == DbMode::Embedded)
        GTEST_SKIP() << "un archivio locale non perde la connessione";
    enum class Colleague { Changes, Deletes, MakesVariant, Nothing };
    const struct {
        const char* name;
        bool otherNotices;
        Colleague colleague;
        const char* told; // empty: the save goes through
    } cases[] = {
        {"save notices, colleague changes", false, Colleague::Changes, "modificata"},
        {"other notices, colleague changes", true, Colleague::Changes, "modificata"},
        {"save notices, colleague deletes", false, Colleague::Deletes, "eliminata"},
        {"other notices, colleague deletes", true, Colleague::Deletes, "eliminata"},
        {"other notices, colleague makes a variant", true, Colleague::MakesVariant, ""},
        {"save notices, nobody else", false, Colleague::Nothing, ""},
    };
    auto admin = OpenDb("host/dati/archivio.fdb");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        int id = 0; // a sheet of the case's own
        {
            TUser maker(1);
            maker->StartTransaction();
            auto fresh = maker->CreateNew();
            fresh->Model()->SetModello("nuova");
            maker->Save(*fresh);
            maker->EndTransaction(true);
            id = fresh->Model()->Id();
        }
        TUser a(1);
        a->StartTransaction();
        auto ctx = a->Load(id);
        ASSERT_TRUE(a->ValidateModify(*ctx)->IsOk());
        ctx->Model()->SetModello("di A");
        const int attachment =
            QueryValue(a.session->IBDatabase(), "SELECT CURRENT_CONNECTION FROM RDB$DATABASE")
                .toInt();
        ExecSql(*admin, QStringLiteral("DELETE FROM MON$ATTACHMENTS WHERE MON$ATTACHMENT_ID=%1")
                            .arg(attachment));

        int variant = 0;
        {
            TUser b(1);
            b->StartTransaction();
            auto theirs = b->Load(id);
            switch (c.colleague) {
            case Colleague::Changes:
                ASSERT_TRUE(b->ValidateModify(*theirs)->IsOk());
                theirs->Model()->SetModello("di B");
                b->Save(*theirs);
                break;
            case Colleague::Deletes:
                b->Delete(*theirs);
                break;
            case Colleague::MakesVariant: {
                auto v = b->CreateVariante(*theirs);
                b->Save(*v);
                variant = v->Model()->Id();
                break;
            }
            case Colleague::Nothing:
                break;
            }
            b->EndTransaction(true);
        }
        if (c.otherNotices) { // another transaction of the connection reconnects it first
            EXPECT_TRUE(a.session->IBDatabase().Ripristina(true));
        }

        QString told;
        bool saved = false;
        for (int attempt = 0; attempt < 4 && !saved && told.isEmpty(); ++attempt) {
            try {
                a->StartTransaction();
                a->Save(*ctx);
                a->EndTransaction(true);
                saved = true;
            } catch (const EZavoError& e) {
                // The break itself is told first, then the reconnection; what follows is
                // the verdict on the sheet.
                const QString m = e.TestoUtente();
                if (!m.contains("ripetere") && !m.startsWith("Connessione all'archivio "
                                                             "interrotta"))
                    told = m;
            }
        }
        a->EndTransaction(false);
        const QString stored =
            QueryValue(*admin, QStringLiteral("SELECT COALESCE(MAX(MODELLO), '<eliminata>') FROM "
                                              "ZELMMODEL WHERE ID = %1")
                                   .arg(id))
                .toString();
        if (*c.told) {
            EXPECT_FALSE(saved);
            EXPECT_TRUE(told.contains(c.told)) << told.toStdString();
            EXPECT_TRUE(told.contains("Nulla è stato salvato")) << told.toStdString();
            EXPECT_EQ(stored, c.colleague == Colleague::Deletes ? "<eliminata>" : "di B");
            EXPECT_EQ(ctx->Model()->Modello(), "di A"); // what was typed stays
        } else {
            EXPECT_TRUE(saved) << told.toStdString();
            EXPECT_EQ(stored, "di A");
        }
        if (variant) {
            EXPECT_EQ(QueryValue(*admin, QStringLiteral("SELECT COUNT(*) FROM ZELMMODEL WHERE "
                                                        "ID = %1")
                                             .arg(variant))
                          .toInt(),
                      1);
        }
    }
}

TEST_P(ModelService, VariantsCreatedTogetherAllSaveUnderDistinctNumbers) {
    // Eight users vary the same sheet at once: each proposes the same next number.
    std::vector<std::unique_ptr<TUser>> users;
    std::vector<std::unique_ptr<TZelmModelContext>> variants;
    for (int i = 0; i < 8; ++i) {
        users.push_back(std::make_unique<TUser>(1));
        (*users.back())->StartTransaction();
        auto from = (*users.back())->Load(kRilasciataP);
        variants.push_back((*users.back())->CreateVariante(*from));
        variants.back()->Model()->SetModello(QStringLiteral("variante di %1").arg(i));
        EXPECT_EQ(variants.back()->Model()->IdVariante(), 2);
    }
    // They save in turn while the others still hold their transactions.
    int lost = 0;
    for (int i = 0; i < 8; ++i) {
        try {
            (*users[i])->Save(*variants[i]);
            (*users[i])->EndTransaction(true);
        } catch (const EZavoError& e) {
            ADD_FAILURE() << i << ": " << e.what();
            ++lost;
        }
    }
    EXPECT_EQ(lost, 0);
    auto db = OpenDb("host/dati/archivio.fdb");
    EXPECT_EQ(QueryValue(*db, "SELECT COUNT(DISTINCT IDVARIANTE) || '/' || COUNT(*) FROM "
                              "ZELMMODEL WHERE IDMODEL=3 AND IDVARIANTE >= 2")
                  .toString(),
              "8/8");
    for (int i = 0; i < 8; ++i) {
        const TZelmModelData& m = *variants[i]->Model();
        EXPECT_EQ(m.QrCode(), TZelmModelData::QrText(3, m.IdVariante())); // the card's number
        EXPECT_EQ(QueryValue(*db, QString("SELECT MODELLO FROM ZELMMODEL WHERE IDMODEL=3 AND "
                                          "IDVARIANTE=%1")
                                      .arg(m.IdVariante()))
                      .toString(),
                  QString("variante di %1").arg(i));
        // Its options went with it, under its final number.
        EXPECT_EQ(QueryValue(*db, QString("SELECT COUNT(*) FROM ZELMMODELOPZ WHERE IDMODEL=3 AND "
                                          "IDVARIANTEMODEL=%1")
                                      .arg(m.IdVariante()))
                      .toInt(),
                  variants[i]->Opz()->Count());
    }
}

TEST_P(ModelService, TwoUsersOnTwoVariantsOfOneModelGetAClearRefusal) {
    TUser a(1), b(1);
    a->StartTransaction();
    b->StartTransaction();
    auto va = a->Load(kRilasciataP); // model 3, variant 0
    auto vb = b->Load(kVariante1);   // model 3, variant 1: the same details
    ASSERT_FALSE(va->Dett()->IsEmpty());
    va->Dett()->Items(0)->SetD(1, "A");
    vb->Dett()->Items(0)->SetD(1, "B");
    a->Save(*va);
    a->EndTransaction(true);
    try {
        b->Save(*vb);
        ADD_FAILURE() << "the second save went through";
    } catch (const EZavoError& e) {
        EXPECT_TRUE(e.Message().contains("Un altro utente ha modificato nel frattempo i "
                                         "dettagli"))
            << e.what();
    }
    b->EndTransaction(false);
    TUser c(1);
    c->StartTransaction();
    EXPECT_EQ(c->Load(kVariante1)->Dett()->Items(0)->D(1), "A"); // nothing of B's attempt
}

TEST_P(ModelService, OnlyALockConflictReadsAsAnOccupiedRecord) {
    TUser a(1);
    a->StartTransaction();
    auto ctx = a->Load(kInPreparazione);
    auto admin = OpenDb("host/dati/archivio.fdb");
    const int attachment =
        QueryValue(a.session->IBDatabase(), "SELECT CURRENT_CONNECTION FROM RDB$DATABASE").toInt();
    ExecSql(
        *admin,
        QStringLiteral("DELETE FROM MON$ATTACHMENTS WHERE MON$ATTACHMENT_ID=%1").arg(attachment));
    try {
        auto result = a->ValidateModify(*ctx);
        ASSERT_TRUE(result);
        EXPECT_FALSE(result->Errors().contains("Record occupato da un altro utente"))
            << result->Errors().join(' ').toStdString();
        EXPECT_FALSE(result->IsOk());
    } catch (const EZavoError& e) {
        EXPECT_NE(e.Message(), "Record occupato da un altro utente");
    }
}

TEST_P(ModelService, AReadOnlyUserWritesNothing) {
    TUser ro(2); // Giulia Bianchi, profile 25: read only
    ASSERT_EQ(ro.session->DirittoAccesso(), daSolaLettura);
    auto db = OpenDb("host/dati/archivio.fdb");
    const QString before =
        QueryValue(*db, "SELECT LIST(ID || ':' || STATUSSCHEDA || ':' || MODELLO, ',') FROM "
                        "(SELECT * FROM ZELMMODEL ORDER BY ID)")
            .toString();
    const std::function<void(TZelmModelService&, TZelmModelContext&)> writes[] = {
        [](TZelmModelService& s, TZelmModelContext& c) { s.Save(c); },
        [](TZelmModelService& s, TZelmModelContext& c) { s.Delete(c); },
        [](TZelmModelService& s, TZelmModelContext& c) { s.RilasciaC(c); },
        [](TZelmModelService& s, TZelmModelContext& c) { s.RilasciaP(c); },
        [](TZelmModelService& s, TZelmModelContext& c) { s.Sospendi(c); }};
    int stored = 0;
    for (const auto& write : writes) {
        ro->StartTransaction();
        auto ctx = ro->Load(kInPreparazione);
        ctx->Model()->SetModello("scritto in sola lettura");
        try {
            write(*ro.service, *ctx);
            ro->EndTransaction(true);
            ++stored;
        } catch (const EZavoError& e) {
            EXPECT_TRUE(e.Message().contains("sola lettura")) << e.what();
            ro->EndTransaction(false);
        }
    }
    EXPECT_EQ(stored, 0);
    EXPECT_EQ(QueryValue(*db, "SELECT LIST(ID || ':' || STATUSSCHEDA || ':' || MODELLO, ',') FROM "
                              "(SELECT * FROM ZELMMODEL ORDER BY ID)")
                  .toString(),
              before);
}

ZELM_DB_MODES(ModelService);

// Eight processes on the test server vary one sheet and save at the same moment.
TEST(VariantRaceServer, EightProcessesSaveEightDistinctVariants) {
    const QString prefix = TestServerPrefix();
    if (prefix.isEmpty())
        GTEST_SKIP() << "Nessun server Firebird di prova (ZELM_TEST_SERVER non impostata)";
    TTestFolder folder;
    const THostFolder host = ProvisionHostFolder(folder.Path("host"), true, true, prefix);
    {
        // Every process reaches the user database through the server too.
        TIniFile ini(QFileInfo(host.userDb).path() + "/dati.ini");
        ini.WriteString("CONFIG", "Nome Server", qEnvironmentVariable("ZELM_TEST_SERVER"));
        ini.WriteString("CONFIG", "Alias", host.userDb);
    }
    const QString go = folder.Path("via");
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("ZELM_HOST_DIR", host.root);
    std::vector<std::unique_ptr<QProcess>> users;
    for (int i = 0; i < 8; ++i) {
        auto p = std::make_unique<QProcess>();
        p->setProcessEnvironment(env);
        p->start(ZELM_VARIANT_SAVER, {QString::number(kRilasciataP), go});
        users.push_back(std::move(p));
    }
    for (auto& p : users) { // every one holds its variant, numbered alike
        ASSERT_TRUE(p->waitForReadyRead(60000)) << p->readAllStandardError().toStdString();
        ASSERT_EQ(QString::fromUtf8(p->readLine().trimmed()), "PRONTO");
    }
    QFile(go).open(QIODevice::WriteOnly);
    QSet<int> numbers;
    int lost = 0;
    for (auto& p : users) {
        ASSERT_TRUE(p->waitForFinished(60000));
        const QString out = QString::fromUtf8(p->readAllStandardOutput()).trimmed();
        if (p->exitCode() != 0 || !out.startsWith("VARIANTE ")) {
            ADD_FAILURE() << out.toStdString();
            ++lost;
            continue;
        }
        const QStringList parts = out.split(' ');
        numbers << parts[1].toInt();
        EXPECT_EQ(parts[2], TZelmModelData::QrText(3, parts[1].toInt()));
    }
    EXPECT_EQ(lost, 0) << "concurrent variant saves lost";
    EXPECT_EQ(numbers.size(), 8);
    TIBDatabase db;
    db.SetDatabaseName(host.archiveDb.startsWith(prefix) ? host.archiveDb
                                                         : prefix + host.archiveDb);
    db.Open();
    EXPECT_EQ(QueryValue(db, "SELECT COUNT(*) FROM ZELMMODEL WHERE IDMODEL=3 AND IDVARIANTE >= 2")
                  .toInt(),
              8);
}
