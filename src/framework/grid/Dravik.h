// The host suite's query tool on a list's table ("Query" of the grid's menu).
#pragma once

#include <QString>
#include <QStringList>

class TDravikComando_VisualizzaConQuery {
public:
    QString FTabella, FDatabaseName, FBinDir, FNomeProgetto;
    int FUtente = 0;
    /// The arguments after the program: "VisualizzaConQuery", then one per key.
    QStringList Argomenti() const;
    /// The command line as the host suite writes it (values with blanks between quotes).
    QString Testo() const;
};

class TDravikFacade {
public:
    explicit TDravikFacade(const TDravikComando_VisualizzaConQuery& comando);
    /// "Dravik" in the host program's folder, or in its "Combit" subfolder when that exists.
    QString FExeUtility;
    TDravikComando_VisualizzaConQuery FComando;
    /// Fails with "Utility "<program>" non trovata" when the program is missing.
    void Check() const;
    /// Runs the tool and waits for it; false when it could not be started.
    bool Esegui() const;
    /// The full command line: the program, a blank, the command's text.
    QString CommandLine() const { return FExeUtility + QLatin1Char(' ') + FComando.Testo(); }
};
