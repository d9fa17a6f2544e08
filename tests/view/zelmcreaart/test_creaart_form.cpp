// The article creation window as a user drives it, on the demo archive: the model and customer
// picks, the proposed code, the customer typed, "Crea" with its question and messages.
#include "control/ZelmCreaArtService.h"
#include "framework/core/ScriptedDialogs.h"
#include "framework/db/IBDatabase.h"
#include "framework/session/Ricerche.h"
#include "framework/session/Session.h"
#include "view/zelmcreaart/ZelmCreaArtForm.h"

#include "support/TestSupport.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {
/// Lookups answering with chosen keys (empty: cancelled).
class TPicks : public TRicerche {
public:
    using TRicerche::TRicerche;
    static inline QString cliente;
    static inline int modello = 0;
    bool FindCliente(QString& codice) override {
        if (cliente.isEmpty())
            return false;
        codice = cliente;
        return true;
    }
    bool FindZelmModel(int& id) override {
        if (modello == 0)
            return false;
        id = modello;
        return true;
    }
};
} // namespace

class CreaArtForm : public DemoHostTest {
protected:
    void SetUp() override {
        DemoHostTest::SetUp();
        if (IsSkipped())
            return;
        InstallaRicerche([](QObject* owner) { return new TPicks(owner); });
        TPicks::cliente.clear();
        TPicks::modello = 0;
        fArchive.SetDatabaseName(fHost.Connection(fHost.archiveDb));
        fArchive.Open();
    }
    void TearDown() override {
        delete fForm.data();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        if (fArchive.Connected())
            fArchive.Close();
    }
    TFormZelmCreaArt& Open() {
        fForm = new TFormZelmCreaArt(1, 1);
        fForm->show();
        QCoreApplication::processEvents();
        return *fForm;
    }
    /// Picks model `id` through the lookup.
    void Modello(TFormZelmCreaArt& f, int id) {
        TPicks::modello = id;
        f.ButtonSelezModello->click();
    }
    static void Numerata(TFormZelmCreaArt& f, const QString& descrizione) {
        f.ComboNumerataOperativa->setCurrentIndex(
            f.ComboNumerataOperativa->findText(descrizione, Qt::MatchStartsWith));
    }
    QVariant Value(const QString& sql) { return QueryValue(fArchive, sql); }

    TScopedDialogs fDialogs;
    TIBDatabase fArchive;
    QPointer<TFormZelmCreaArt> fForm;
};
INSTANTIATE_TEST_SUITE_P(, CreaArtForm, ::testing::Values(DbMode::Embedded), DbModeName);

TEST_P(CreaArtForm, ShownEmptyWithBothLists) {
    TFormZelmCreaArt& f = Open();
    EXPECT_EQ(f.windowTitle(), "Creazione articoli - Ditta: CALZATURIFICIO BRENTA - Utente: Mario "
                               "Rossi");
    EXPECT_EQ(f.LabelId->text(), "-");
    EXPECT_EQ(f.EditCodice->text(), "");
    EXPECT_EQ(f.ComboLissaColore->itemText(0), "F100       - Forma 100 punta tonda");
    EXPECT_GE(f.ComboNumerataOperativa->findText("D35-42     - Numerata donna 35-42"), 0);
    EXPECT_EQ(f.EditCodiceArticolo->maxLength(), 20);
    EXPECT_EQ(f.EditFondoDescrizione->maxLength(), 100);
    EXPECT_EQ(f.EditFormaArticolo->maxLength(), 15);
    EXPECT_EQ(f.EditCodiceCliente->maxLength(), 10);
}

TEST_P(CreaArtForm, ProposedArticleCodes) {
    ExecSql(fArchive, "UPDATE ZELMMODEL SET CODICE='MOD 12', FORMA='F 33' WHERE ID=1");
    ExecSql(fArchive, "UPDATE ZELMMODEL SET CODICE='MOD 12', FORMA=NULL, LAVORAZIONE='LAV' "
                      "WHERE ID=2");
    ExecSql(fArchive, "UPDATE ZELMMODEL SET CODICE='MOD 12', FORMA=NULL, LAVORAZIONE=NULL "
                      "WHERE ID=6");
    TFormZelmCreaArt& f = Open();
    const struct {
        int id;
        QString code;
    } cases[] = {{1, "MOD-12-F-33"}, {2, "MOD-12-LAV"}, {6, "MOD-12-?"}};
    for (const auto& c : cases) {
        Modello(f, c.id);
        EXPECT_EQ(f.EditCodiceArticolo->text(), c.code);
        EXPECT_EQ(f.LabelId->text(), QString::number(c.id));
    }
    // The model's customer came with the first pick and stays.
    EXPECT_EQ(f.EditCodiceCliente->text(), "C001");
    EXPECT_EQ(f.EditSiglaCliente->text(), "MILANO MODA");
    // A cancelled pick keeps the model.
    TPicks::modello = 0;
    f.ButtonSelezModello->click();
    EXPECT_EQ(f.LabelId->text(), "6");
    ASSERT_NE(f.Model(), nullptr);
}

TEST_P(CreaArtForm, CreateWithAPickedModelAndCustomer) {
    TFormZelmCreaArt& f = Open();
    Modello(f, 4); // model 3 variant 1, customer C003
    EXPECT_EQ(f.LabelIdVariante->text(), "1");
    EXPECT_EQ(f.LabelDataVariante->text(), "20/10/2026");
    TPicks::cliente = "C005";
    f.ButtonCliente->click();
    EXPECT_EQ(f.EditSiglaCliente->text(), "TORINO PASSI");
    f.EditFondoDescrizione->setText("Stivaletto Arno in vitello");
    Numerata(f, "D35-42");
    f.ComboLissaColore->setCurrentIndex(1);
    QDir().mkpath(ZELM_SCREENSHOT_DIR);
    f.grab().save(ZELM_SCREENSHOT_DIR "/creaart.png");

    fDialogs->answers = {false};
    f.ButtonCrea->click();
    EXPECT_EQ(fDialogs->Texts(), QStringList{"Effettuare la creazione dell'articolo nelle varie "
                                             "taglie previste dalla numerata operativa?"});
    EXPECT_EQ(Value("SELECT COUNT(*) FROM ANAMAG WHERE CODICE='STI-303-F100'").toInt(), 0);

    fDialogs->Clear();
    fDialogs->answers = {true};
    f.ButtonCrea->click();
    EXPECT_EQ(fDialogs->Texts().last(), "Operazione effettuata");
    EXPECT_EQ(Value("SELECT COUNT(*) || '|' || MIN(CLIENTE) || '|' || MIN(CLASSIFICAZIONE1) || "
                    "'|' || MIN(DESCRIZIONE1) FROM ANAMAG WHERE CODICE='STI-303-F100'")
                  .toString(),
              "8|C005|F200|Stivaletto Arno in vitello");
    // The fields stay: the same creation again is refused.
    fDialogs->Clear();
    f.ButtonCrea->click();
    EXPECT_EQ(fDialogs->Texts(), QStringList{"Operazione non consentita\r\nCodice articolo "
                                             "\"STI-303-F100\" già presente"});
}

TEST_P(CreaArtForm, TypedCustomerAndMissingNumbering) {
    TFormZelmCreaArt& f = Open();
    Modello(f, 6);
    f.EditCodiceCliente->clear();
    QTest::keyClicks(f.EditCodiceCliente, "C002");
    EXPECT_TRUE(f.TimerCliente->isActive());
    QTest::qWait(350);
    EXPECT_EQ(f.EditSiglaCliente->text(), "NAPOLI CALZ");
    EXPECT_EQ(f.EditRagSocCliente->text(), "Calzature Napoli S.p.A.");
    f.EditCodiceCliente->clear();
    QTest::keyClicks(f.EditCodiceCliente, "C999");
    QTest::qWait(350);
    EXPECT_EQ(f.EditSiglaCliente->text(), "");
    EXPECT_EQ(f.Cliente(), nullptr);

    f.ButtonCrea->click(); // no numbering chosen
    EXPECT_EQ(fDialogs->Texts(),
              QStringList{"Operazione non consentita\r\nNumerata operativa non specificata"});
    fDialogs->Clear();
    Numerata(f, "U36-44");
    fDialogs->answers = {true};
    f.ButtonCrea->click(); // an unknown customer code: created without a customer
    EXPECT_EQ(fDialogs->Texts().last(), "Operazione effettuata");
    EXPECT_EQ(Value("SELECT COUNT(*) || '|' || COALESCE(MAX(CLIENTE), '-') FROM ANAMAG WHERE "
                    "CODICE='SAN-505-F100'")
                  .toString(),
              "17|-"); // U36-44 has 17 sizes, half sizes included
}

TEST_P(CreaArtForm, ModalUseAnswersOkOrCancel) {
    auto session = std::make_unique<TSession>(nullptr, 1);
    {
        TFormZelmCreaArt f(nullptr, session.get());
        QTimer::singleShot(0, [&] { f.ButtonChiudi->click(); });
        EXPECT_EQ(f.EseguiModale(), TFormZelmCreaArt::mrCancel);
    }
    {
        TFormZelmCreaArt f(nullptr, session.get());
        fDialogs->answers = {true};
        QTimer::singleShot(0, [&] {
            Modello(f, 1);
            Numerata(f, "D35-42");
            f.ButtonCrea->click();
        });
        EXPECT_EQ(f.EseguiModale(), TFormZelmCreaArt::mrOk);
        EXPECT_TRUE(fDialogs->Texts().filter("Operazione effettuata").isEmpty());
    }
    EXPECT_EQ(Value("SELECT COUNT(*) FROM ANAMAG WHERE CODICE='DEC-101-F100'").toInt(), 8);
}
