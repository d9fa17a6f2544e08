// Free parameters by name in TABX of the archive, global (no user) or per user.
#pragma once

#include <QObject>
#include <QString>

#include <memory>

class TIBDatabase;
class TIBTransaction;
class TIBSQL;

class TZavoTabX : public QObject {
    Q_OBJECT
public:
    explicit TZavoTabX(QObject* owner = nullptr);
    ~TZavoTabX() override;

    TIBDatabase* Database() const { return fDatabase; }
    void SetDatabase(TIBDatabase* database) { fDatabase = database; }

    /// `utente` 0 reads the global row only.
    QString GetParametroTesto(const QString& nome, int utente);
    QString GetParametroMemo(const QString& nome, int utente);
    void SetParametroTesto(const QString& nome, const QString& valore, int utente);
    void SetParametroMemo(const QString& nome, const QString& valore, int utente);
    /// Reads and writes between these share one transaction, committed at EndUpdate.
    void BeginUpdate();
    void EndUpdate();

    /// The statement creating TABX.
    static QStringList CreateTableLines();

private:
    TIBTransaction& Transaction();
    TIBSQL& Statement(std::unique_ptr<TIBSQL>& slot, const QStringList& lines);
    QString Read(const QString& nome, int utente, const char* column);
    void Write(std::unique_ptr<TIBSQL>& slot, const QString& column, const QString& nome,
               const QString& valore, int utente);

    TIBDatabase* fDatabase = nullptr;
    std::unique_ptr<TIBTransaction> fTransaction;
    bool fOnUpdating = false;
    std::unique_ptr<TIBSQL> fSQLRead, fSQLWriteTesto, fSQLWriteMemo;
};
