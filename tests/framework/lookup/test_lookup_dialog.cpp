// The lookup dialog through the session's ready-made searches, on a provisioned demo folder:
// opening on a row, filtering, returning, closing, nested lookups, descriptions and pictures.
#include "framework/core/ScriptedDialogs.h"
#include "framework/core/ZavoError.h"
#include "framework/db/ConnessioniInAttesa.h"
#include "framework/db/IBDatabase.h"
#include "framework/grid/FrameZavoGrid.h"
#include "framework/grid/ZavoGrid.h"
#include "framework/grid/ZavoQuery.h"
#include "framework/lookup/RicercheZavo.h"
#include "framework/lookup/ZavoRicerca.h"
#include "framework/lookup/ZavoRicercheForm.h"
#include "framework/session/Session.h"
#include "framework/ui/FormBase.h"

#include "support/TestSupport.h"

#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {
class LookupDialog : public DemoHostTest {
protected:
    void SetUp() override {
        DemoHostTest::SetUp();
        if (IsSkipped())
            return;
        InstallaRicercheZavo();
        fArchiveDb = OpenDb("host/dati/archivio.fdb");
    }
    void TearDown() override {
        SetOnRicercaAperta({});
        fArchiveDb.reset();
    }
    /// The value of `column` on the dialog's current row.
    static QString Current(TZavoRicercheForm& f, const QString& column) {
        TZavoQuery* q = f.GridMain->Query();
        return q->Value(q->RecNo(), q->FieldIndex(column)).toString();
    }
    static QList<QString> Column(TZavoRicercheForm& f, const QString& column) {
        TZavoQuery* q = f.GridMain->Query();
        QList<QString> values;
        for (int r = 0; r < q->RecordCount(); ++r)
            values << q->Value(r, q->FieldIndex(column)).toString();
        return values;
    }
    std::unique_ptr<TIBDatabase> fArchiveDb;
};
} // namespace

TEST_P(LookupDialog, FindClienteOpensOnTheCustomerAndCancelLeavesTheCode) {
    TSession session(nullptr, 1);
    QString seen, caption;
    SetOnRicercaAperta([&](TZavoRicercheForm& f) {
        seen = Current(f, "CODICE");
        caption = f.windowTitle();
        EXPECT_EQ(f.findChild<QPushButton*>("BRAGSOC")->text(), "Rag. Soc.");
        EXPECT_NE(f.findChild<QLineEdit*>("FBDESCRIZIONESINTETICA"), nullptr);
        f.grab().save("lookup_clienti.png");
        f.ButtonChiudi->click();
    });
    QString codice = "C003";
    EXPECT_FALSE(session.Ricerche()->FindCliente(codice));
    EXPECT_EQ(codice, "C003");
    EXPECT_EQ(seen, "C003");
    EXPECT_EQ(caption, "Ricerca - Utente: Mario Rossi - Ditta: CALZATURIFICIO BRENTA");

    // A filter box, then "Ritorna" on the row found.
    SetOnRicercaAperta([&](TZavoRicercheForm& f) {
        f.findChild<QLineEdit*>("FBRAGSOC")->setText("napoli");
        f.ButtonAttivaSel->click();
        EXPECT_EQ(Column(f, "CODICE"), QList<QString>({"C002"}));
        f.ButtonRitorna->click();
    });
    codice.clear();
    EXPECT_TRUE(session.Ricerche()->FindCliente(codice));
    EXPECT_EQ(codice, "C002");
}

// One Enter in a filter box is one search (one refusal shown, not two); "Ritorna" on an empty
// list closes returning nothing; Esc keeps the placement; the current-row boxes look read-only.
TEST_P(LookupDialog, OneEnterOneSearchEmptyReturnAndEsc) {
    TSession session(nullptr, 1);
    int shown = -1;
    bool readOnlyLook = false;
    SetOnRicercaAperta([&](TZavoRicercheForm& f) {
        TScopedDialogs dialogs;
        QLineEdit* filter = f.findChild<QLineEdit*>("FBRAGSOC");
        filter->setText(QString(40000, 'x'));
        QTest::keyClick(filter, Qt::Key_Return);
        shown = static_cast<int>(dialogs->Texts().size());
        const QLineEdit* current = f.findChild<QLineEdit*>("CBRAGSOC");
        readOnlyLook =
            current->palette().color(QPalette::Base) != filter->palette().color(QPalette::Base);
        filter->setText("nessun cliente con questo nome");
        QTest::keyClick(filter, Qt::Key_Return);
        EXPECT_EQ(f.GridMain->Query()->RecordCount(), 0);
        f.ButtonRitorna->click();
    });
    QString codice = "C003";
    EXPECT_FALSE(session.Ricerche()->FindCliente(codice));
    EXPECT_EQ(shown, 1);
    EXPECT_TRUE(readOnlyLook);

    // Esc: the placement is stored as on any other close.
    SetOnRicercaAperta([&](TZavoRicercheForm& f) {
        f.resize(937, 511);
        QTest::keyClick(&f, Qt::Key_Escape);
    });
    EXPECT_FALSE(session.Ricerche()->FindCliente(codice));
    // (the stored size is the frame's, a few pixels more than the client area)
    EXPECT_EQ(QueryValue(*fArchiveDb, "SELECT COUNT(*) FROM STOPOS1 WHERE DIMX >= 937").toInt(), 1);
}

TEST_P(LookupDialog, FindZelmModelNeverOffersASuspendedSheetAndSearchesNumbersAsText) {
    for (int id : {12, 112, 120, 13})
        ExecSql(*fArchiveDb,
                QString("INSERT INTO ZELMMODEL (ID, IDMODEL, IDVARIANTE, STATUSSCHEDA) "
                        "VALUES (%1, %1, 0, 'InPreparazione')")
                    .arg(id));
    ExecSql(*fArchiveDb, "INSERT INTO ZELMMODEL (ID, IDMODEL, IDVARIANTE, STATUSSCHEDA) VALUES "
                         "(121, 121, 0, 'Sospesa')");
    TSession session(nullptr, 1);
    SetOnRicercaAperta([&](TZavoRicercheForm& f) {
        EXPECT_FALSE(Column(f, "STATUSSCHEDA").contains("Sospesa"));
        f.findChild<QLineEdit*>("FBID")->setText("12");
        QTest::keyClick(f.findChild<QLineEdit*>("FBID"), Qt::Key_Return);
        QList<QString> ids = Column(f, "ID");
        std::sort(ids.begin(), ids.end());
        EXPECT_EQ(ids, QList<QString>({"112", "12", "120"}));
        f.grab().save("lookup_schede.png");
        f.ButtonRitorna->click();
    });
    int id = 0;
    EXPECT_TRUE(session.Ricerche()->FindZelmModel(id));
    EXPECT_TRUE(id == 12 || id == 112 || id == 120) << id;
}

TEST_P(LookupDialog, DescriptionsPicturesAndANestedLookupCancelled) {
    const QString picture = fFolder.Path("modello.png");
    QImage image(120, 80, QImage::Format_RGB32);
    image.fill(Qt::darkCyan);
    image.save(picture);
    ExecSql(*fArchiveDb, QString("UPDATE ZELMMODEL SET PERCORSOFILE='%1'").arg(picture));
    TZavoRicerca r;
    r.NomeTabella = "ZELMMODEL";
    r.CodiceProgetto = 537;
    r.SituazioneZavoGrid = 70;
    r.SituazioneForm = 71;
    r.CampoFoto = "PERCORSOFILE";
    r.CampoFile = "CODICECLIENTE"; // both a nested lookup and the file field: both buttons
    TZavoCampoRic* cliente = r.CampiRic.New("CODICECLIENTE", "Cliente");
    cliente->Decodifica = std::make_unique<TZavoDecodifica>();
    cliente->Decodifica->Etichetta = "Ragione sociale";
    cliente->Decodifica->TabellaCol = "CLIENTI";
    cliente->Decodifica->CampoCol = "CODICE";
    cliente->Decodifica->CampoDec = "RAGSOC";
    cliente->RicercaSecLiv = std::make_unique<TZavoRicercaSecLiv>();
    cliente->RicercaSecLiv->NomeTabella = "CLIENTI";
    cliente->RicercaSecLiv->CampiRic.New("CODICE");
    cliente->RicercaSecLiv->CampiRitorno << "CODICE";
    r.CampiRitorno << "ID"
                   << "CODICECLIENTE";
    int opened = 0;
    QString description, filterDescription, afterCancel;
    bool pictureShown = false;
    SetOnRicercaAperta([&](TZavoRicercheForm& f) {
        if (++opened == 2) { // the nested lookup, cancelled
            f.ButtonChiudi->click();
            return;
        }
        description = f.findChild<QLineEdit*>("IRCBCODICECLIENTE")->text();
        EXPECT_NE(f.findChild<QPushButton*>("BRICCODICECLIENTE"), nullptr);
        EXPECT_NE(f.findChild<QPushButton*>("BCCODICECLIENTE"), nullptr);
        pictureShown = !f.ImagePreview->pixmap().isNull();
        QLineEdit* box = f.findChild<QLineEdit*>("FBCODICECLIENTE");
        box->setText("C003'");
        filterDescription = f.findChild<QLineEdit*>("IFFBCODICECLIENTE")->text();
        box->setText("C003");
        EXPECT_EQ(f.findChild<QLineEdit*>("IFFBCODICECLIENTE")->text(), "L'Eleganza di Firenze");
        f.grab().save("lookup_descrizione.png");
        f.findChild<QPushButton*>("BRICCODICECLIENTE")->click();
        afterCancel = box->text();
        f.ButtonRitorna->click();
    });
    QString result;
    TScopedDialogs dialogs;
    EXPECT_TRUE(EseguiRicerca(r, 1, result));
    EXPECT_EQ(opened, 2);
    EXPECT_EQ(description, "Boutique Milano Moda S.r.l."); // first sheet's customer C001
    EXPECT_TRUE(pictureShown);
    EXPECT_EQ(filterDescription, ""); // a quote is just a character that matches nothing
    EXPECT_TRUE(dialogs->shown.empty()) << dialogs->Texts().join(' ').toStdString();
    EXPECT_EQ(afterCancel, "");
    EXPECT_TRUE(result.contains(';')) << result.toStdString(); // "ID;CODICECLIENTE"
}

TEST_P(LookupDialog, AMissingArchiveFailsTheLookupAndLeavesNoFile) {
    TIBDatabase user;
    user.SetDatabaseName(fHost.userDb); // the host's user database is local
    user.Open();
    const QString missing = fFolder.Path("host/dati/sparito.fdb");
    ExecSql(user, QString("UPDATE TABTREBON SET VALORE='%1' WHERE UTENTE=1 AND "
                          "PARAMETRO='Archivio'")
                      .arg(fPrefix + missing));
    user.Close();
    TZavoRicerca r;
    r.NomeTabella = "CLIENTI";
    QString result = "prima";
    try {
        EseguiRicerca(r, 1, result);
        ADD_FAILURE() << "the lookup opened";
    } catch (const EZavoError& e) {
        EXPECT_TRUE(e.Message().startsWith("Errore apertura archivio")) << e.what();
    }
    EXPECT_FALSE(QFileInfo::exists(missing));
}

ZELM_DB_MODES(LookupDialog);

// What a lookup returns and shows of a date: the short date the user types, not ISO text.
TEST(LookupValues, DatesAsShortDates) {
    EXPECT_EQ(TestoValore(QDate(2026, 8, 15)), "15/08/2026");
    EXPECT_EQ(TestoValore(QDateTime(QDate(2026, 8, 15), QTime(0, 0))), "15/08/2026");
    EXPECT_EQ(TestoValore(QDateTime(QDate(2026, 8, 15), QTime(9, 5, 7))), "15/08/2026 09:05:07");
    EXPECT_EQ(TestoValore(QVariant()), "");
    EXPECT_EQ(TestoValore(42), "42");
}

// A closed lookup leaves its connections for the next one, which still sees what others
// changed meanwhile: rows and columns alike.
TEST_P(LookupDialog, TheNextLookupTakesTheConnectionsLeftAndSeesChangesMadeMeanwhile) {
    TSession session(nullptr, 1);
    ConnessioniInAttesa::Chiudi();
    qint64 connection = 0;
    int noteColumn = -1;
    QList<QString> codes;
    SetOnRicercaAperta([&](TZavoRicercheForm& f) {
        TZavoQuery* q = f.GridMain->Query();
        connection =
            QueryValue(*q->Database(), "SELECT CURRENT_CONNECTION FROM RDB$DATABASE").toLongLong();
        noteColumn = q->FieldIndex("NOTA");
        codes = Column(f, "CODICE");
        f.ButtonChiudi->click();
    });
    QString codice;
    session.Ricerche()->FindCliente(codice);
    const qint64 first = connection;
    EXPECT_EQ(ConnessioniInAttesa::Quante(), 2); // the user database and the archive
    ExecSql(*fArchiveDb, "ALTER TABLE CLIENTI ADD NOTA VARCHAR(20)");
    ExecSql(*fArchiveDb,
            "INSERT INTO CLIENTI (CODICE, RAGSOC, NOTA) VALUES ('C999', 'Nuovo', 'n')");
    session.Ricerche()->FindCliente(codice);
    EXPECT_EQ(connection, first);
    EXPECT_TRUE(codes.contains("C999"));
    EXPECT_GE(noteColumn, 0);
    // Closed, they are opened anew.
    ConnessioniInAttesa::Chiudi();
    EXPECT_EQ(ConnessioniInAttesa::Quante(), 0);
    session.Ricerche()->FindCliente(codice);
    EXPECT_NE(connection, first);

    // They wait while a window of ours is open; the last one closed frees the databases.
    {
        TFormBase first(1, 0);
        {
            TFormBase second(1, 0);
            session.Ricerche()->FindCliente(codice);
        }
        EXPECT_EQ(ConnessioniInAttesa::Quante(), 2);
    }
    EXPECT_EQ(ConnessioniInAttesa::Quante(), 0);
}

// The archive a lookup opens in the background is the one its parameter named last time; when
// the parameter names another archive now, the lookup opens that one.
TEST_P(LookupDialog, AnArchiveParameterChangedBetweenLookupsIsFollowed) {
    if (GetParam() == DbMode::Server)
        GTEST_SKIP() << "the user database is the host's own file: embedded only";
    TSession session(nullptr, 1);
    const THostFolder other = ProvisionHostFolder(fFolder.Path("altro"));
    {
        auto db = OpenDb("altro/dati/archivio.fdb");
        ExecSql(*db, "UPDATE CLIENTI SET RAGSOC='Altro archivio' WHERE CODICE='C003'");
    }
    QStringList seen;
    SetOnRicercaAperta([&](TZavoRicercheForm& f) {
        seen << Current(f, "RAGSOC");
        f.ButtonChiudi->click();
    });
    QString codice = "C003";
    session.Ricerche()->FindCliente(codice); // the archive is remembered
    session.Ricerche()->FindCliente(codice); // opened in the background
    ExecSql(*OpenDb("host/user/user.fdb"),
            QString("UPDATE TABTREBON SET VALORE='%1' WHERE UTENTE=1 AND PARAMETRO='Archivio'")
                .arg(other.Connection(other.archiveDb)));
    session.Ricerche()->FindCliente(codice);
    ASSERT_EQ(seen.size(), 3);
    EXPECT_EQ(seen[0], seen[1]);
    EXPECT_NE(seen[1], "Altro archivio");
    EXPECT_EQ(seen[2], "Altro archivio");
}
