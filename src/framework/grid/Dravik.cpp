#include "Dravik.h"

#include "framework/core/Processo.h"
#include "framework/core/WinPath.h"
#include "framework/core/ZavoError.h"

#include <QDir>
#include <QFileInfo>

QStringList TDravikComando_VisualizzaConQuery::Argomenti() const {
    return {QStringLiteral("VisualizzaConQuery"),
            QStringLiteral("Tabella=") + FTabella,
            QStringLiteral("DatabaseName=") + FDatabaseName,
            QStringLiteral("BinDir=") + FBinDir,
            QStringLiteral("NomeProgetto=") + FNomeProgetto,
            QStringLiteral("Utente=") + QString::number(FUtente)};
}

QString TDravikComando_VisualizzaConQuery::Testo() const {
    return QStringLiteral("VisualizzaConQuery Tabella=%1 \"DatabaseName=%2\" \"BinDir=%3\" "
                          "\"NomeProgetto=%4\" Utente=%5")
        .arg(FTabella, FDatabaseName, FBinDir, FNomeProgetto)
        .arg(FUtente);
}

TDravikFacade::TDravikFacade(const TDravikComando_VisualizzaConQuery& comando) : FComando(comando) {
    const QString combit = HostProgramDir() + QStringLiteral("Combit");
    FExeUtility = (QFileInfo(combit).isDir() ? combit + QLatin1Char('/') : HostProgramDir()) +
                  QStringLiteral("Dravik");
}

void TDravikFacade::Check() const {
    if (!QFileInfo(FExeUtility).isFile())
        throw EZavoError(QStringLiteral("Utility \"%1\" non trovata").arg(FExeUtility));
}

bool TDravikFacade::Esegui() const {
    try {
        EseguiProgramma(FExeUtility, FComando.Argomenti());
        return true;
    } catch (const EZavoError&) {
        return false;
    }
}
