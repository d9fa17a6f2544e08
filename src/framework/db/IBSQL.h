// A statement: prepared once, executed many times, with named parameters and result columns read
// by name. Rows are fetched forward one at a time; a SELECT is positioned on its first row by
// ExecQuery (Eof() tells whether there was one).
#pragma once

#include <QDate>
#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QTime>
#include <QVariant>

#include <memory>
#include <variant>
#include <vector>

namespace Firebird {
class IStatement;
class IMessageMetadata;
class IResultSet;
} // namespace Firebird
class TIBDatabase;
class TIBTransaction;
class TIBSQL;

/// Firebird SQL types as the client reports them (nullable bit cleared).
namespace SqlType {
constexpr int Varying = 448, Text = 452, Double = 480, Float = 482, Long = 496, Short = 500,
              Timestamp = 510, Blob = 520, DFloat = 530, Time = 560, Date = 570, Int64 = 580,
              Boolean = 32764, Null = 32766;
}

/// Metadata of one result column.
struct TFieldInfo {
    QString name;     ///< column name in its relation (empty for expressions)
    QString alias;    ///< name in the result
    QString relation; ///< table or view it comes from (empty for expressions)
    int sqlType = 0;
    int subType = 0; ///< 1 for text blobs
    int scale = 0;   ///< negative for NUMERIC/DECIMAL
    int length = 0;  ///< bytes in the message
    int charSet = 0;
    bool nullable = true;
    /// Size in characters for text columns, in bytes otherwise.
    int Size() const;
    bool IsText() const { return sqlType == SqlType::Varying || sqlType == SqlType::Text; }
};

/// A value bound to a parameter.
using TSqlValue =
    std::variant<std::monostate, qint64, double, QString, QDate, QTime, QDateTime, bool>;

class TSqlParam {
public:
    QString Name() const { return fName; }
    bool IsNull() const { return std::holds_alternative<std::monostate>(fValue); }
    void Clear() { fValue = std::monostate{}; }
    void SetNull() { Clear(); }
    void SetString(const QString& v) { fValue = v; }
    void SetInteger(int v) { fValue = static_cast<qint64>(v); }
    void SetInt64(qint64 v) { fValue = v; }
    void SetDouble(double v) { fValue = v; }
    void SetBoolean(bool v) { fValue = v; }
    /// A null QDate binds NULL.
    void SetDate(const QDate& v);
    void SetTime(const QTime& v);
    void SetDateTime(const QDateTime& v);
    /// Null or invalid variants bind NULL.
    void SetVariant(const QVariant& v);
    const TSqlValue& Value() const { return fValue; }

private:
    friend class TIBSQL;
    QString fName;
    TSqlValue fValue;
};

class TSqlField {
public:
    const TFieldInfo& Info() const;
    QString Name() const { return Info().alias; }
    bool IsNull() const;
    /// Text of the value; NULL reads as the empty text, CHAR without its pad blanks.
    QString AsString() const;
    /// NULL reads as 0; NUMERIC values are rounded.
    int AsInteger() const { return static_cast<int>(AsInt64()); }
    qint64 AsInt64() const;
    double AsDouble() const;
    /// NULL reads as a null QDate.
    QDate AsDate() const;
    QTime AsTime() const;
    QDateTime AsDateTime() const;
    bool AsBoolean() const { return AsInt64() != 0; }
    /// Typed value (QVariant() for NULL): the form grids and in-memory tables take.
    QVariant AsVariant() const;
    /// The bytes of a text column as the connection's character set has them (UTF-8 on a UTF8
    /// connection), without going through QString (fast paths).
    QByteArray AsUtf8() const;

private:
    friend class TIBSQL;
    const unsigned char* Data() const;
    const TIBSQL* fOwner = nullptr;
    unsigned fIndex = 0;
    unsigned fOffset = 0;
    unsigned fNullOffset = 0;
};

class TIBSQL {
public:
    explicit TIBSQL(TIBDatabase* database = nullptr, TIBTransaction* transaction = nullptr);
    ~TIBSQL();
    TIBSQL(const TIBSQL&) = delete;
    TIBSQL& operator=(const TIBSQL&) = delete;

    TIBDatabase* Database() const { return fDatabase; }
    void SetDatabase(TIBDatabase* database);
    TIBTransaction* Transaction() const { return fTransaction; }
    void SetTransaction(TIBTransaction* transaction);

    /// The statement text; setting it unprepares the statement.
    QString SQL() const { return fSql; }
    void SetSQL(const QString& sql);
    void SetSQL(const QStringList& lines) { SetSQL(lines.join('\n')); }
    /// When false, ":NAME" is left to the server (EXECUTE BLOCK bodies) and parameters are
    /// only positional ("?").
    bool ParamCheck = true;

    void Prepare();
    bool Prepared() const { return fStatement != nullptr; }
    /// Executes; a SELECT (or anything returning rows) is positioned on its first row. One that
    /// takes longer than SogliaLenta() is logged with its duration and tables.
    void ExecQuery();
    /// Milliseconds past which a statement is logged as slow (2000 unless set; 0: never).
    static int SogliaLenta();
    static void SetSogliaLenta(int ms);
    /// Fetches the next row; false (and Eof) after the last one.
    bool Next();
    bool Eof() const { return fEof; }
    bool Open() const { return fCursor != nullptr || fSingletonRow; }
    /// Closes the cursor; the statement stays prepared.
    void Close();
    /// Releases the prepared statement.
    void FreeHandle();
    /// Rows inserted, updated or deleted by the last execution.
    qint64 RowsAffected() const;

    TSqlParam& ParamByName(QStringView name);
    TSqlParam& ParamByName(const char* name) { return ParamByName(QLatin1StringView(name)); }
    TSqlParam& ParamByName(QLatin1StringView name);
    bool HasParam(QStringView name) const { return FindParam(name) >= 0; }
    int ParamCount() const { return static_cast<int>(fParams.size()); }
    TSqlParam& Params(int index);

    int FieldCount() const { return static_cast<int>(fFieldInfo.size()); }
    const TSqlField& Fields(int index) const;
    const TSqlField& FieldByName(QStringView name) const;
    const TSqlField& FieldByName(const char* name) const {
        return FieldByName(QLatin1StringView(name));
    }
    const TSqlField& FieldByName(QLatin1StringView name) const;
    /// Index of a result column by alias, then by column name (case-insensitive); -1 when the
    /// row lacks it.
    int FieldIndex(QStringView name) const;
    int FieldIndex(const char* name) const { return FieldIndex(QLatin1StringView(name)); }
    int FieldIndex(QLatin1StringView name) const;
    const TFieldInfo& FieldInfo(int index) const { return fFieldInfo.at(index); }
    const std::vector<TFieldInfo>& FieldInfos() const { return fFieldInfo; }

private:
    friend class TIBDatabase;
    friend class TIBTransaction;
    friend class TSqlField;
    void CloseCursorNoThrow() noexcept;
    void RequireReady() const;
    void WriteParams();
    void WriteParam(unsigned pos, const TSqlValue& value);
    void ReleaseMetadata();

    TIBDatabase* fDatabase = nullptr;
    TIBTransaction* fTransaction = nullptr;
    QString fSql;
    Firebird::IStatement* fStatement = nullptr;
    Firebird::IMessageMetadata* fInMeta = nullptr;
    Firebird::IMessageMetadata* fOutMeta = nullptr;
    Firebird::IResultSet* fCursor = nullptr;
    std::vector<unsigned char> fInBuf, fOutBuf;
    bool fHasCursor = false;
    bool fSingletonRow = false;
    bool fEof = true;

    std::vector<std::unique_ptr<TSqlParam>> fParams;
    // Lookups scan these short lists: cheaper than hashing a name at every call.
    std::vector<std::pair<QString, int>> fParamIndex; // upper-case name -> fParams index
    std::vector<int> fParamOfPosition;                // marker position -> fParams index
    struct InSlot {
        unsigned type, offset, nullOffset, length;
        int scale;
    };
    std::vector<InSlot> fInSlots; // marker position -> its place in the message
    std::vector<TFieldInfo> fFieldInfo;
    std::vector<TSqlField> fFields;
    std::vector<std::pair<QString, int>> fFieldIndex; // alias, then column name -> column
    template <typename S> int FindParam(S name) const;
    template <typename S> int FindField(S name) const;
};
