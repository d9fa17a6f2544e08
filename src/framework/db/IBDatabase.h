// A connection to one Firebird database. A local path opens the embedded engine in-process;
// "host:path" or "host/port:path" goes through a server. Nothing else in the product knows which.
#pragma once

#include <QElapsedTimer>
#include <QString>
#include <QStringList>

#include <set>

namespace Firebird {
class IAttachment;
}
class TIBTransaction;
class TIBSQL;

class TIBDatabase {
public:
    TIBDatabase();
    ~TIBDatabase();
    TIBDatabase(const TIBDatabase&) = delete;
    TIBDatabase& operator=(const TIBDatabase&) = delete;

    QString DatabaseName() const { return fDatabaseName; }
    void SetDatabaseName(const QString& name);
    /// Connection parameters, one per line: "user_name=…", "password=…", "lc_ctype=…" to open;
    /// `USER "…"`, `PASSWORD "…"`, "PAGE_SIZE n" to create (both forms are understood by both);
    /// "force_write=0" turns synchronous writes off (throw-away databases).
    QStringList Params;
    /// Kept for the callers that switch it off; the login is never prompted here.
    bool LoginPrompt = false;
    int SQLDialect = 3;

    void Open();
    void Close();
    /// For a connection through a server: asks the server whether the connection still stands
    /// and, when it broke (a server stopped or restarted), opens it again. What ran on the old
    /// connection is gone: its transactions are rolled back, its statements prepared anew on
    /// their next use. True when it had to reconnect; raises the connection failure while the
    /// server does not answer. An embedded connection cannot break: nothing is asked.
    /// The server is asked at most once a second, unless a statement failed on a lost connection
    /// since, or `chiediSempre` is set (the start of a unit of work that must not fail halfway).
    bool Ripristina(bool chiediSempre = false);
    bool Connected() const { return fAttachment != nullptr; }
    /// Connected, not lost, and with no transaction or statement of its own left: free to be
    /// handed to another user of the process.
    bool Libera() const {
        return fAttachment && !fPersa && fTransactions.empty() && fStatements.empty();
    }
    /// Creates the database named by DatabaseName with Params and SQLDialect, and stays connected.
    void CreateDatabase();
    /// Drops the connected database (tests clean up with it).
    void DropDatabase();

    Firebird::IAttachment* Handle() const { return fAttachment; }

    /// The character set text travels in on this connection: the one the Params name
    /// ("lc_ctype=…"), else the database's own default: UTF8 for a UTF8 database, WIN1252 for
    /// one created without a character set (NONE) or in WIN1252, as the host suite's are.
    QString Charset() const { return fCharset; }
    /// Text to and from the connection's character set. A character the set cannot hold is
    /// refused with an error rather than stored as "?".
    QByteArray Encode(const QString& text) const;
    QString Decode(const char* bytes, qsizetype size) const;

private:
    friend class TIBTransaction;
    friend class TIBSQL;
    std::vector<unsigned char> BuildDpb(bool create, const QString& charset) const;
    void Attach(const QString& charset);
    void DetachAll();

    bool ViaServer() const;

    QString fDatabaseName;
    bool fPersa = false;             ///< opened once, then lost, and not yet opened again
    QElapsedTimer fVerificata;       ///< since the server last answered a ping (or the attach)
    unsigned fPerseAllaVerifica = 0; ///< FbClient::ConnessioniPerse() at that moment
    QString fCharset = QStringLiteral("UTF8");
    bool fUtf8 = true;
    Firebird::IAttachment* fAttachment = nullptr;
    std::set<TIBTransaction*> fTransactions;
    std::set<TIBSQL*> fStatements;
};

/// Default credentials and character set of every connection the product opens.
namespace DbDefaults {
inline const QString User = QStringLiteral("SYSDBA");
inline const QString Password = QStringLiteral("plumbcore");
/// Text is exchanged as UTF-8 with the product's own UTF8 databases, so that accented Italian
/// text survives every round trip; the host suite's databases choose their own (see Charset()).
inline const QString Charset = QStringLiteral("UTF8");
} // namespace DbDefaults
