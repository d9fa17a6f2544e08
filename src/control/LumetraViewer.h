// The link to the companion photo viewer: a call row written to ORVOVIEWERCALL, the viewer
// started on it and waited for, and in pick mode the chosen photo read back; and the small
// launcher of external programs it runs on.
#pragma once

#include "PhotoDataAccess.h"

#include <QObject>
#include <QStringList>

#include <memory>

class TIBTransaction;
class TSession;

/// A program's parameters, each written KEY="value".
class TCmdStrings {
public:
    void Append(const QString& keyName, const QString& value);
    void Append(const QString& keyName, int value);
    void Append(const QString& param) { fParams << param; }
    /// The parameters in order, one blank between them.
    QString Serialize() const { return fParams.join(QLatin1Char(' ')); }
    const QStringList& Params() const { return fParams; }

private:
    QStringList fParams;
};

/// Runs an external program and waits for it. Each parameter reaches the program as one
/// argument, exactly as written (KEY="value", quotes included). While it runs the caller's
/// windows keep painting but take no input. A program that cannot start raises
/// "Errore indefinito durante l'esecuzione di %s"; a non-zero exit code raises what the program
/// wrote on its standard output.
class TExeFacade : public QObject {
    Q_OBJECT
public:
    enum TShowWindow { swHide, swShowNormal };
    using QObject::QObject;
    QString ExeName;
    QStringList Params;
    TShowWindow ShowWindow = swShowNormal;
    void Run();
};

/// Our own photo viewer, for a workstation without the companion program. The window layer
/// implements it and hands it to the link.
class IVisoreFoto {
public:
    virtual ~IVisoreFoto() = default;
    /// Shows `foto` (already in order) of `codiceItem`; returns when closed. In pick mode the id
    /// of the picture chosen, 0 when none was.
    virtual int Mostra(const QString& codiceItem,
                       const std::vector<std::unique_ptr<TOrvoItemPhotoData>>& foto,
                       bool scegli) = 0;
};

class TLumetraViewer : public QObject {
    Q_OBJECT
public:
    explicit TLumetraViewer(QObject* owner = nullptr);
    ~TLumetraViewer() override;

    TSession* Session = nullptr;
    QString CodiceItem;
    /// Used instead of the companion program when it is not installed (borrowed; none: the
    /// missing program is an error).
    IVisoreFoto* VisoreIncorporato = nullptr;
    /// The companion program is installed beside the host program.
    static bool CompanionPresente();

    /// The viewer beside the host program ("LumetraViewer") and its parameter file.
    static QString ProgramName();
    static QString ParameterFileName();

    /// Checks the program and the user database of the parameter file once, the item code
    /// every time.
    void Prepare();
    /// The viewer on the item; returns when it has ended.
    void Show();
    /// The viewer in pick mode: true with the full name of the chosen photo's file.
    bool PickPhoto(QString& fileName);

private:
    /// Writes the call row and runs the viewer on it; the call's ID.
    int Run(bool pick);
    /// Our own viewer on the call's item; in pick mode the choice is written into the call row.
    void MostraIncorporato(TOrvoViewerCallData& call, bool pick);
    TIBTransaction& Transaction();

    std::unique_ptr<TIBTransaction> fTransaction;
    std::unique_ptr<TOrvoViewerCallDataAccess> fCalls;
    std::unique_ptr<TOrvoItemPhotoAccess> fPhotos;
    bool fInitialised = false;
};
