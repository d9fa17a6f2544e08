#include "GridDemo.h"

#include "framework/grid/ZavoGrid.h"
#include "framework/grid/ZavoQuery.h"
#include "framework/session/Session.h"
#include "framework/session/ZavoUser.h"

#include <QCloseEvent>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

namespace {
/// Owner of the list: keeps the grid's contract (fresh SQL before each open, layout saved before
/// each close).
class TGridDemo : public QWidget {
public:
    explicit TGridDemo(int utente) : fSession(this, utente) {
        setAttribute(Qt::WA_DeleteOnClose);
        setWindowTitle(QStringLiteral("Griglia schede modelli - Utente: %1")
                           .arg(fSession.ZavoUser()->NomeUtente()));
        fQuery.SetDatabase(&fSession.IBDatabase());
        fQuery.BeforeOpen = [this] {
            if (fGrid->RicercaInCorso)
                return;
            const QStringList base{
                "SELECT ZELMMODEL.ID, ZELMMODEL.QRCODE, ZELMMODEL.CODICE, ZELMMODEL.MODELLO, "
                "ZELMMODEL.SIGLACLIENTE, ZELMMODEL.STAGIONE, ZELMMODEL.STATUSSCHEDA, "
                "ZELMMODEL.DATA",
                "FROM ZELMMODEL"};
            fQuery.SQL = base;
            fGrid->SQLIniziale = base;
            fGrid->RecuperaAspettodaStorico();
        };
        fGrid = new TZavoGrid(this);
        fGrid->CodiceProgetto = 537;
        fGrid->SetSituazione(90);
        fGrid->Utente = fSession.ZavoUser()->CodiceUtente();
        fGrid->NomeTabellaQuery = QStringLiteral("ZELMMODEL");
        fGrid->NomeProgetto = fSession.ZavoUser()->DittaUtente();
        fGrid->TabellaPiccola = true;
        fGrid->DatabaseImpostazioni = &fSession.IBDatabase();
        fGrid->CheckTabZavoGrid();
        fGrid->SetSorgenteDati(&fQuery);
        auto* hint = new QLabel(QStringLiteral("Doppio clic sul titolo: ordina (Ctrl: più colonne) "
                                               "- F5 ricerca, F6 annulla, F9 dimezza, tasto "
                                               "destro: menu"),
                                this);
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(fGrid);
        layout->addWidget(hint);
        resize(900, 420);
        fQuery.Open();
    }

protected:
    void closeEvent(QCloseEvent* event) override {
        if (!fGrid->RicercaInCorso && !fGrid->RecuperoAspettoBaseInCorso)
            fGrid->SalvaAspettoSuStorico();
        fQuery.Close();
        event->accept();
    }

private:
    TSession fSession;
    TZavoQuery fQuery;
    TZavoGrid* fGrid = nullptr;
};
} // namespace

QWidget* ShowGridDemo(int utente) {
    auto* w = new TGridDemo(utente);
    w->show();
    return w;
}
