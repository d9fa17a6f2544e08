#include "GridDemo.h"

#include "framework/grid/FrameZavoGrid.h"
#include "framework/grid/ZavoGrid.h"
#include "framework/session/Session.h"
#include "framework/session/ZavoUser.h"

#include <QCloseEvent>
#include <QLabel>
#include <QVBoxLayout>
#include <QWidget>

namespace {
/// The configurable grid over the demo model sheets, in the frame every list of the product uses.
class TGridDemo : public QWidget {
public:
    explicit TGridDemo(int utente) : fSession(this, utente) {
        setAttribute(Qt::WA_DeleteOnClose);
        setWindowTitle(QStringLiteral("Griglia schede modelli - Utente: %1")
                           .arg(fSession.ZavoUser()->NomeUtente()));
        fFrame = new TFrameZavoGrid(this);
        fFrame->SetSession(&fSession);
        fFrame->SetTableName(QStringLiteral("ZELMMODEL"));
        fFrame->SetSituazione(90);
        fFrame->SQL = QStringList{
            "SELECT ZELMMODEL.ID, ZELMMODEL.QRCODE, ZELMMODEL.CODICE, ZELMMODEL.MODELLO, "
            "ZELMMODEL.SIGLACLIENTE, ZELMMODEL.STAGIONE, ZELMMODEL.STATUSSCHEDA, "
            "ZELMMODEL.DATA",
            "FROM ZELMMODEL"};
        fFrame->ZavoGrid()->CheckTabZavoGrid();
        auto* hint = new QLabel(QStringLiteral("Doppio clic sul titolo: ordina (Ctrl: più colonne) "
                                               "- F5 ricerca, F6 annulla, F9 dimezza, tasto "
                                               "destro: menu"),
                                this);
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(fFrame);
        layout->addWidget(hint);
        resize(900, 420);
        fFrame->Open();
    }

    // The list goes before the session its query runs on.
    ~TGridDemo() override { delete fFrame; }

protected:
    void closeEvent(QCloseEvent* event) override {
        fFrame->Close();
        event->accept();
    }

private:
    TSession fSession;
    TFrameZavoGrid* fFrame = nullptr;
};
} // namespace

QWidget* ShowGridDemo(int utente) {
    auto* w = new TGridDemo(utente);
    w->show();
    return w;
}
