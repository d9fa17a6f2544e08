#include "ZelmCreaArtForm.h"

#include "control/ZelmCreaArtService.h"
#include "framework/core/Dialogs.h"
#include "framework/core/ScopeExit.h"
#include "framework/core/SlotGuard.h"
#include "framework/session/Ricerche.h"
#include "framework/session/Session.h"
#include "framework/session/ZavoUser.h"
#include "framework/ui/DataModuleQuenvar.h"
#include "framework/ui/FrameDlg.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QEventLoop>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {
QString Voce(const TClassificazioneData& c) {
    return QStringLiteral("%1 - %2").arg(c.Descrizione().leftJustified(10, QLatin1Char(' ')),
                                         c.Descrizione1());
}
} // namespace

TFormZelmCreaArt::TFormZelmCreaArt(int utente, int idFinestra) : TFormBase(utente, idFinestra) {
    Build();
}

TFormZelmCreaArt::TFormZelmCreaArt(QWidget* owner, TSession* session) : TFormBase(owner, session) {
    Build();
}

// The service uses the session's connection: it goes before the session does.
TFormZelmCreaArt::~TFormZelmCreaArt() {
    fService.reset();
}

QString TFormZelmCreaArt::GetTitolo() const {
    return QStringLiteral("Creazione articoli - Ditta: %1 - Utente: %2")
        .arg(FSession->ZavoUser()->DittaUtente(), FSession->ZavoUser()->NomeUtente());
}

void TFormZelmCreaArt::Build() {
    setObjectName(QStringLiteral("FormZelmCreaArt"));
    resize(760, 420);
    auto image = [](QPushButton* b, int index) {
        if (TDataModuleQuenvar* dm = DataModuleQuenvar())
            b->setIcon(dm->Icon(index));
    };
    auto button = [&](const char* name, const QString& caption) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QLatin1String(name));
        return b;
    };
    // Buttons that only name their field: flat, no focus.
    auto caption = [&](const QString& text) {
        auto* b = new QPushButton(text, this);
        b->setFlat(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setMinimumWidth(140);
        b->setStyleSheet(QStringLiteral("text-align: left;"));
        return b;
    };
    auto edit = [&](const char* name, int maxLength, bool readOnly) {
        auto* e = new QLineEdit(this);
        e->setObjectName(QLatin1String(name));
        if (maxLength > 0)
            e->setMaxLength(maxLength);
        if (readOnly) {
            e->setReadOnly(true);
            e->setFocusPolicy(Qt::NoFocus);
            QPalette p = e->palette();
            p.setColor(QPalette::Base, p.color(QPalette::Window));
            e->setPalette(p);
        }
        return e;
    };
    auto value = [&](const char* name) {
        auto* l = new QLabel(QStringLiteral("-"), this);
        l->setObjectName(QLatin1String(name));
        l->setMinimumWidth(50);
        return l;
    };

    ButtonSelezModello = button("ButtonSelezModello", QStringLiteral("Selez. modello"));
    image(ButtonSelezModello, 5);
    LabelId = value("LabelId");
    LabelIdModel = value("LabelIdModel");
    LabelIdVariante = value("LabelIdVariante");
    LabelDataVariante = value("LabelDataVariante");
    LabelDataVariante->setMinimumWidth(90);
    EditCliente = edit("EditCliente", 0, true);
    EditLavorazione = edit("EditLavorazione", 0, true);
    EditCodice = edit("EditCodice", 0, true);
    EditForma = edit("EditForma", 0, true);
    EditTacco = edit("EditTacco", 0, true);
    EditPlato = edit("EditPlato", 0, true);
    EditData = edit("EditData", 0, true);
    EditCodiceArticolo = edit("EditCodiceArticolo", 20, false);
    EditCodiceCliente = edit("EditCodiceCliente", 10, false);
    ButtonCliente = button("ButtonCliente", QStringLiteral("Cliente"));
    ButtonCliente->setMinimumWidth(140);
    EditSiglaCliente = edit("EditSiglaCliente", 0, true);
    EditRagSocCliente = edit("EditRagSocCliente", 0, true);
    EditFondoDescrizione = edit("EditFondoDescrizione", 100, false);
    EditFormaArticolo = edit("EditFormaArticolo", 15, false);
    ComboNumerataOperativa = new QComboBox(this);
    ComboNumerataOperativa->setObjectName(QStringLiteral("ComboNumerataOperativa"));
    ComboLissaColore = new QComboBox(this);
    ComboLissaColore->setObjectName(QStringLiteral("ComboLissaColore"));
    for (QComboBox* c : {ComboNumerataOperativa, ComboLissaColore})
        c->setMinimumWidth(320);
    ButtonCrea = button("ButtonCrea", QStringLiteral("Crea"));
    image(ButtonCrea, 16);
    ButtonChiudi = button("ButtonChiudi", QStringLiteral("Chiudi"));
    image(ButtonChiudi, 10);

    // --- the model
    auto* modello = new QGroupBox(this);
    auto* ids = new QHBoxLayout;
    ids->addWidget(ButtonSelezModello);
    ids->addSpacing(12);
    for (auto [label, v] : {std::pair{"ID:", LabelId}, std::pair{"ID Model:", LabelIdModel},
                            std::pair{"Variante:", LabelIdVariante}}) {
        auto* l = new QLabel(QLatin1String(label), modello);
        l->setStyleSheet(QStringLiteral("font-weight: bold;"));
        ids->addWidget(l);
        ids->addWidget(v);
    }
    ids->addWidget(LabelDataVariante);
    ids->addStretch();
    auto* boxes = new QGridLayout;
    int column = 0;
    for (auto [text, e] :
         {std::pair{"Cliente", EditCliente}, std::pair{"Lavorazione", EditLavorazione},
          std::pair{"Codice", EditCodice}, std::pair{"Forma", EditForma},
          std::pair{"Tacco", EditTacco}, std::pair{"Plato", EditPlato},
          std::pair{"Data", EditData}}) {
        boxes->addWidget(new QLabel(QLatin1String(text), modello), 0, column);
        boxes->addWidget(e, 1, column++);
    }
    auto* modelloLayout = new QVBoxLayout(modello);
    modelloLayout->addLayout(ids);
    modelloLayout->addLayout(boxes);

    // --- the article
    auto* articolo = new QGridLayout;
    articolo->addWidget(caption(QStringLiteral("Codice articolo")), 0, 0);
    articolo->addWidget(EditCodiceArticolo, 0, 1);
    articolo->addWidget(ButtonCliente, 1, 0);
    auto* cliente = new QHBoxLayout;
    cliente->addWidget(EditCodiceCliente);
    cliente->addWidget(EditSiglaCliente);
    cliente->addWidget(EditRagSocCliente, 2);
    articolo->addLayout(cliente, 1, 1);
    articolo->addWidget(caption(QStringLiteral("Fondo / Descrizione")), 2, 0);
    articolo->addWidget(EditFondoDescrizione, 2, 1);
    articolo->addWidget(caption(QStringLiteral("Forma")), 3, 0);
    articolo->addWidget(EditFormaArticolo, 3, 1, Qt::AlignLeft);
    articolo->addWidget(caption(QStringLiteral("Numerata operativa")), 4, 0);
    articolo->addWidget(ComboNumerataOperativa, 4, 1, Qt::AlignLeft);
    articolo->addWidget(caption(QStringLiteral("Lissa / Colore")), 5, 0);
    articolo->addWidget(ComboLissaColore, 5, 1, Qt::AlignLeft);
    EditFormaArticolo->setFixedWidth(160);
    EditCodiceCliente->setFixedWidth(100);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ButtonCrea);
    buttons->addWidget(ButtonChiudi);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(modello);
    layout->addLayout(articolo);
    layout->addStretch();
    layout->addLayout(buttons);

    TimerCliente = new QTimer(this);
    TimerCliente->setObjectName(QStringLiteral("TimerCliente"));
    TimerCliente->setInterval(200);
    TimerCliente->setSingleShot(true);
    connect(TimerCliente, &QTimer::timeout, this, Guarded([this] { CaricaCliente(); }));
    connect(EditCodiceCliente, &QLineEdit::textEdited, this, [this] {
        fCliente.reset();
        MostraCliente();
        TimerCliente->start();
    });
    connect(ButtonSelezModello, &QPushButton::clicked, this,
            Guarded([this] { SelezionaModello(); }));
    connect(ButtonCliente, &QPushButton::clicked, this, Guarded([this] { RicercaCliente(); }));
    connect(ButtonCrea, &QPushButton::clicked, this, Guarded([this] { Crea(); }));
    connect(ButtonChiudi, &QPushButton::clicked, this, Guarded([this] { Termina(mrCancel); }));
}

void TFormZelmCreaArt::FormShow() {
    TFormBase::FormShow();
    if (fService)
        return;
    fModel.reset();
    fCliente.reset();
    MostraModello();
    MostraCliente();
    fService = std::make_unique<TZelmCreaArtService>();
    fService->SetSession(FSession);
    fService->StartTransaction();
    TScopeExit end([this] { fService->EndTransaction(false); });
    fLissaColore = fService->LoadLissaColoreList();
    fNumerate = fService->LoadNumerataOperativa();
    ComboLissaColore->clear();
    for (int i = 0; i < fLissaColore->Count(); ++i)
        ComboLissaColore->addItem(Voce(*fLissaColore->Items(i)));
    ComboNumerataOperativa->clear();
    for (int i = 0; i < fNumerate->Count(); ++i)
        ComboNumerataOperativa->addItem(Voce(*fNumerate->Items(i)));
    ComboLissaColore->setCurrentIndex(-1);
    ComboNumerataOperativa->setCurrentIndex(-1);
}

void TFormZelmCreaArt::MostraModello() {
    const TZelmModelData* m = fModel.get();
    LabelId->setText(m ? QString::number(m->Id()) : QStringLiteral("-"));
    LabelIdModel->setText(m ? QString::number(m->IdModel()) : QStringLiteral("-"));
    LabelIdVariante->setText(!m                     ? QStringLiteral("-")
                             : m->IdVariante() == 0 ? QString()
                                                    : QString::number(m->IdVariante()));
    auto data = [](const QDate& d) {
        return d.isValid() ? d.toString(QStringLiteral("dd/MM/yyyy")) : QString();
    };
    LabelDataVariante->setText(m ? data(m->DataVariante()) : QString());
    EditCliente->setText(m ? m->SiglaCliente() : QString());
    EditLavorazione->setText(m ? m->Lavorazione() : QString());
    EditCodice->setText(m ? m->Codice() : QString());
    EditForma->setText(m ? m->Forma() : QString());
    EditTacco->setText(m ? m->Tacco() : QString());
    EditPlato->setText(m ? m->Plato() : QString());
    EditData->setText(m ? data(m->Data()) : QString());
}

void TFormZelmCreaArt::MostraCliente() {
    EditSiglaCliente->setText(fCliente ? fCliente->DescrizioneSintetica() : QString());
    QString ragSoc = fCliente ? fCliente->RagSoc() : QString();
    ragSoc.replace(QStringLiteral("\r\n"), QStringLiteral(" "));
    ragSoc.replace(QLatin1Char('\n'), QLatin1Char(' '));
    ragSoc.replace(QLatin1Char('\r'), QLatin1Char(' '));
    EditRagSocCliente->setText(ragSoc);
}

void TFormZelmCreaArt::SelezionaModello() {
    int id = fModel ? fModel->Id() : 0;
    // A cancelled pick keeps the model in view, and the one the creation uses.
    if (!FSession->Ricerche()->FindZelmModel(id))
        return;
    fModel.reset();
    fService->StartTransaction();
    TScopeExit end([this] { fService->EndTransaction(false); });
    fModel = fService->LoadZelmModel(id);
    MostraModello();
    if (!fModel)
        return;
    if (!fModel->CodiceCliente().isEmpty() && !fCliente) {
        fCliente = fService->LoadCliente(fModel->CodiceCliente());
        if (fCliente)
            EditCodiceCliente->setText(fCliente->Codice());
        MostraCliente();
    }
    const QString seconda = !fModel->Forma().isEmpty()         ? fModel->Forma()
                            : !fModel->Lavorazione().isEmpty() ? fModel->Lavorazione()
                                                               : QStringLiteral("?");
    EditCodiceArticolo->setText(QStringLiteral("%1-%2")
                                    .arg(fModel->Codice(), seconda)
                                    .replace(QLatin1Char(' '), QLatin1Char('-')));
    EditFormaArticolo->setText(fModel->Forma());
}

void TFormZelmCreaArt::RicercaCliente() {
    QString codice = fCliente ? fCliente->Codice() : EditCodiceCliente->text();
    if (!FSession->Ricerche()->FindCliente(codice))
        return;
    TimerCliente->stop();
    EditCodiceCliente->setText(codice);
    CaricaCliente();
}

void TFormZelmCreaArt::CaricaCliente() {
    TimerCliente->stop();
    fCliente.reset();
    const QString codice = EditCodiceCliente->text();
    if (!codice.isEmpty()) {
        fService->StartTransaction();
        TScopeExit end([this] { fService->EndTransaction(false); });
        fCliente = fService->LoadCliente(codice);
    }
    MostraCliente();
}

void TFormZelmCreaArt::Crea() {
    std::unique_ptr<TFrameDlg> overlay(
        TFrameDlg::BuildFrameDlg(this, QStringLiteral("Verifica"), false));
    if (!fCliente && !EditCodiceCliente->text().isEmpty())
        CaricaCliente();
    // Every way out that is not the commit gives the transaction back: nothing of a refused or
    // failed creation stays.
    fService->StartTransaction();
    TScopeExit rollback([this] { fService->EndTransaction(false); });
    TZelmCreaArtContext context;
    try {
        context.SetModel(CloneOrNone(fModel.get()));
        context.SetCodiceArticolo(EditCodiceArticolo->text());
        context.SetCliente(CloneOrNone(fCliente.get()));
        context.SetFondoDescrizione(EditFondoDescrizione->text());
        context.SetForma(EditFormaArticolo->text());
        const int lissa = ComboLissaColore->currentIndex();
        if (lissa >= 0 && lissa < fLissaColore->Count())
            context.SetLissaColore(fLissaColore->Items(lissa)->Clone());
        const int numerata = ComboNumerataOperativa->currentIndex();
        if (numerata >= 0 && numerata < fNumerate->Count()) {
            context.SetNumerataOperativa(fNumerate->Items(numerata)->Clone());
            context.SetTaglieOperative(
                fService->LoadTaglieOperative(context.NumerataOperativa()->Descrizione()));
        }
        fService->ValidateCreazione(context);
    } catch (...) {
        overlay.reset();
        ShowCurrentError(false, QStringLiteral("Operazione non consentita\r\n"));
        return;
    }
    overlay.reset();
    if (!Dialogs().Question(QStringLiteral("Effettuare la creazione dell'articolo nelle varie "
                                           "taglie previste dalla numerata operativa?")))
        return;
    try {
        overlay.reset(TFrameDlg::BuildFrameDlg(this, QStringLiteral("Creazione"), false));
        fService->Creazione(context);
        fService->EndTransaction(true);
    } catch (...) {
        overlay.reset();
        ShowCurrentError(true, QStringLiteral("Operazione fallita\r\n"));
        return;
    }
    overlay.reset();
    rollback.Dismiss();
    if (fModale)
        Termina(mrOk);
    else
        Dialogs().Information(QStringLiteral("Operazione effettuata"));
}

int TFormZelmCreaArt::EseguiModale() {
    fModale = true;
    fEsito = mrNone;
    setWindowModality(Qt::ApplicationModal);
    show();
    QEventLoop loop;
    fLoop = &loop;
    loop.exec();
    fLoop = nullptr;
    fModale = false;
    return fEsito == mrNone ? mrCancel : fEsito;
}

void TFormZelmCreaArt::Termina(int esito) {
    fEsito = esito;
    close();
}

void TFormZelmCreaArt::closeEvent(QCloseEvent* event) {
    TFormBase::closeEvent(event);
    if (event->isAccepted() && fLoop)
        fLoop->quit();
}
