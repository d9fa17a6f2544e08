// The sheets' history: what each operation of a window, another program's statement, a save
// that changed nothing and a save rolled back leave in ZELMMODELSTORICO.
#include "control/ZelmModelService.h"
#include "framework/db/IBDatabase.h"
#include "framework/session/Session.h"

#include "ServiceWindow.h"
#include "support/TestSupport.h"

#include <functional>

namespace {
/// One user's window: a session and its service.
struct TFinestra : TFinestraDi<TZelmModelService> {
    explicit TFinestra(int code) : TFinestraDi(code) { service->StartTransaction(); }
};
} // namespace

class History : public DemoHostTest {
protected:
    void SetUp() override {
        DemoHostTest::SetUp();
        if (IsSkipped())
            return;
        fArchive.SetDatabaseName(fHost.Connection(fHost.archiveDb));
        fArchive.Open();
    }
    /// The rows written after `from`, one line each: operation|object|field|before|after, and
    /// user|program when `chi`.
    QStringList Righe(qint64 from, bool chi = false) {
        const QString sql =
            QStringLiteral(
                "SELECT LIST(R, '~') FROM (SELECT OPERAZIONE || '|' || OGGETTO || '|' || "
                "COALESCE(CAMPO, '') || '|' || COALESCE(CAST(VALOREPRIMA AS VARCHAR(200)), '') "
                "|| '|' || COALESCE(CAST(VALOREDOPO AS VARCHAR(200)), '') %1 AS R FROM "
                "ZELMMODELSTORICO WHERE IDSTORICO > %2 ORDER BY IDSTORICO)")
                .arg(chi ? QStringLiteral("|| '|' || UTENTE || '|' || PROGRAMMA") : QString())
                .arg(from);
        const QString all = QueryValue(fArchive, sql).toString();
        return all.isEmpty() ? QStringList() : all.split('~');
    }
    qint64 Ultima() {
        return QueryValue(fArchive, "SELECT COALESCE(MAX(IDSTORICO), 0) FROM ZELMMODELSTORICO")
            .toLongLong();
    }
    TIBDatabase fArchive;
};

// Each operation through a window's service, committed: the rows it leaves. A list of one
// "…|*" line stands for "rows of that prefix only, at least one".
TEST_P(History, EachOperationLeavesItsRows) {
    using Op = std::function<void(TFinestra&)>;
    const auto salva = [](TFinestra& f, int id, const std::function<void(TZelmModelContext&)>& f2) {
        auto c = f->Load(id);
        f2(*c);
        f->Save(*c);
    };
    struct Caso {
        const char* nome;
        Op op;
        QStringList righe;
    } casi[] = {
        {"a field",
         [&](TFinestra& f) { salva(f, 1, [](auto& c) { c.Model()->SetCodice("H-1"); }); },
         {"Modifica|Scheda|CODICE|DEC-101|H-1"}},
        {"a detail cell",
         [&](TFinestra& f) { salva(f, 1, [](auto& c) { c.Dett()->Items(0)->SetD(2, "207"); }); },
         {"Modifica|Dettaglio|D2|205|207"}},
        {"a detail row added",
         [&](TFinestra& f) {
             salva(f, 1, [](auto& c) {
                 auto row = c.Dett()->Items(0)->Clone();
                 row->SetId(0);
                 row->SetTipoDett("Tallone");
                 c.Dett()->Add(std::move(row));
             });
         },
         {"Modifica|Dettaglio|||"}},
        {"a detail row removed",
         [&](TFinestra& f) { salva(f, 1, [](auto& c) { c.Dett()->Delete(2); }); },
         {"Modifica|Dettaglio|ID|3|", "Modifica|Dettaglio|IDMODEL|1|",
          "Modifica|Dettaglio|TIPODETT|Cambrione|", "Modifica|Dettaglio|D1|C1|",
          "Modifica|Dettaglio|D2|C1|", "Modifica|Dettaglio|D3|C1|", "Modifica|Dettaglio|D4|C1|",
          "Modifica|Dettaglio|D5|C1|", "Modifica|Dettaglio|D6|C1|", "Modifica|Dettaglio|D7|C2|",
          "Modifica|Dettaglio|D8|C2|"}},
        {"an option",
         [&](TFinestra& f) {
             salva(f, 1, [](auto& c) { c.Opz()->Items(0)->SetDescrizione("Cucitura doppia"); });
         },
         {"Modifica|Opzione|DESCRIZIONE|Standard cucitura tomaia|Cucitura doppia"}},
        {"a preference",
         [&](TFinestra& f) {
             salva(f, 1, [](auto& c) { c.PrefComp()->Items(1)->SetEtichetta("Cuoio naturale"); });
         },
         {"Modifica|Preferenza|ETICHETTA|Cuoio suola|Cuoio naturale"}},
        {"an annotation added",
         [&](TFinestra& f) {
             salva(f, 1, [](auto& c) {
                 auto row = c.Sto()->Items(0)->Clone();
                 row->SetId(0);
                 row->SetAnnotazione("Campione approvato");
                 c.Sto()->Add(std::move(row));
             });
         },
         {"Modifica|Annotazione|||"}},
        {"a save that changed nothing", [&](TFinestra& f) { salva(f, 1, [](auto&) {}); }, {}},
        {"release C",
         [](TFinestra& f) { f->RilasciaC(*f->Load(1)); },
         {"Rilascio C|Scheda|STATUSSCHEDA|InPreparazione|RilasciataC"}},
        {"suspension",
         [](TFinestra& f) { f->Sospendi(*f->Load(2)); },
         {"Sospensione|Scheda|STATUSSCHEDA|RilasciataC|Sospesa"}},
        {"a variant",
         [](TFinestra& f) {
             auto v = f->CreateVariante(*f->Load(3));
             f->Save(*v);
         },
         {"Variante|*"}},
        {"a duplicate",
         [](TFinestra& f) {
             auto d = f->CreateDuplicate(*f->Load(1));
             f->Save(*d);
         },
         {"Duplica|*"}},
        {"a deletion", [](TFinestra& f) { f->Delete(*f->Load(5)); }, {"Eliminazione|*"}},
    };
    for (const Caso& c : casi) {
        SCOPED_TRACE(c.nome);
        const qint64 from = Ultima();
        {
            TFinestra f(1);
            c.op(f);
            f->EndTransaction(true);
        }
        const QStringList got = Righe(from);
        if (c.righe.size() == 1 && c.righe[0].endsWith('*')) {
            ASSERT_FALSE(got.isEmpty());
            const QString prefix = c.righe[0].chopped(1);
            for (const QString& r : got)
                EXPECT_TRUE(r.startsWith(prefix)) << r.toStdString();
        } else {
            EXPECT_EQ(got, c.righe);
        }
    }
    // Who and where: the window's user and program.
    const qint64 from = Ultima();
    {
        TFinestra f(3);
        salva(f, 1, [](auto& c) { c.Model()->SetForma("F-9"); });
        f->EndTransaction(true);
    }
    EXPECT_EQ(Righe(from, true), QStringList({"Modifica|Scheda|FORMA|F100|F-9|Luca Ferri|scheda"}));
}

TEST_P(History, ARolledBackSaveLeavesNothingAndADeletionKeepsTheWholeSheet) {
    qint64 from = Ultima();
    {
        TFinestra f(1);
        auto c = f->Load(1);
        c->Model()->SetCodice("NON-SALVATO");
        f->Save(*c);
        f->EndTransaction(false);
    }
    EXPECT_EQ(Righe(from), QStringList());

    // The last variant of model 4: the sheet, its details, options, preferences and notes.
    from = Ultima();
    const auto count = [&](const QString& table) {
        return QueryValue(fArchive, "SELECT COUNT(*) FROM " + table + " WHERE IDMODEL = 4").toInt();
    };
    const int dett = count("ZELMMODELDETT"), sto = count("ZELMMODELSTO"),
              opz = count("ZELMMODELOPZ"), pref = count("ZELMMODELPREFCOMP");
    {
        TFinestra f(1);
        f->Delete(*f->Load(5));
        f->EndTransaction(true);
    }
    const auto oggetti = [&](const QString& oggetto) {
        return QueryValue(fArchive, QStringLiteral("SELECT COUNT(DISTINCT IDOGGETTO) FROM "
                                                   "ZELMMODELSTORICO WHERE IDSTORICO > %1 AND "
                                                   "OGGETTO = '%2' AND OPERAZIONE = 'Eliminazione'")
                                        .arg(from)
                                        .arg(oggetto))
            .toInt();
    };
    EXPECT_EQ(oggetti("Scheda"), 1);
    EXPECT_EQ(oggetti("Dettaglio"), dett);
    EXPECT_EQ(oggetti("Annotazione"), sto);
    EXPECT_EQ(oggetti("Opzione"), opz);
    EXPECT_EQ(oggetti("Preferenza"), pref);
    // Every field the sheet had, whole.
    EXPECT_EQ(QueryValue(fArchive, QStringLiteral("SELECT CAST(VALOREPRIMA AS VARCHAR(30)) FROM "
                                                  "ZELMMODELSTORICO WHERE IDSTORICO > %1 AND "
                                                  "OGGETTO = 'Scheda' AND CAMPO = 'STATUSSCHEDA'")
                                       .arg(from))
                  .toString(),
              "Sospesa");
}

// Another program's statement is recorded with the database's user, by the kind of statement.
TEST_P(History, AnotherProgramsChangeIsRecordedWithTheDatabaseUser) {
    const qint64 from = Ultima();
    ExecSql(fArchive, "UPDATE ZELMMODEL SET TACCO = 'T-77' WHERE ID = 2");
    const QStringList righe = Righe(from, true);
    ASSERT_EQ(righe.size(), 1);
    EXPECT_TRUE(righe[0].startsWith("Modifica|Scheda|TACCO|")) << righe[0].toStdString();
    EXPECT_TRUE(righe[0].contains("|T-77|SYSDBA|")) << righe[0].toStdString();
    EXPECT_FALSE(righe[0].endsWith("|scheda")) << righe[0].toStdString();
}

ZELM_DB_MODES(History);

// A deleted sheet comes back as it was, with its identifiers and every sub-record, and the
// history says so; not when its model and variant were taken meanwhile, nor for a reader.
TEST_P(History, ADeletedSheetIsRestoredWholeUnlessItsVariantWasTaken) {
    const auto dump = [&](const QString& table, const QString& where) {
        return QueryValue(fArchive,
                          QStringLiteral("SELECT LIST(R, '~') FROM (SELECT %1 AS R FROM %2 "
                                         "WHERE %3 ORDER BY ID)")
                              .arg(table == "ZELMMODEL"
                                       ? "ID || CODICE || COALESCE(DATA, '') || "
                                         "COALESCE(CAST(NOTEVARIE AS VARCHAR(500)), '') || "
                                         "STATUSSCHEDA || QRCODE || SETOPZIONILAVORAZ"
                                       : "ID || '|' || IDMODEL || '|' || COALESCE(CAST(" +
                                             QString(table == "ZELMMODELDETT"  ? "D1"
                                                     : table == "ZELMMODELSTO" ? "ANNOTAZIONE"
                                                                               : "ETICHETTA") +
                                             " AS VARCHAR(200)), '')",
                                   table, where))
            .toString();
    };
    const QStringList tables{"ZELMMODEL", "ZELMMODELDETT", "ZELMMODELSTO", "ZELMMODELOPZ",
                             "ZELMMODELPREFCOMP"};
    const auto snapshot = [&](int idModel) {
        QStringList all;
        for (const QString& t : tables)
            all << dump(t, QStringLiteral("IDMODEL = %1").arg(idModel));
        return all;
    };
    const QStringList before = snapshot(4);
    ASSERT_FALSE(before[0].isEmpty());
    {
        TFinestra f(1);
        f->Delete(*f->Load(5));
        f->EndTransaction(true);
    }
    ASSERT_EQ(QueryValue(fArchive, "SELECT COUNT(*) FROM ZELMMODEL WHERE IDMODEL = 4").toInt(), 0);
    {
        TFinestra reader(2); // a read-only profile
        ASSERT_EQ(reader.session->DirittoAccesso(), daSolaLettura);
        EXPECT_THROW(reader->Ripristina(5), EZavoError);
    }
    const qint64 from = Ultima();
    {
        TFinestra f(1);
        f->Ripristina(5);
        f->EndTransaction(true);
    }
    EXPECT_EQ(snapshot(4), before);
    const QStringList righe = Righe(from, true);
    ASSERT_FALSE(righe.isEmpty());
    for (const QString& r : righe)
        EXPECT_TRUE(r.startsWith("Ripristino|") && r.endsWith("|Mario Rossi|scheda"))
            << r.toStdString();
    {
        TFinestra f(1);
        try {
            f->Ripristina(5);
            ADD_FAILURE() << "restored a sheet that is there";
        } catch (const EZavoError& e) {
            EXPECT_TRUE(e.Message().contains("presente nell'archivio"))
                << e.Message().toStdString();
        }
    }

    // Variant 1 of model 3 deleted, then a new variant of model 3 takes number 1 again.
    {
        TFinestra f(1);
        f->Delete(*f->Load(4));
        f->EndTransaction(true);
    }
    {
        TFinestra f(1);
        auto v = f->CreateVariante(*f->Load(3));
        f->Save(*v);
        f->EndTransaction(true);
    }
    TFinestra f(1);
    try {
        f->Ripristina(4);
        ADD_FAILURE() << "restored over a variant taken meanwhile";
    } catch (const EZavoError& e) {
        EXPECT_TRUE(e.Message().contains("appartiene ora a un'altra scheda"))
            << e.Message().toStdString();
    }
    EXPECT_THROW(f->Ripristina(999), EZavoError);
}

// An archive of the host suite without the history: the windows save and delete as before and
// the card's "Storico" knows there is none.
TEST_P(History, AnArchiveWithoutTheHistoryWorksAsBefore) {
    for (const char* t :
         {"ZELMMODEL", "ZELMMODELDETT", "ZELMMODELOPZ", "ZELMMODELPREFCOMP", "ZELMMODELSTO"})
        ExecSql(fArchive, QStringLiteral("DROP TRIGGER ZELMSTORICO_%1").arg(t));
    ExecSql(fArchive, "DROP PROCEDURE ZELMSTORICO_SCRIVI");
    ExecSql(fArchive, "DROP TABLE ZELMMODELSTORICO");
    TFinestra f(1);
    EXPECT_FALSE(f->HaStorico());
    auto c = f->Load(1);
    c->Model()->SetCodice("SENZA-STORICO");
    f->Save(*c);
    f->Delete(*f->Load(6));
    f->EndTransaction(true);
    EXPECT_EQ(QueryValue(fArchive, "SELECT CODICE FROM ZELMMODEL WHERE ID = 1").toString(),
              "SENZA-STORICO");
    EXPECT_EQ(QueryValue(fArchive, "SELECT COUNT(*) FROM ZELMMODEL WHERE ID = 6").toInt(), 0);
}
