#include "LumetraViewer.h"

#include "framework/core/Processo.h"
#include "framework/core/ScopeExit.h"
#include "framework/core/WinPath.h"
#include "framework/db/DBConnection.h"
#include "framework/db/IBDatabase.h"
#include "framework/db/IBTransaction.h"
#include "framework/session/Session.h"
#include "framework/session/ZavoUser.h"

#include <QDateTime>
#include <QFileInfo>

void TCmdStrings::Append(const QString& keyName, const QString& value) {
    fParams << QStringLiteral("%1=\"%2\"").arg(keyName, value);
}

void TCmdStrings::Append(const QString& keyName, int value) {
    Append(keyName, QString::number(value));
}

void TExeFacade::Run() {
    QByteArray output;
    if (EseguiProgramma(ExeName, Params, &output) != 0)
        throw EZavoError(QString::fromLocal8Bit(output).trimmed());
}

TLumetraViewer::TLumetraViewer(QObject* owner) : QObject(owner) {}

TLumetraViewer::~TLumetraViewer() {
    fCalls.reset();
    fPhotos.reset();
    if (fTransaction && fTransaction->InTransaction())
        fTransaction->Rollback();
}

QString TLumetraViewer::ProgramName() {
    return HostProgramDir() + QStringLiteral("LumetraViewer");
}

QString TLumetraViewer::ParameterFileName() {
    return HostProgramDir() + QStringLiteral("ParametriLumetra.ini");
}

TIBTransaction& TLumetraViewer::Transaction() {
    if (!fTransaction) {
        fTransaction = CreaTransazione(Session->IBDatabase(), TTipoTransazione::Snapshot, false);
        fCalls = std::make_unique<TOrvoViewerCallDataAccess>();
        fCalls->SetIBDatabase(&Session->IBDatabase());
        fCalls->SetIBTransaction(fTransaction.get());
        fPhotos = std::make_unique<TOrvoItemPhotoAccess>();
        fPhotos->SetIBDatabase(&Session->IBDatabase());
        fPhotos->SetIBTransaction(fTransaction.get());
    }
    return *fTransaction;
}

bool TLumetraViewer::CompanionPresente() {
    return QFileInfo(ProgramName()).isFile();
}

void TLumetraViewer::Prepare() {
    // Without the companion, our own viewer needs neither its program nor its parameter file.
    if (!fInitialised && VisoreIncorporato && !CompanionPresente())
        fInitialised = true;
    if (!fInitialised) {
        if (!CompanionPresente())
            throw EZavoError(QStringLiteral("File %1 non trovato").arg(ProgramName()));
        const QString ini = ParameterFileName();
        TZavoUser user;
        try {
            if (!QFileInfo(ini).isFile())
                throw EZavoError(QStringLiteral("File %1 non trovato").arg(ini));
            TDBConnectionInfo info;
            info.FileName = HostProgramDir() + QStringLiteral("user/user.fdb");
            info.LoadFromIniFile(ini, QStringLiteral("CONFIG"));
            user.ConnettiDB(info);
        } catch (const EZavoError& e) {
            throw EZavoError(QStringLiteral("Impossibile stabilire la connessione allo USER.FDB "
                                            "parametrizzato in %1\r\n")
                                 .arg(ini) +
                             e.Message());
        }
        try {
            user.CheckUtenteDitta(Session->ZavoUser()->CodiceUtente(),
                                  Session->ZavoUser()->DittaUtente());
        } catch (const EZavoError& e) {
            throw EZavoError(
                QStringLiteral("Errore di configurazione nello USER.FDB parametrizzato in %1\r\n")
                    .arg(ini) +
                e.Message());
        }
        fInitialised = true;
    }
    if (CodiceItem.isEmpty())
        throw EZavoError(QStringLiteral("Codice Item non specificato"));
}

int TLumetraViewer::Run(bool pick) {
    TOrvoViewerCallData call;
    try {
        TIBTransaction& tr = Transaction();
        if (!tr.InTransaction())
            tr.StartTransaction();
        call.SetDataOra(QDateTime::currentDateTime());
        call.SetOperatore(Session->ZavoUser()->CodiceUtente());
        call.SetCodiceItem(CodiceItem);
        call.SetIdFotoScelta(pick ? 0 : -1);
        fCalls->Save(call);
        tr.Commit();
    } catch (const EZavoError& e) {
        if (fTransaction && fTransaction->InTransaction())
            fTransaction->Rollback();
        throw EZavoError(QStringLiteral("Errore durante la scrittura log chiamata a Viewer\r\n") +
                         e.Message());
    }
    if (VisoreIncorporato && !CompanionPresente()) {
        MostraIncorporato(call, pick);
        return call.Id();
    }
    TCmdStrings cmd;
    cmd.Append(QStringLiteral("UTENTE"), Session->ZavoUser()->CodiceUtente());
    cmd.Append(QStringLiteral("DITTA"), Session->ZavoUser()->DittaUtente());
    cmd.Append(QStringLiteral("ORVOVIEWERCALL"), call.Id());
    TExeFacade exe;
    exe.ExeName = ProgramName();
    exe.Params = cmd.Params();
    exe.ShowWindow = TExeFacade::swShowNormal;
    exe.Run();
    return call.Id();
}

void TLumetraViewer::MostraIncorporato(TOrvoViewerCallData& call, bool pick) {
    std::vector<std::unique_ptr<TOrvoItemPhotoData>> foto;
    {
        TIBTransaction& tr = Transaction();
        tr.StartTransaction();
        TScopeExit rollback([&tr] {
            if (tr.InTransaction())
                tr.Rollback();
        });
        foto = fPhotos->LoadItem(call.CodiceItem());
    }
    const int chosen = VisoreIncorporato->Mostra(call.CodiceItem(), foto, pick);
    if (!pick || chosen <= 0)
        return;
    // The choice goes where the companion writes it: the call row's IDFOTOSCELTA.
    TIBTransaction& tr = Transaction();
    tr.StartTransaction();
    try {
        call.SetIdFotoScelta(chosen);
        fCalls->Save(call);
        tr.Commit();
    } catch (const EZavoError&) {
        if (tr.InTransaction())
            tr.Rollback();
        throw;
    }
}

void TLumetraViewer::Show() {
    Run(false);
}

bool TLumetraViewer::PickPhoto(QString& fileName) {
    const int id = Run(true);
    TIBTransaction& tr = Transaction();
    tr.StartTransaction();
    TScopeExit rollback([&tr] {
        if (tr.InTransaction())
            tr.Rollback();
    });
    const std::unique_ptr<TOrvoViewerCallData> call = fCalls->Load(id);
    if (!call)
        return false;
    const std::unique_ptr<TOrvoItemPhotoData> photo = fPhotos->Load(call->IdFotoScelta());
    if (!photo)
        return false;
    const QString name = photo->FileName();
    if (!QFileInfo::exists(name))
        throw EZavoError(QStringLiteral("Immagine \"%1\" non trovata").arg(name));
    fileName = name;
    return true;
}
