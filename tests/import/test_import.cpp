// The workbook import through the real office and a real archive: workbooks written by the
// office as the source system lays them out, imported, logged, refused; folders; pictures.
#include "WorkbookFixture.h"
#include "import/FotoXls.h"
#include "import/ImportXls.h"

#include "control/office/OfficeSuite.h"
#include "framework/core/ScopeExit.h"
#include "framework/db/DatabaseError.h"
#include "framework/db/IBDatabase.h"
#include "framework/db/IBSQL.h"
#include "framework/db/IBTransaction.h"

#include "HostDb.h"
#include "SiteRoles.h"
#include "framework/core/IniFile.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSysInfo>
#include <QTemporaryDir>

namespace {
QImage Picture(int w, int h, Qt::GlobalColor colour) {
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}
} // namespace

class ImportXls : public DbModeTest {
protected:
    void SetUp() override {
        DbModeTest::SetUp();
        if (IsSkipped())
            return;
        fHost = ProvisionDemo();
        fArchive.SetDatabaseName(fHost.Connection(fHost.archiveDb));
        fArchive.Open();
        fImport =
            std::make_unique<TImportXls>(fArchive, 1, fFolder.Path("tmp"), fFolder.Path("bin"));
    }
    void TearDown() override {
        fImport.reset();
        if (fArchive.Connected())
            fArchive.Close();
    }
    QVariant Value(const QString& sql) { return QueryValue(fArchive, sql); }
    /// A second connection to the archive, as another user's.
    std::unique_ptr<TIBDatabase> AltraConnessione() {
        auto other = std::make_unique<TIBDatabase>();
        other->SetDatabaseName(fHost.Connection(fHost.archiveDb));
        other->Open();
        return other;
    }
    QString Esiti() {
        return Value("SELECT LIST(ESITO || ':' || NOMEFILE || ':' || COALESCE(CAST(NOTE AS "
                     "VARCHAR(200)), ''), ' | ') FROM (SELECT * FROM ZELMLOGIMPXLS ORDER BY ID)")
            .toString();
    }

    THostFolder fHost;
    TIBDatabase fArchive;
    std::unique_ptr<TImportXls> fImport;
};
INSTANTIATE_TEST_SUITE_P(, ImportXls, ::testing::Values(DbMode::Embedded), DbModeName);

TEST_P(ImportXls, AWorkbookBecomesASheetWithItsRows) {
    QDir().mkpath(fFolder.Path("uno"));
    const QString path = fFolder.Path("uno/modello.xls");
    Scrivi(path);
    const TEsitoXls esito = fImport->Importa(path);
    ASSERT_EQ(esito.esito, "OK") << esito.note.toStdString();
    const int id = Value("SELECT MAX(ID) FROM ZELMMODEL").toInt();
    const int idModel =
        Value(QStringLiteral("SELECT IDMODEL FROM ZELMMODEL WHERE ID=%1").arg(id)).toInt();
    EXPECT_EQ(
        Value(QStringLiteral(
                  "SELECT QRCODE || '|' || CODICECLIENTE || '|' || SIGLACLIENTE || '|' || "
                  "DATA || '|' || DATAPROTOTIPO || '|' || COALESCE(DATACONFERMACAMPIONE, "
                  "'-') || '|' || STAGIONE || '|' || TIPO || '|' || MODOLAVORAZIONE || '|' || "
                  "MODELLO || '|' || LINEA || '|' || INDUSTRIALIZZATORE || '|' || NOTEVARIE "
                  "|| '|' || TAGLIAOPERATIVA || '|' || SETOPZIONILAVORAZ || '|' || "
                  "SETPREFERENZECOMPONENTI || '|' || NOMEFILE || '|' || IDVARIANTE || '|' "
                  "|| COALESCE(STATUSSCHEDA, '-') FROM ZELMMODEL WHERE ID=%1")
                  .arg(id))
            .toString(),
        QStringLiteral("M%1V000|C001|MILANO MODA|2024-03-12|2024-02-01|-|PE 2025|Donna|"
                       "Montato|Aurora|Classica|Mario Rossi|Nota varia|%2|1|1|modello.xls|0|-")
            .arg(idModel, 7, 10, QLatin1Char('0'))
            .arg(Value("SELECT FIRST 1 CODICE FROM TAGLIEOPERATIVE WHERE DESCRIZIONE1='36'")
                     .toString()));
    EXPECT_EQ(
        Value(QStringLiteral("SELECT PERCORSOFILE FROM ZELMMODEL WHERE ID=%1").arg(id)).toString(),
        QDir::toNativeSeparators(fFolder.Path("uno")) + "/");
    EXPECT_EQ(Value(QStringLiteral("SELECT LIST(TIPODETT || ':' || D1 || D2 || D3 || D4 || "
                                   "COALESCE(D5, '-'), ' ') FROM ZELMMODELDETT WHERE IDMODEL=%1")
                        .arg(idModel))
                  .toString(),
              "TOMAIA:X.X.- ALTEZZA:45454546-");
    EXPECT_EQ(Value(QStringLiteral("SELECT COUNT(*) FROM ZELMMODELOPZ WHERE IDMODEL=%1 AND "
                                   "IDOPZIONE=1")
                        .arg(idModel))
                  .toInt(),
              6);
    EXPECT_EQ(Value(QStringLiteral("SELECT LIST(ETICHETTA, ',') FROM ZELMMODELPREFCOMP WHERE "
                                   "IDMODEL=%1")
                        .arg(idModel))
                  .toString(),
              "Pelle vitello,Gomma antiscivolo");

    // Twice: already imported, nothing more written; the same workbook elsewhere: imported.
    EXPECT_EQ(fImport->Importa(path).esito, "FILE GIA ACQUISITO");
    QDir().mkpath(fFolder.Path("due"));
    QFile::copy(path, fFolder.Path("due/modello.xls"));
    EXPECT_EQ(fImport->Importa(fFolder.Path("due/modello.xls")).esito, "OK");
    EXPECT_EQ(fImport->Importa(fFolder.Path("due/manca.xls")).esito, "FILE MANCANTE");
    EXPECT_EQ(Esiti(), "OK:modello.xls: | FILE GIA ACQUISITO:modello.xls: | OK:modello.xls: | "
                       "FILE MANCANTE:manca.xls:");
}

// The claims against double imports never switch themselves off: an archive kept from before
// them gains the table when it is provisioned again, and an importer whose user has no rights on
// it refuses to start, saying what the administrator must run.
TEST_P(ImportXls, ClaimsAreThereOrTheImporterRefusesToStart) {
    fImport.reset();
    ExecSql(fArchive, "DROP TABLE ZELMIMPXLSLOCK");
    fArchive.Close();
    ProvisionHostFolder(fFolder.Path("host"), true, false);
    fArchive.Open();
    EXPECT_EQ(Value("SELECT COUNT(*) FROM RDB$RELATIONS WHERE RDB$RELATION_NAME = "
                    "'ZELMIMPXLSLOCK'")
                  .toInt(),
              1);
    EXPECT_GT(Value("SELECT COUNT(*) FROM ZELMMODEL").toInt(), 0); // the data kept

    // A site user with rights on everything but the claims.
    ExecSql(fArchive,
            "EXECUTE BLOCK AS DECLARE n VARCHAR(63); BEGIN "
            "FOR SELECT TRIM(RDB$RELATION_NAME) FROM RDB$RELATIONS WHERE "
            "COALESCE(RDB$SYSTEM_FLAG, 0) = 0 AND RDB$RELATION_NAME <> 'ZELMIMPXLSLOCK' INTO :n DO "
            "EXECUTE STATEMENT 'GRANT ALL ON \"' || n || '\" TO USER IMPIEGATO'; "
            "FOR SELECT TRIM(RDB$GENERATOR_NAME) FROM RDB$GENERATORS WHERE "
            "COALESCE(RDB$SYSTEM_FLAG, 0) = 0 INTO :n DO "
            "EXECUTE STATEMENT 'GRANT USAGE ON SEQUENCE \"' || n || '\" TO USER IMPIEGATO'; END");
    TIBDatabase clerk;
    clerk.SetDatabaseName(fHost.Connection(fHost.archiveDb));
    clerk.Params << "user_name=IMPIEGATO"
                 << "password=segreta";
    clerk.Open();
    try {
        TImportXls refused(clerk, 1, fFolder.Path("tmp"), fFolder.Path("bin"));
        ADD_FAILURE() << "started without rights on the claims";
    } catch (const EDatabaseError& e) {
        ADD_FAILURE() << e.what();
    } catch (const EZavoError& e) {
        EXPECT_TRUE(e.Message().startsWith("Importazione non disponibile: l'utente dell'archivio "
                                           "non ha i diritti sulla tabella ZELMIMPXLSLOCK"))
            << e.what();
        EXPECT_TRUE(e.Message().contains("zelm-provision CARTELLA --keep")) << e.what();
    }
    ExecSql(fArchive, "GRANT ALL ON ZELMIMPXLSLOCK TO USER IMPIEGATO");
    clerk.Close(); // rights are read when a connection opens
    clerk.Open();
    EXPECT_NO_THROW(TImportXls(clerk, 1, fFolder.Path("tmp"), fFolder.Path("bin")));
    clerk.Close();
}

// A note is a text blob: however long, it is stored whole (never refused for a column width).
TEST_P(ImportXls, ALongNoteIsStoredWhole) {
    QString note;
    for (int i = 0; note.size() < 5000; ++i)
        note += QStringLiteral("riga %1 della nota; ").arg(i);
    note.truncate(5000);
    const QString path = fFolder.Path("nota.xls");
    Scrivi(path, [&note](TSpreadsheet& doc) { doc.SetString(1, 62, note); });
    const TEsitoXls esito = fImport->Importa(path);
    ASSERT_EQ(esito.esito, "OK") << esito.note.toStdString();
    EXPECT_EQ(Value("SELECT NOTEVARIE FROM ZELMMODEL WHERE ID = (SELECT MAX(ID) FROM ZELMMODEL)")
                  .toString(),
              note);
}

// Date cells in the default short-date format read the same whatever the locale of the process
// that starts the office: a day above 12 and one at most 12, in .xlsx and in .xls.
TEST_P(ImportXls, DateCellsReadTheSameInEveryLocale) {
    const QString xlsx = fFolder.Path("date.xlsx"), xls = fFolder.Path("date.xls");
    ScriviXlsx(xlsx, {{1, 1, QDate(2024, 3, 25)}, {2, 2, QDate(2024, 3, 12)}});
    {
        auto doc = TOfficeSuite::Instance().LoadSpreadsheet(xlsx);
        doc->StoreAsExcel97(xls);
        doc->Close();
    }
    const QByteArray lcAll = qgetenv("LC_ALL"), lang = qgetenv("LANG");
    TScopeExit restore([&] {
        TOfficeSuite::Instance().Shutdown();
        qputenv("LC_ALL", lcAll);
        qputenv("LANG", lang);
    });
    QStringList rows;
    for (const char* locale : {"C.UTF-8", "en_US.UTF-8", "de_DE.UTF-8", "it_IT.UTF-8"}) {
        // The office takes the locale of the process at its start.
        TOfficeSuite::Instance().Shutdown();
        qputenv("LC_ALL", locale);
        qputenv("LANG", locale);
        for (const QString& source : {xlsx, xls}) {
            const QString dir = fFolder.Path(
                QStringLiteral("%1-%2").arg(QLatin1String(locale), QFileInfo(source).suffix()));
            QDir().mkpath(dir);
            const QString copy = dir + "/" + QFileInfo(source).fileName();
            QFile::copy(source, copy);
            const TEsitoXls e = fImport->Importa(copy);
            ASSERT_EQ(e.esito, "OK") << locale << " " << e.note.toStdString();
            rows << QStringLiteral("%1 %2: %3")
                        .arg(QLatin1String(locale), QFileInfo(source).suffix(),
                             Value("SELECT DATA || ' ' || DATAPROTOTIPO FROM ZELMMODEL WHERE "
                                   "ID=(SELECT MAX(ID) FROM ZELMMODEL)")
                                 .toString());
        }
    }
    for (const QString& row : rows)
        EXPECT_TRUE(row.endsWith(": 2024-03-25 2024-03-12")) << row.toStdString();
}

TEST_P(ImportXls, AFailedWorkbookLeavesNothingAndTheNextOneGoesOn) {
    const int before = Value("SELECT COUNT(*) FROM ZELMMODEL").toInt();
    const struct {
        QString file, note;
        std::function<void(TSpreadsheet&)> change;
    } cases[] = {
        {"senza-cliente.xls", "Errore ZELMMODEL: SiglaCliente mancante",
         [](TSpreadsheet& d) { d.SetString(0, 0, "Cliente"); }},
        {"cliente-ignoto.xls", "Errore ZELMMODEL: CodiceCliente non trovato",
         [](TSpreadsheet& d) { d.SetString(0, 1, "NESSUNO"); }},
        {"data.xls", "DATA: 'da definire' non è una data valida (atteso gg/mm/aaaa)",
         [](TSpreadsheet& d) { d.SetString(1, 1, "da definire"); }},
        {"prototipo.xls", "PROTOTIPO: '12 March 2024' non è una data valida (atteso gg/mm/aaaa)",
         [](TSpreadsheet& d) { d.SetString(2, 2, "12 March 2024"); }},
        // The customer is checked before the dates.
        {"cliente-e-data.xls", "Errore ZELMMODEL: CodiceCliente non trovato",
         [](TSpreadsheet& d) {
             d.SetString(0, 1, "NESSUNO");
             d.SetString(1, 1, "da definire");
         }},
        {"modello-lungo.xls",
         "Errore insert ZELMMODEL: il valore di MODELLO è lungo 300 caratteri, l'archivio ne "
         "registra al massimo 30",
         [](TSpreadsheet& d) { d.SetString(1, 9, QString(300, 'M')); }},
        {"stagione.xls",
         "Impossibile impostare la taglia operativa: Elenco taglie vuoto nel documento.",
         [](TSpreadsheet& d) {
             d.SetString(0, 3, "");
             d.SetString(0, 13, "STAGIONE");
         }},
        {"taglia.xls", "Taglia operativa non trovata per il valore: \"99\"",
         [](TSpreadsheet& d) { d.SetValue(1, 4, 99); }},
        {"set.xls", "Nessun Set Opzioni trovato.", [](TSpreadsheet& d) { d.SetString(0, 17, ""); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        Scrivi(fFolder.Path(c.file), c.change);
        const TEsitoXls e = fImport->Importa(fFolder.Path(c.file));
        EXPECT_EQ(e.esito, "ERRORE");
        EXPECT_EQ(e.note, c.note);
    }
    {
        auto empty = TOfficeSuite::Instance().NewSpreadsheet();
        empty->StoreAsExcel97(fFolder.Path("vuoto.xls"));
        empty->Close();
        const TEsitoXls e = fImport->Importa(fFolder.Path("vuoto.xls"));
        EXPECT_EQ(e.note, "Il foglio di lavoro è vuoto o non leggibile");
    }
    QFile text(fFolder.Path("testo.xls"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("non è un foglio\n");
    text.close();
    EXPECT_EQ(fImport->Importa(fFolder.Path("testo.xls")).esito, "ERRORE");
    EXPECT_EQ(Value("SELECT COUNT(*) FROM ZELMMODEL").toInt(), before);
    Scrivi(fFolder.Path("buono.xls"));
    EXPECT_EQ(fImport->Importa(fFolder.Path("buono.xls")).esito, "OK");
    EXPECT_EQ(Value("SELECT COUNT(*) FROM ZELMMODEL").toInt(), before + 1);
    EXPECT_EQ(Value("SELECT COUNT(*) FROM ZELMLOGIMPXLS WHERE ESITO='ERRORE'").toInt(), 11);
}

// Names and folders longer than the archive records are refused by name and logged cut to fit;
// the batch goes on with the next workbook.
TEST_P(ImportXls, LongNamesAndFoldersAreLoggedAndTheBatchGoesOn) {
    const QString longName = QString(140, 'n') + ".xls";
    QString deep = fFolder.Path("cartelle");
    while (deep.size() <= 140)
        deep += "/una cartella condivisa";
    QDir().mkpath(deep);
    Scrivi(fFolder.Path(longName));
    Scrivi(deep + "/corto.xls");
    Scrivi(fFolder.Path("buono.xls"));
    const QList<TEsitoXls> esiti = fImport->ImportaFile(
        {fFolder.Path(longName), deep + "/corto.xls", fFolder.Path("buono.xls")});
    ASSERT_EQ(esiti.size(), 3);
    EXPECT_EQ(esiti[0].esito, "ERRORE");
    EXPECT_EQ(esiti[0].note, "Il nome del file è lungo 144 caratteri: l'archivio ne registra al "
                             "massimo 128. Rinominare il file e ripetere l'importazione.");
    EXPECT_EQ(esiti[1].esito, "ERRORE");
    EXPECT_TRUE(esiti[1].note.startsWith("Il percorso della cartella è lungo "))
        << esiti[1].note.toStdString();
    EXPECT_EQ(esiti[2].esito, "OK") << esiti[2].note.toStdString();
    EXPECT_EQ(Value("SELECT LIST(CHAR_LENGTH(NOMEFILE) || '/' || CHAR_LENGTH(PERCORSOFILE), ' ') "
                    "FROM (SELECT * FROM ZELMLOGIMPXLS WHERE ESITO='ERRORE' ORDER BY ID)")
                  .toString(),
              QStringLiteral("128/%1 9/%2")
                  .arg(QDir::toNativeSeparators(fFolder.Path()).size() + 1)
                  .arg(deep.size() + 1));
}

// Set labels typed in another case than stored still find their set; the rows keep what was
// typed.
TEST_P(ImportXls, SetLabelsMatchIgnoringCase) {
    Scrivi(fFolder.Path("maiuscole.xls"), [](TSpreadsheet& d) {
        d.SetString(0, 12, "CUCITURA TOMAIA");
        d.SetString(10, 12, "PELLE VITELLO");
    });
    const TEsitoXls e = fImport->Importa(fFolder.Path("maiuscole.xls"));
    ASSERT_EQ(e.esito, "OK") << e.note.toStdString();
    const int idModel = Value("SELECT IDMODEL FROM ZELMMODEL WHERE ID=(SELECT MAX(ID) FROM "
                              "ZELMMODEL)")
                            .toInt();
    EXPECT_EQ(Value(QStringLiteral("SELECT COUNT(*) FROM ZELMMODELOPZ WHERE IDMODEL=%1 AND "
                                   "ETICHETTA='CUCITURA TOMAIA'")
                        .arg(idModel))
                  .toInt(),
              1);
    EXPECT_EQ(Value(QStringLiteral("SELECT LIST(ETICHETTA, ',') FROM ZELMMODELPREFCOMP WHERE "
                                   "IDMODEL=%1")
                        .arg(idModel))
                  .toString(),
              "PELLE VITELLO,Gomma antiscivolo");
}

// An office lock file left by an importer that was killed is removed; one of an office on
// another workstation means the workbook is open there.
TEST_P(ImportXls, StaleOfficeLocksAreRemovedLiveOnesNamed) {
    auto lock = [&](const QString& workbook, const QString& host) {
        QFile f(fFolder.Path(".~lock." + workbook + "#"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QStringLiteral(",operatore,%1,10.12.2026 10:00,file:///tmp/zelm-office-999999-x;")
                    .arg(host)
                    .toUtf8());
    };
    Scrivi(fFolder.Path("orfano.xls"));
    Scrivi(fFolder.Path("aperto.xls"));
    lock("orfano.xls", QSysInfo::machineHostName());
    lock("aperto.xls", "altro-pc");
    const TEsitoXls orphan = fImport->Importa(fFolder.Path("orfano.xls"));
    EXPECT_EQ(orphan.esito, "OK") << orphan.note.toStdString();
    EXPECT_FALSE(QFileInfo::exists(fFolder.Path(".~lock.orfano.xls#")));
    const TEsitoXls open = fImport->Importa(fFolder.Path("aperto.xls"));
    EXPECT_EQ(open.esito, "ERRORE");
    EXPECT_EQ(open.note, "File in uso da un altro utente o applicazione");
}

// Another importer in the middle of the same workbook (its claim and its sheet not committed
// yet): this one refuses it as in use, and once the other committed finds it already imported.
TEST_P(ImportXls, AWorkbookBeingImportedElsewhereIsNotStoredAgain) {
    const QString path = fFolder.Path("condiviso.xls");
    Scrivi(path);
    const QString folder = QDir::toNativeSeparators(fFolder.Path()) + "/";
    auto other = AltraConnessione();
    TIBTransaction tr(other.get());
    tr.StartTransaction();
    TIBSQL sql(other.get(), &tr);
    sql.SetSQL("INSERT INTO ZELMIMPXLSLOCK (CHIAVE) VALUES (:CHIAVE)");
    sql.ParamByName("CHIAVE").SetString(TImportXls::ChiaveWorkbook(folder, "condiviso.xls"));
    sql.ExecQuery();
    sql.SetSQL("INSERT INTO ZELMMODEL (ID, IDMODEL, IDVARIANTE, NOMEFILE, PERCORSOFILE) VALUES "
               "(GEN_ID(ID_ZELMMODEL_COUNTER, 1), GEN_ID(IDMODEL_ZELMMODEL_COUNTER, 1), 0, "
               "'condiviso.xls', :PERCORSO)");
    sql.ParamByName("PERCORSO").SetString(folder);
    sql.ExecQuery();
    const TEsitoXls busy = fImport->Importa(path);
    EXPECT_EQ(busy.esito, "ERRORE");
    EXPECT_EQ(busy.note, "File in uso da un altro utente: la sua importazione è in corso");
    sql.SetSQL("DELETE FROM ZELMIMPXLSLOCK");
    sql.ExecQuery();
    tr.Commit();
    EXPECT_EQ(fImport->Importa(path).esito, "FILE GIA ACQUISITO");
    EXPECT_EQ(Value("SELECT COUNT(*) FROM ZELMMODEL WHERE NOMEFILE='condiviso.xls'").toInt(), 1);
}

// Another user's uncommitted sheet on the identifier the import draws next: the no-wait write
// transaction fails the workbook at once instead of waiting.
TEST_P(ImportXls, ALockHeldElsewhereFailsTheWorkbookAtOnce) {
    Scrivi(fFolder.Path("lock.xls"));
    auto other = AltraConnessione();
    {
        TIBTransaction tr(other.get());
        tr.StartTransaction();
        TIBSQL sql(other.get(), &tr);
        sql.SetSQL("INSERT INTO ZELMMODEL (ID, IDMODEL, IDVARIANTE) VALUES "
                   "(GEN_ID(ID_ZELMMODEL_COUNTER, 0) + 1, 999, 0)");
        sql.ExecQuery();
        QElapsedTimer t;
        t.start();
        const TEsitoXls e = fImport->Importa(fFolder.Path("lock.xls"));
        EXPECT_LT(t.elapsed(), 20000);
        EXPECT_EQ(e.esito, "ERRORE");
        EXPECT_EQ(e.note, "Errore insert ZELMMODEL: Valore già presente nell'archivio");
        tr.Rollback();
    }
    EXPECT_EQ(Value("SELECT COUNT(*) FROM ZELMMODEL WHERE IDMODEL=999").toInt(), 0);
}

TEST_P(ImportXls, AFolderTakesItsWorkbooksAndStopsWhenAsked) {
    const QString dir = fFolder.Path("cartella");
    QDir().mkpath(dir + "/sotto");
    Scrivi(dir + "/a.xls");
    Scrivi(dir + "/b.XLSX");
    Scrivi(dir + "/c.xlsm");
    Scrivi(dir + "/sotto/d.xls");
    QStringList files = TImportXls::FileDellaCartella(dir);
    for (QString& f : files)
        f = QFileInfo(f).fileName();
    files.sort();
    EXPECT_EQ(files, (QStringList{"a.xls", "b.XLSX"}));

    QStringList seen;
    const QList<TEsitoXls> esiti = fImport->ImportaFile(
        TImportXls::FileDellaCartella(dir), [&](int n, int count, const QString& file) {
            seen << QStringLiteral("%1/%2 %3").arg(n).arg(count).arg(QFileInfo(file).fileName());
            return n < 2; // the user stops before the second
        });
    EXPECT_EQ(esiti.size(), 1);
    EXPECT_EQ(seen.size(), 2);
    EXPECT_TRUE(seen[0].startsWith("1/2 "));
}

TEST_P(ImportXls, PicturesGoToThePhotoStore) {
    const QString store = fFolder.Path("foto");
    QDir().mkpath(store);
    // Without the control row nothing is imported and nothing is logged.
    ExecSql(fArchive, "DELETE FROM LUMETRACONTROL");
    fImport->AcquisisciFoto = true;
    Scrivi(fFolder.Path("foto.xls"), [&](TSpreadsheet& d) {
        const QString png = fFolder.Path("rosso.png"), jpg = fFolder.Path("blu.jpg");
        Picture(600, 400, Qt::red).save(png);
        Picture(100, 50, Qt::blue).save(jpg, "JPEG", 90);
        d.InsertImage(png, 12, 2, 4000, 3000);
        d.InsertImage(jpg, 12, 20, 2000, 1000);
    });
    try {
        fImport->Importa(fFolder.Path("foto.xls"));
        FAIL() << "imported without a photo control";
    } catch (const EZavoError& e) {
        EXPECT_EQ(e.Message(), "Errore: Nessun pulsante FOTO MODELLI trovato su LUMETRACONTROL");
    }
    EXPECT_EQ(Value("SELECT COUNT(*) FROM ZELMLOGIMPXLS").toInt(), 0);

    ExecSql(fArchive, QStringLiteral("INSERT INTO LUMETRACONTROL (CODICESITUAZIONE, "
                                     "CONTROLLOCODICE, CONTROLLOETICHETTA, IMAGEPATH, "
                                     "FILLORVOITEMPHOTO, TABELLARICERCA, CAMPORICERCA, "
                                     "CAMPORITORNO, PREFISSORITORNO) VALUES (3, 'FM', 'Foto "
                                     "modelli', '%1', 1, 'CARTELLE', 'NOME', 'CHIAVE', 'm')")
                          .arg(store));
    ExecSql(fArchive, "CREATE TABLE CARTELLE (CHIAVE VARCHAR(20), NOME VARCHAR(40))");
    const int next =
        Value("SELECT GEN_ID(IDMODEL_ZELMMODEL_COUNTER, 0) + 1 FROM RDB$DATABASE").toInt();
    const QString code = QStringLiteral("M%1V000").arg(next, 7, 10, QLatin1Char('0'));
    ExecSql(fArchive,
            QStringLiteral("INSERT INTO CARTELLE VALUES ('%1', 'CLIENTE A/B')").arg(code.mid(1)));
    const TEsitoXls e = fImport->Importa(fFolder.Path("foto.xls"));
    ASSERT_EQ(e.esito, "OK") << e.note.toStdString();
    const QString folder = store + "/CLIENTE AB/" + QDate::currentDate().toString("yyyy MM dd");
    const QStringList files = QDir(folder).entryList(QDir::Files, QDir::Name);
    EXPECT_EQ(files, (QStringList{code + "_001.jpg", code + "_002.jpg"}));
    QStringList sizes;
    for (int i = 1; i <= 2; ++i) {
        const QImage thumb(QStringLiteral("%1/miniature/%2_%3.tbn")
                               .arg(folder, code)
                               .arg(i, 3, 10, QLatin1Char('0')));
        sizes << QStringLiteral("%1x%2").arg(thumb.width()).arg(thumb.height());
    }
    sizes.sort();
    EXPECT_EQ(sizes, (QStringList{"100x50", "180x120"}));
    EXPECT_EQ(Value("SELECT LIST(NOMEFILE || ':' || ESTENSIONE_FILE || ':' || STATUS || ':' || "
                    "REGOLAINSTRADAMENTOFOTO || ':' || CODICEITEM, ' ') FROM (SELECT * FROM "
                    "ORVOITEMPHOTO ORDER BY NOMEFILE)")
                  .toString(),
              QStringLiteral("%1_001:jpg:ATTIVO:12:%1 %1_002:jpg:ATTIVO:12:%1").arg(code));
    EXPECT_FALSE(QDir(fFolder.Path("tmp/foto")).exists()); // the working folder is removed

    // A store folder that is not there fails the workbook and leaves no row.
    ExecSql(fArchive, QStringLiteral("UPDATE LUMETRACONTROL SET IMAGEPATH='%1/manca', "
                                     "TABELLARICERCA=NULL")
                          .arg(store));
    auto again =
        std::make_unique<TImportXls>(fArchive, 1, fFolder.Path("tmp"), fFolder.Path("bin"));
    again->AcquisisciFoto = true;
    QDir().mkpath(fFolder.Path("altra"));
    QFile::copy(fFolder.Path("foto.xls"), fFolder.Path("altra/foto.xls"));
    const TEsitoXls failed = again->Importa(fFolder.Path("altra/foto.xls"));
    EXPECT_EQ(failed.esito, "ERRORE");
    EXPECT_EQ(failed.note, QStringLiteral("Directory \"%1/manca\" non trovata").arg(store));
    EXPECT_EQ(Value("SELECT COUNT(*) FROM ORVOITEMPHOTO").toInt(), 2);
}

// The command-line importer: one line per workbook, the exit code of the worst outcome. An
// embedded archive is open in one process at a time, so the importer and the test share it
// through the server.
class ImportXlsCli : public ImportXls {};
INSTANTIATE_TEST_SUITE_P(, ImportXlsCli, ::testing::Values(DbMode::Server), DbModeName);

TEST_P(ImportXlsCli, CommandLineImporter) {
    QString fErr;
    const QString dir = fFolder.Path("cli");
    QDir().mkpath(dir);
    Scrivi(dir + "/uno.xls");
    Scrivi(dir + "/due.xlsx", [](TSpreadsheet& d) { d.SetString(0, 0, "Cliente"); });
    // The diagnostic log goes to a state folder of the test's own.
    QTemporaryDir state;
    auto run = [&](const QStringList& args, QString* out = nullptr) {
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_STATE_HOME", state.path());
        p.setProcessEnvironment(env);
        p.start(ZELM_IMPORT, args == QStringList{"--folder"}
                                 ? args
                                 : QStringList{"--folder", fHost.root} + args);
        EXPECT_TRUE(p.waitForFinished(120000));
        fErr = QString::fromUtf8(p.readAllStandardError());
        if (out)
            *out = QString::fromUtf8(p.readAllStandardOutput());
        return p.exitCode();
    };
    QString out;
    EXPECT_EQ(run({dir + "/uno.xls"}, &out), 0) << fErr.toStdString();
    EXPECT_EQ(out, "OK\tuno.xls\t\n");
    // The sheet's history names the import, its user and program (another process of the site).
    EXPECT_EQ(Value("SELECT LIST(DISTINCT OPERAZIONE || '|' || UTENTE || '|' || PROGRAMMA) FROM "
                    "ZELMMODELSTORICO WHERE IDMODEL = (SELECT IDMODEL FROM ZELMMODEL WHERE "
                    "NOMEFILE = 'uno.xls')")
                  .toString(),
              "Import|Mario Rossi|import");
    EXPECT_EQ(run({dir}, &out), 1); // uno already imported, due refused
    QStringList lines = out.split('\n', Qt::SkipEmptyParts);
    lines.sort();
    EXPECT_EQ(lines, (QStringList{"ERRORE\tdue.xlsx\tErrore ZELMMODEL: SiglaCliente mancante",
                                  "FILE GIA ACQUISITO\tuno.xls\t"}));
    QFile log(state.path() + "/zelm/zelm.log");
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    const QString logged = QString::fromUtf8(log.readAll());
    EXPECT_TRUE(logged.contains(QRegularExpression(
        "zelm\\.import info: cartella di lavoro \\S*/due\\.xlsx esito ERRORE in \\d+ ms \\| nota: "
        "Errore ZELMMODEL: SiglaCliente mancante")))
        << logged.toStdString();
    EXPECT_TRUE(logged.contains("avvio: zelm-import zelm ")) << logged.toStdString();
    EXPECT_EQ(run({dir + "/manca.xls"}, &out), 1);
    EXPECT_EQ(out, "FILE MANCANTE\tmanca.xls\t\n");
    EXPECT_EQ(run({dir + "/manca\tdue\nrighe.xls"}, &out), 1);
    EXPECT_EQ(out, "FILE MANCANTE\tmanca\\tdue\\nrighe.xls\t\n");
    EXPECT_EQ(run({"--folder"}), 2);
    EXPECT_TRUE(fErr.contains("Manca il valore dell'opzione --folder\n")) << fErr.toStdString();
    EXPECT_EQ(run({}), 2);
    EXPECT_EQ(run({"--user", "77", dir}), 2);
    ExecSql(fArchive, "DELETE FROM LUMETRACONTROL");
    EXPECT_EQ(run({"--foto", dir + "/uno.xls"}, &out), 2);
    EXPECT_EQ(out, "");
}

// A scheduled service hands the site account's password over as a credential file
// ($CREDENTIALS_DIRECTORY/password): dati.ini names the account and its role without the
// password, and the importer logs in with the credential's.
TEST_P(ImportXlsCli, TheSiteAccountsPasswordComesAsAServiceCredential) {
    const QString account = QStringLiteral("ZIMP%1").arg(QCoreApplication::applicationPid());
    const QString user = fHost.Connection(fHost.userDb);
    {
        TIBDatabase admin;
        admin.SetDatabaseName(user);
        admin.Open();
        ExecSql(admin, "CREATE OR ALTER USER " + account + " PASSWORD 'cred2026' USING PLUGIN Srp");
    }
    const auto riprendi = qScopeGuard([&] {
        TIBDatabase admin;
        admin.SetDatabaseName(user);
        admin.Open();
        ExecSql(admin, "DROP USER " + account + " USING PLUGIN Srp");
    });
    for (const QString& c : {user, fHost.Connection(fHost.archiveDb)}) {
        zelm::sito::ApplicaRuoli(c);
        zelm::sito::AssegnaRuolo(c, zelm::sito::kOperatore, account);
    }
    {
        TIniFile ini(QFileInfo(fHost.userDb).path() + "/dati.ini");
        ini.WriteString("CONFIG", "Nome Server", qEnvironmentVariable("ZELM_TEST_SERVER"));
        ini.WriteString("CONFIG", "Alias", fHost.userDb);
        ini.WriteString("CONFIG", "Utente", account);
        ini.WriteString("CONFIG", "Password", "");
        ini.WriteString("CONFIG", "Ruolo", zelm::sito::kOperatore);
    }
    const QString dir = fFolder.Path("servizio");
    QDir().mkpath(dir);
    Scrivi(dir + "/pianificato.xls");
    QTemporaryDir state, credentials;
    const auto run = [&](const QString& password, QString* err) {
        if (!password.isNull()) {
            QFile f(credentials.path() + "/password");
            EXPECT_TRUE(f.open(QIODevice::WriteOnly));
            f.write(password.toUtf8());
        }
        QProcess p;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("XDG_STATE_HOME", state.path());
        if (!password.isNull())
            env.insert("CREDENTIALS_DIRECTORY", credentials.path());
        p.setProcessEnvironment(env);
        p.start(ZELM_IMPORT, {"--folder", fHost.root, dir});
        EXPECT_TRUE(p.waitForFinished(120000));
        *err = QString::fromUtf8(p.readAllStandardError());
        return p.exitCode();
    };
    QString err;
    EXPECT_EQ(run(QString(), &err), 2);
    EXPECT_TRUE(err.contains("Utente o password dell'archivio non accettati")) << err.toStdString();
    EXPECT_EQ(run("sbagliata", &err), 2);
    EXPECT_EQ(run("cred2026\n", &err), 0) << err.toStdString();
    EXPECT_EQ(Value("SELECT COUNT(*) FROM ZELMMODEL WHERE NOMEFILE='pianificato.xls'").toInt(), 1);
    EXPECT_EQ(run("", &err), 2);
    EXPECT_TRUE(err.contains("Credenziale vuota")) << err.toStdString();
}

// Several importers on one folder of one server archive: each workbook is stored once; the others
// find it already imported, or in use while it is being imported.
TEST_P(ImportXlsCli, SeveralImportersStoreEachWorkbookOnce) {
    for (int importers : {2, 4}) {
        SCOPED_TRACE(importers);
        const QString dir = fFolder.Path(QStringLiteral("insieme%1").arg(importers));
        QDir().mkpath(dir);
        for (int i = 0; i < 6; ++i)
            Scrivi(QStringLiteral("%1/m%2.xls").arg(dir).arg(i));
        std::vector<std::unique_ptr<QProcess>> processes;
        for (int i = 0; i < importers; ++i) {
            processes.push_back(std::make_unique<QProcess>());
            processes.back()->start(ZELM_IMPORT, {"--folder", fHost.root, dir});
        }
        QStringList lines;
        for (auto& p : processes) {
            ASSERT_TRUE(p->waitForFinished(300000));
            lines << QString::fromUtf8(p->readAllStandardOutput()).split('\n', Qt::SkipEmptyParts);
        }
        const QString where = QDir::toNativeSeparators(dir) + "/";
        EXPECT_EQ(
            Value(
                QStringLiteral("SELECT COUNT(*) FROM ZELMMODEL WHERE PERCORSOFILE='%1'").arg(where))
                .toInt(),
            6);
        EXPECT_EQ(Value(QStringLiteral("SELECT COUNT(DISTINCT NOMEFILE) FROM ZELMMODEL WHERE "
                                       "PERCORSOFILE='%1'")
                            .arg(where))
                      .toInt(),
                  6);
        EXPECT_EQ(lines.filter(QRegularExpression("^OK\t")).size(), 6)
            << lines.join('|').toStdString();
        for (const QString& line : lines)
            EXPECT_TRUE(line.startsWith("OK\t") || line.startsWith("FILE GIA ACQUISITO\t") ||
                        line.endsWith("\tFile in uso da un altro utente: la sua importazione è "
                                      "in corso"))
                << line.toStdString();
        EXPECT_EQ(Value("SELECT COUNT(*) FROM ZELMIMPXLSLOCK").toInt(), 0);
    }
}

TEST(FotoXls, ThumbnailsFitWithoutGrowing) {
    EXPECT_EQ(TFotoXls::Miniatura(Picture(600, 400, Qt::red)).size(), QSize(180, 120));
    EXPECT_EQ(TFotoXls::Miniatura(Picture(100, 50, Qt::red)).size(), QSize(100, 50));
    EXPECT_EQ(TFotoXls::Miniatura(Picture(1000, 100, Qt::red)).size(), QSize(180, 18));
}

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    QGuiApplication app(argc, argv); // image plugins (JPEG)
    return RUN_ALL_TESTS();
}
