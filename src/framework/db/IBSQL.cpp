#include "IBSQL.h"
#include <QElapsedTimer>
#include <QRegularExpression>
#include <atomic>

#include "framework/core/Log.h"
#include "framework/core/ScopeExit.h"

#include "FbClient.h"
#include "IBDatabase.h"
#include "IBTransaction.h"
#include "SqlParams.h"

#include "framework/core/Log.h"
#include "framework/core/ScopeExit.h"

#include <QElapsedTimer>
#include <QRegularExpression>

#include <atomic>

#include <cmath>
#include <cstring>

using namespace Firebird;

namespace {
const QString kDateFormat = QStringLiteral("dd/MM/yyyy");

qint64 Pow10(int n) {
    qint64 r = 1;
    while (n-- > 0)
        r *= 10;
    return r;
}

QString ScaledToString(qint64 value, int scale) {
    if (scale >= 0)
        return QString::number(value * Pow10(scale));
    const qint64 p = Pow10(-scale);
    const bool negative = value < 0;
    const quint64 abs = negative ? 0 - static_cast<quint64>(value) : static_cast<quint64>(value);
    QString frac = QString::number(abs % p).rightJustified(-scale, '0');
    return (negative ? "-" : "") + QString::number(abs / p) + '.' + frac;
}

[[noreturn]] void ConversionError(const QString& name, const QString& what) {
    throw EDatabaseError(QStringLiteral("Conversione non valida per %1: %2").arg(name, what), {});
}

double ParseNumber(const QString& name, const QString& text) {
    QString t = text.trimmed();
    t.replace(',', '.');
    bool ok = false;
    const double v = t.toDouble(&ok);
    if (!ok)
        ConversionError(name, QStringLiteral("\"%1\" non è un numero").arg(text));
    return v;
}

QDateTime ParseDateTime(const QString& name, const QString& text) {
    const QString t = text.trimmed();
    for (const char* f : {"dd/MM/yyyy HH:mm:ss", "dd/MM/yyyy HH:mm", "yyyy-MM-dd HH:mm:ss",
                          "yyyy-MM-ddTHH:mm:ss"}) {
        const QDateTime dt = QDateTime::fromString(t, QLatin1String(f));
        if (dt.isValid())
            return dt;
    }
    for (const char* f : {"dd/MM/yyyy", "yyyy-MM-dd", "d/M/yyyy"}) {
        const QDate d = QDate::fromString(t, QLatin1String(f));
        if (d.isValid())
            return QDateTime(d, QTime(0, 0));
    }
    ConversionError(name, QStringLiteral("\"%1\" non è una data").arg(text));
}

struct ValueView {
    const QString& name;
    const TSqlValue& v;

    QString Text() const {
        return std::visit(
            [&](const auto& x) -> QString {
                using T = std::decay_t<decltype(x)>;
                if constexpr (std::is_same_v<T, std::monostate>)
                    return QString();
                else if constexpr (std::is_same_v<T, qint64>)
                    return QString::number(x);
                else if constexpr (std::is_same_v<T, double>)
                    return QString::number(x, 'g', 17);
                else if constexpr (std::is_same_v<T, QString>)
                    return x;
                else if constexpr (std::is_same_v<T, QDate>)
                    return x.toString(kDateFormat);
                else if constexpr (std::is_same_v<T, QTime>)
                    return x.toString(QStringLiteral("HH:mm:ss"));
                else if constexpr (std::is_same_v<T, QDateTime>)
                    return x.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"));
                else
                    return x ? QStringLiteral("1") : QStringLiteral("0");
            },
            v);
    }
    double Number() const {
        if (auto p = std::get_if<qint64>(&v))
            return static_cast<double>(*p);
        if (auto p = std::get_if<double>(&v))
            return *p;
        if (auto p = std::get_if<bool>(&v))
            return *p ? 1 : 0;
        if (auto p = std::get_if<QString>(&v))
            return ParseNumber(name, *p);
        ConversionError(name, QStringLiteral("valore non numerico"));
    }
    qint64 Scaled(int scale) const {
        if (auto p = std::get_if<qint64>(&v); p && scale <= 0)
            return *p * Pow10(-scale);
        if (auto p = std::get_if<bool>(&v))
            return *p ? Pow10(-scale) : 0;
        return std::llround(Number() * std::pow(10.0, -scale));
    }
    QDateTime DateTime() const {
        if (auto p = std::get_if<QDateTime>(&v))
            return *p;
        if (auto p = std::get_if<QDate>(&v))
            return QDateTime(*p, QTime(0, 0));
        if (auto p = std::get_if<QString>(&v))
            return ParseDateTime(name, *p);
        ConversionError(name, QStringLiteral("valore non di tipo data"));
    }
    QTime Time() const {
        if (auto p = std::get_if<QTime>(&v))
            return *p;
        if (auto p = std::get_if<QString>(&v)) {
            const QTime t = QTime::fromString(p->trimmed(), QStringLiteral("HH:mm:ss"));
            if (t.isValid())
                return t;
        }
        return DateTime().time();
    }
};

// Firebird keeps a date as the days since 17 November 1858 (Julian day 2400001) and a time as
// ten-thousandths of a second since midnight. Converted here by arithmetic: the client's own
// routines go through the C library's local-time code, which reads /etc/localtime on every
// call, once per fetched date.
constexpr qint64 kJulianDayOfZero = 2400001;
constexpr unsigned kTicksPerSecond = 10000;

ISC_DATE EncodeDate(const QDate& d) {
    return static_cast<ISC_DATE>(d.toJulianDay() - kJulianDayOfZero);
}
ISC_TIME EncodeTime(const QTime& t) {
    return static_cast<ISC_TIME>(t.msecsSinceStartOfDay()) * (kTicksPerSecond / 1000);
}
QDate DecodeDate(ISC_DATE d) {
    return QDate::fromJulianDay(d + kJulianDayOfZero);
}
QTime DecodeTime(ISC_TIME t) {
    return QTime::fromMSecsSinceStartOfDay(static_cast<int>(t / (kTicksPerSecond / 1000)));
}
} // namespace

// ---------------------------------------------------------------------------------------------
int TFieldInfo::Size() const {
    if (IsText())
        return charSet == 4 ? length / 4 : (charSet == 3 ? length / 3 : length);
    return length;
}

void TSqlParam::SetDate(const QDate& v) {
    if (v.isValid())
        fValue = v;
    else
        Clear();
}
void TSqlParam::SetTime(const QTime& v) {
    if (v.isValid())
        fValue = v;
    else
        Clear();
}
void TSqlParam::SetDateTime(const QDateTime& v) {
    if (v.isValid())
        fValue = v;
    else
        Clear();
}

void TSqlParam::SetVariant(const QVariant& v) {
    if (!v.isValid() || v.isNull()) {
        Clear();
        return;
    }
    switch (v.typeId()) {
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::Short:
    case QMetaType::UShort:
    case QMetaType::Long:
        fValue = v.toLongLong();
        break;
    case QMetaType::Double:
    case QMetaType::Float:
        fValue = v.toDouble();
        break;
    case QMetaType::Bool:
        fValue = v.toBool();
        break;
    case QMetaType::QDate:
        SetDate(v.toDate());
        break;
    case QMetaType::QTime:
        SetTime(v.toTime());
        break;
    case QMetaType::QDateTime:
        SetDateTime(v.toDateTime());
        break;
    default:
        fValue = v.toString();
    }
}

// ---------------------------------------------------------------------------------------------
const TFieldInfo& TSqlField::Info() const {
    return fOwner->fFieldInfo[fIndex];
}

bool TSqlField::IsNull() const {
    if (!fOwner->Open())
        throw EZavoError(QStringLiteral("Nessuna riga corrente per il campo %1").arg(Name()));
    return *reinterpret_cast<const short*>(fOwner->fOutBuf.data() + fNullOffset) == -1;
}

const unsigned char* TSqlField::Data() const {
    return fOwner->fOutBuf.data() + fOffset;
}

QByteArray TSqlField::AsUtf8() const {
    if (IsNull())
        return QByteArray();
    const TFieldInfo& fi = Info();
    const unsigned char* p = Data();
    if (fi.sqlType == SqlType::Varying) {
        const auto len = *reinterpret_cast<const unsigned short*>(p);
        return QByteArray(reinterpret_cast<const char*>(p + 2), len);
    }
    if (fi.sqlType == SqlType::Text) {
        int len = fi.length;
        if (fi.charSet != 1) // OCTETS is binary: nothing was padded with blanks
            while (len > 0 && p[len - 1] == ' ')
                --len;
        return QByteArray(reinterpret_cast<const char*>(p), len);
    }
    if (fi.sqlType == SqlType::Blob) {
        TIBTransaction* tr = fOwner->fTransaction;
        if (!tr || !tr->InTransaction())
            throw EZavoError(QStringLiteral("Transazione non attiva"));
        ISC_QUAD id;
        std::memcpy(&id, p, sizeof id);
        FbClient::Status st;
        IBlob* blob = fOwner->fDatabase->Handle()->openBlob(&st, tr->Handle(), &id, 0, nullptr);
        st.Check();
        QByteArray out;
        char chunk[32768];
        for (;;) {
            unsigned got = 0;
            const int r = blob->getSegment(&st, sizeof chunk, chunk, &got);
            if (r == IStatus::RESULT_OK || r == IStatus::RESULT_SEGMENT) {
                out.append(chunk, got);
                continue;
            }
            if (r == IStatus::RESULT_ERROR) {
                EDatabaseError e = FbClient::ErrorFromStatus(&st);
                blob->release();
                throw e;
            }
            break;
        }
        blob->close(&st);
        if (st.Failed())
            blob->release();
        return out;
    }
    return AsString().toUtf8();
}

QString TSqlField::AsString() const {
    if (IsNull())
        return QString();
    const TFieldInfo& fi = Info();
    const unsigned char* p = Data();
    switch (fi.sqlType) {
    case SqlType::Varying:
        return fOwner->fDatabase->Decode(reinterpret_cast<const char*>(p + 2),
                                         *reinterpret_cast<const unsigned short*>(p));
    case SqlType::Text:
    case SqlType::Blob: {
        const QByteArray bytes = AsUtf8();
        return fOwner->fDatabase->Decode(bytes.constData(), bytes.size());
    }
    case SqlType::Short:
        return ScaledToString(*reinterpret_cast<const short*>(p), fi.scale);
    case SqlType::Long:
        return ScaledToString(*reinterpret_cast<const int*>(p), fi.scale);
    case SqlType::Int64:
        return ScaledToString(*reinterpret_cast<const qint64*>(p), fi.scale);
    case SqlType::Float:
    case SqlType::Double:
    case SqlType::DFloat:
        return QString::number(AsDouble(), 'g', 15);
    case SqlType::Date:
        return AsDate().toString(kDateFormat);
    case SqlType::Time:
        return AsTime().toString(QStringLiteral("HH:mm:ss"));
    case SqlType::Timestamp:
        return AsDateTime().toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"));
    case SqlType::Boolean:
        return *p ? QStringLiteral("True") : QStringLiteral("False");
    default:
        return QString();
    }
}

qint64 TSqlField::AsInt64() const {
    if (IsNull())
        return 0;
    const TFieldInfo& fi = Info();
    const unsigned char* p = Data();
    qint64 raw = 0;
    switch (fi.sqlType) {
    case SqlType::Short:
        raw = *reinterpret_cast<const short*>(p);
        break;
    case SqlType::Long:
        raw = *reinterpret_cast<const int*>(p);
        break;
    case SqlType::Int64:
        raw = *reinterpret_cast<const qint64*>(p);
        break;
    case SqlType::Boolean:
        return *p ? 1 : 0;
    default:
        return std::llround(AsDouble());
    }
    if (fi.scale < 0)
        return std::llround(static_cast<double>(raw) / static_cast<double>(Pow10(-fi.scale)));
    return raw * Pow10(fi.scale);
}

double TSqlField::AsDouble() const {
    if (IsNull())
        return 0;
    const TFieldInfo& fi = Info();
    const unsigned char* p = Data();
    switch (fi.sqlType) {
    case SqlType::Float:
        return *reinterpret_cast<const float*>(p);
    case SqlType::Double:
    case SqlType::DFloat:
        return *reinterpret_cast<const double*>(p);
    case SqlType::Short:
        return *reinterpret_cast<const short*>(p) * std::pow(10.0, fi.scale);
    case SqlType::Long:
        return *reinterpret_cast<const int*>(p) * std::pow(10.0, fi.scale);
    case SqlType::Int64:
        return static_cast<double>(*reinterpret_cast<const qint64*>(p)) * std::pow(10.0, fi.scale);
    case SqlType::Boolean:
        return *p ? 1 : 0;
    case SqlType::Varying:
    case SqlType::Text:
    case SqlType::Blob: {
        const QString t = AsString();
        return t.trimmed().isEmpty() ? 0 : ParseNumber(Name(), t);
    }
    default:
        ConversionError(Name(), QStringLiteral("valore non numerico"));
    }
}

QDateTime TSqlField::AsDateTime() const {
    if (IsNull())
        return QDateTime();
    const TFieldInfo& fi = Info();
    const unsigned char* p = Data();
    switch (fi.sqlType) {
    case SqlType::Date:
        return QDateTime(DecodeDate(*reinterpret_cast<const ISC_DATE*>(p)), QTime(0, 0));
    case SqlType::Timestamp: {
        const auto* ts = reinterpret_cast<const ISC_TIMESTAMP*>(p);
        return QDateTime(DecodeDate(ts->timestamp_date), DecodeTime(ts->timestamp_time));
    }
    case SqlType::Time:
        return QDateTime(QDate(1899, 12, 30), DecodeTime(*reinterpret_cast<const ISC_TIME*>(p)));
    case SqlType::Varying:
    case SqlType::Text:
        return ParseDateTime(Name(), AsString());
    default:
        ConversionError(Name(), QStringLiteral("valore non di tipo data"));
    }
}

// A date or a time read straight from the message: building a local QDateTime first costs a
// time-zone lookup per value.
QDate TSqlField::AsDate() const {
    if (IsNull())
        return QDate();
    switch (Info().sqlType) {
    case SqlType::Date:
        return DecodeDate(*reinterpret_cast<const ISC_DATE*>(Data()));
    case SqlType::Timestamp:
        return DecodeDate(reinterpret_cast<const ISC_TIMESTAMP*>(Data())->timestamp_date);
    default:
        return AsDateTime().date();
    }
}

QTime TSqlField::AsTime() const {
    if (IsNull())
        return QTime();
    switch (Info().sqlType) {
    case SqlType::Time:
        return DecodeTime(*reinterpret_cast<const ISC_TIME*>(Data()));
    case SqlType::Timestamp:
        return DecodeTime(reinterpret_cast<const ISC_TIMESTAMP*>(Data())->timestamp_time);
    default:
        return AsDateTime().time();
    }
}

QVariant TSqlField::AsVariant() const {
    if (IsNull())
        return QVariant();
    const TFieldInfo& fi = Info();
    switch (fi.sqlType) {
    case SqlType::Short:
    case SqlType::Long:
        if (fi.scale == 0)
            return static_cast<int>(AsInt64());
        return AsDouble();
    case SqlType::Int64:
        if (fi.scale == 0)
            return AsInt64();
        return AsDouble();
    case SqlType::Float:
    case SqlType::Double:
    case SqlType::DFloat:
        return AsDouble();
    case SqlType::Date:
        return AsDate();
    case SqlType::Time:
        return AsTime();
    case SqlType::Timestamp:
        return AsDateTime();
    case SqlType::Boolean:
        return AsBoolean();
    default:
        return AsString();
    }
}

// ---------------------------------------------------------------------------------------------
TIBSQL::TIBSQL(TIBDatabase* database, TIBTransaction* transaction) {
    SetDatabase(database);
    SetTransaction(transaction);
}

TIBSQL::~TIBSQL() {
    FreeHandle();
    if (fDatabase)
        fDatabase->fStatements.erase(this);
    if (fTransaction)
        fTransaction->fStatements.erase(this);
}

void TIBSQL::SetDatabase(TIBDatabase* database) {
    if (database == fDatabase)
        return;
    FreeHandle();
    if (fDatabase)
        fDatabase->fStatements.erase(this);
    fDatabase = database;
    if (fDatabase)
        fDatabase->fStatements.insert(this);
}

void TIBSQL::SetTransaction(TIBTransaction* transaction) {
    if (transaction == fTransaction)
        return;
    Close();
    if (fTransaction)
        fTransaction->fStatements.erase(this);
    fTransaction = transaction;
    if (fTransaction)
        fTransaction->fStatements.insert(this);
}

void TIBSQL::SetSQL(const QString& sql) {
    if (sql == fSql)
        return;
    FreeHandle();
    fSql = sql;
}

void TIBSQL::RequireReady() const {
    if (!fDatabase || !fDatabase->Connected())
        throw EZavoError(QStringLiteral("Database non connesso"));
    if (!fTransaction || !fTransaction->InTransaction())
        throw EZavoError(QStringLiteral("Transazione non attiva"));
}

void TIBSQL::ReleaseMetadata() {
    if (fInMeta)
        fInMeta->release();
    if (fOutMeta)
        fOutMeta->release();
    fInMeta = fOutMeta = nullptr;
}

void TIBSQL::Prepare() {
    if (Prepared())
        return;
    RequireReady();
    TParsedSql parsed;
    if (ParamCheck)
        parsed = ParseNamedParams(fSql);
    else
        parsed.sql = fSql;

    FbClient::Status st;
    const QByteArray text = fDatabase->Encode(parsed.sql);
    IStatement* stmt =
        fDatabase->Handle()->prepare(&st, fTransaction->Handle(), text.size(), text.constData(),
                                     fDatabase->SQLDialect, IStatement::PREPARE_PREFETCH_METADATA);
    if (st.Failed()) {
        if (stmt)
            stmt->release();
        st.Raise();
    }
    fStatement = stmt;
    try {
        fHasCursor = (stmt->getFlags(&st) & IStatement::FLAG_HAS_CURSOR) != 0;
        st.Check();

        // Inputs: CHAR markers are sent as VARCHAR so that values are never blank-padded. The
        // statement's own metadata is kept whenever nothing needs changing: the engine takes
        // its own message format without describing it again at every execution.
        IMessageMetadata* in = stmt->getInputMetadata(&st);
        st.Check();
        const unsigned inCount = in->getCount(&st);
        bool retype = false;
        for (unsigned i = 0; i < inCount; ++i) {
            const unsigned type = in->getType(&st, i) & ~1u;
            retype = retype || type == SQL_TEXT || type == SQL_NULL;
        }
        if (!retype) {
            fInMeta = in;
        } else {
            IMetadataBuilder* builder = in->getBuilder(&st);
            st.Check();
            for (unsigned i = 0; i < inCount; ++i) {
                const unsigned type = in->getType(&st, i) & ~1u;
                if (type == SQL_TEXT)
                    builder->setType(&st, i, SQL_VARYING | 1);
                else if (type == SQL_NULL) { // "? IS NULL": send a short text
                    builder->setType(&st, i, SQL_VARYING | 1);
                    builder->setLength(&st, i, 1);
                }
                st.Check();
            }
            in->release();
            fInMeta = builder->getMetadata(&st);
            builder->release();
            st.Check();
        }
        fInBuf.assign(fInMeta->getMessageLength(&st), 0);
        fInSlots.clear();
        for (unsigned i = 0; i < inCount; ++i) {
            fInSlots.push_back({fInMeta->getType(&st, i), fInMeta->getOffset(&st, i),
                                fInMeta->getNullOffset(&st, i), fInMeta->getLength(&st, i),
                                fInMeta->getScale(&st, i)});
            st.Check();
        }

        fOutMeta = stmt->getOutputMetadata(&st);
        st.Check();
        const unsigned outCount = fOutMeta->getCount(&st);
        fOutBuf.assign(fOutMeta->getMessageLength(&st), 0);
        fFieldInfo.clear();
        fFields.clear();
        fFieldIndex.clear();
        for (unsigned i = 0; i < outCount; ++i) {
            TFieldInfo fi;
            fi.name = QString::fromUtf8(fOutMeta->getField(&st, i));
            fi.alias = QString::fromUtf8(fOutMeta->getAlias(&st, i));
            fi.relation = QString::fromUtf8(fOutMeta->getRelation(&st, i));
            fi.sqlType = static_cast<int>(fOutMeta->getType(&st, i) & ~1u);
            fi.subType = fOutMeta->getSubType(&st, i);
            fi.scale = fOutMeta->getScale(&st, i);
            fi.length = static_cast<int>(fOutMeta->getLength(&st, i));
            fi.charSet = static_cast<int>(fOutMeta->getCharSet(&st, i));
            fi.nullable = fOutMeta->isNullable(&st, i);
            st.Check();
            if (fi.alias.isEmpty())
                fi.alias = fi.name;
            fFieldIndex.emplace_back(fi.alias, static_cast<int>(i));
            fFieldInfo.push_back(fi);
            TSqlField f;
            f.fOwner = this;
            f.fIndex = i;
            f.fOffset = fOutMeta->getOffset(&st, i);
            f.fNullOffset = fOutMeta->getNullOffset(&st, i);
            st.Check();
            fFields.push_back(f);
        }
        for (unsigned i = 0; i < outCount; ++i) // a column found by its own name too
            if (!fFieldInfo[i].name.isEmpty() && FindField(QStringView(fFieldInfo[i].name)) < 0)
                fFieldIndex.emplace_back(fFieldInfo[i].name, static_cast<int>(i));

        fParams.clear();
        fParamIndex.clear();
        fParamOfPosition.clear();
        if (ParamCheck) {
            if (static_cast<unsigned>(parsed.names.size()) != inCount)
                throw EDatabaseError(
                    QStringLiteral("Parametri non riconosciuti nel testo SQL (%1 nominati, %2 "
                                   "attesi)")
                        .arg(parsed.names.size())
                        .arg(inCount),
                    {});
            for (const QString& name : parsed.names) {
                int index = FindParam(QStringView(name));
                if (index < 0) {
                    auto p = std::make_unique<TSqlParam>();
                    p->fName = name;
                    index = static_cast<int>(fParams.size());
                    fParamIndex.emplace_back(name, index);
                    fParams.push_back(std::move(p));
                }
                fParamOfPosition.push_back(index);
            }
        } else {
            for (unsigned i = 0; i < inCount; ++i) {
                fParams.push_back(std::make_unique<TSqlParam>());
                fParamOfPosition.push_back(static_cast<int>(i));
            }
        }
    } catch (...) {
        FreeHandle();
        throw;
    }
}

template <typename S> int TIBSQL::FindParam(S name) const {
    for (const auto& [n, index] : fParamIndex)
        if (n.size() == name.size() && QStringView(n).compare(name, Qt::CaseInsensitive) == 0)
            return index;
    return -1;
}

template <typename S> int TIBSQL::FindField(S name) const {
    for (const auto& [n, index] : fFieldIndex)
        if (n.size() == name.size() && QStringView(n).compare(name, Qt::CaseInsensitive) == 0)
            return index;
    return -1;
}

TSqlParam& TIBSQL::ParamByName(QStringView name) {
    Prepare();
    const int i = FindParam(name);
    if (i < 0)
        throw EZavoError(QStringLiteral("Parametro %1 non trovato").arg(name));
    return *fParams[i];
}

TSqlParam& TIBSQL::ParamByName(QLatin1StringView name) {
    Prepare();
    const int i = FindParam(name);
    if (i < 0)
        throw EZavoError(QStringLiteral("Parametro %1 non trovato").arg(name));
    return *fParams[i];
}

TSqlParam& TIBSQL::Params(int index) {
    Prepare();
    if (index < 0 || index >= ParamCount())
        throw EZavoError(QStringLiteral("Parametro %1 fuori intervallo").arg(index));
    return *fParams[index];
}

int TIBSQL::FieldIndex(QStringView name) const {
    return FindField(name);
}

int TIBSQL::FieldIndex(QLatin1StringView name) const {
    return FindField(name);
}

const TSqlField& TIBSQL::FieldByName(QStringView name) const {
    const int i = FindField(name);
    if (i < 0)
        throw EZavoError(QStringLiteral("Campo %1 non trovato").arg(name));
    return fFields[i];
}

const TSqlField& TIBSQL::FieldByName(QLatin1StringView name) const {
    const int i = FindField(name);
    if (i < 0)
        throw EZavoError(QStringLiteral("Campo %1 non trovato").arg(name));
    return fFields[i];
}

const TSqlField& TIBSQL::Fields(int index) const {
    if (index < 0 || index >= FieldCount())
        throw EZavoError(QStringLiteral("Campo %1 fuori intervallo").arg(index));
    return fFields[index];
}

void TIBSQL::WriteParam(unsigned pos, const TSqlValue& value) {
    const InSlot& slot = fInSlots[pos];
    const unsigned type = slot.type & ~1u;
    const unsigned off = slot.offset;
    const unsigned nullOff = slot.nullOffset;
    const unsigned length = slot.length;
    const int scale = slot.scale;
    unsigned char* buf = fInBuf.data();
    auto* nullInd = reinterpret_cast<short*>(buf + nullOff);
    const bool isNull = std::holds_alternative<std::monostate>(value);
    *nullInd = isNull ? -1 : 0;
    if (isNull)
        return;
    const QString& name = fParams[fParamOfPosition[pos]]->fName;
    const ValueView v{name, value};
    unsigned char* p = buf + off;
    switch (type) {
    case SQL_VARYING: {
        const auto* text = std::get_if<QString>(&value);
        const QByteArray bytes = fDatabase->Encode(text ? *text : v.Text());
        if (static_cast<unsigned>(bytes.size()) > length)
            throw EDatabaseError(
                QStringLiteral("arithmetic exception, numeric overflow, or string truncation\n"
                               "string right truncation (parametro %1)")
                    .arg(name.isEmpty() ? QString::number(pos + 1) : name),
                {FbCode::ArithExcept, FbCode::StringTruncation});
        *reinterpret_cast<unsigned short*>(p) = static_cast<unsigned short>(bytes.size());
        std::memcpy(p + 2, bytes.constData(), bytes.size());
        break;
    }
    case SQL_SHORT:
        *reinterpret_cast<short*>(p) = static_cast<short>(v.Scaled(scale));
        break;
    case SQL_LONG:
        *reinterpret_cast<int*>(p) = static_cast<int>(v.Scaled(scale));
        break;
    case SQL_INT64:
        *reinterpret_cast<qint64*>(p) = v.Scaled(scale);
        break;
    case SQL_FLOAT:
        *reinterpret_cast<float*>(p) = static_cast<float>(v.Number());
        break;
    case SQL_DOUBLE:
    case SQL_D_FLOAT:
        *reinterpret_cast<double*>(p) = v.Number();
        break;
    case SQL_TYPE_DATE:
        *reinterpret_cast<ISC_DATE*>(p) = EncodeDate(v.DateTime().date());
        break;
    case SQL_TYPE_TIME:
        *reinterpret_cast<ISC_TIME*>(p) = EncodeTime(v.Time());
        break;
    case SQL_TIMESTAMP: {
        const QDateTime dt = v.DateTime();
        auto* ts = reinterpret_cast<ISC_TIMESTAMP*>(p);
        ts->timestamp_date = EncodeDate(dt.date());
        ts->timestamp_time = EncodeTime(dt.time());
        break;
    }
    case SQL_BOOLEAN:
        *p = v.Number() != 0 ? 1 : 0;
        break;
    case SQL_BLOB: {
        const QByteArray bytes = fDatabase->Encode(v.Text());
        ISC_QUAD id{};
        FbClient::Status st;
        IBlob* blob = fDatabase->Handle()->createBlob(&st, fTransaction->Handle(), &id, 0, nullptr);
        st.Check();
        for (qsizetype at = 0; at < bytes.size(); at += 32768) {
            const auto n = static_cast<unsigned>(std::min<qsizetype>(32768, bytes.size() - at));
            blob->putSegment(&st, n, bytes.constData() + at);
            if (st.Failed()) {
                blob->release();
                st.Raise();
            }
        }
        blob->close(&st);
        if (st.Failed()) {
            blob->release();
            st.Raise();
        }
        std::memcpy(p, &id, sizeof id);
        break;
    }
    default:
        throw EDatabaseError(
            QStringLiteral("Tipo di parametro non gestito (%1) per %2").arg(type).arg(name), {});
    }
}

void TIBSQL::WriteParams() {
    for (unsigned pos = 0; pos < fParamOfPosition.size(); ++pos)
        WriteParam(pos, fParams[fParamOfPosition[pos]]->fValue);
}

namespace {
std::atomic<int> gSogliaLenta{2000};

/// The tables a statement names, for the log: its text may carry typed values, the names not.
QString Tabelle(const QString& sql) {
    static const QRegularExpression name(
        QStringLiteral("\\b(?:FROM|JOIN|INTO|UPDATE)\\s+([A-Za-z_][A-Za-z0-9_$]*)"),
        QRegularExpression::CaseInsensitiveOption);
    QStringList found;
    for (auto it = name.globalMatch(sql); it.hasNext();) {
        const QString t = it.next().captured(1).toUpper();
        if (!found.contains(t))
            found << t;
    }
    return found.isEmpty() ? QStringLiteral("-") : found.join(QLatin1Char(' '));
}
} // namespace

int TIBSQL::SogliaLenta() {
    return gSogliaLenta.load(std::memory_order_relaxed);
}
void TIBSQL::SetSogliaLenta(int ms) {
    gSogliaLenta.store(ms, std::memory_order_relaxed);
}

void TIBSQL::ExecQuery() {
    Prepare();
    RequireReady();
    Close();
    WriteParams();
    QElapsedTimer tempo;
    tempo.start();
    const TScopeExit lenta([&] {
        const int soglia = SogliaLenta();
        if (soglia > 0 && tempo.elapsed() > soglia)
            qCWarning(zelmDb).noquote()
                << "istruzione lenta:" << tempo.elapsed() << "ms; tabelle:" << Tabelle(fSql);
    });
    FbClient::Status st;
    ITransaction* tr = fTransaction->Handle();
    if (fHasCursor) {
        fCursor = fStatement->openCursor(&st, tr, fInMeta, fInBuf.data(), fOutMeta, 0);
        if (st.Failed()) {
            fCursor = nullptr;
            st.Raise();
        }
        fEof = false;
        Next();
    } else {
        const bool hasOutput = FieldCount() > 0;
        fStatement->execute(&st, tr, fInMeta, fInBuf.data(), hasOutput ? fOutMeta : nullptr,
                            hasOutput ? fOutBuf.data() : nullptr);
        st.Check();
        fSingletonRow = hasOutput;
        fEof = !hasOutput;
    }
}

bool TIBSQL::Next() {
    if (fSingletonRow) {
        fSingletonRow = false;
        fEof = true;
        return false;
    }
    if (!fCursor || fEof)
        return false;
    FbClient::Status st;
    const int r = fCursor->fetchNext(&st, fOutBuf.data());
    if (r == IStatus::RESULT_OK)
        return true;
    if (r == IStatus::RESULT_ERROR) {
        EDatabaseError e = FbClient::ErrorFromStatus(&st);
        CloseCursorNoThrow();
        throw e;
    }
    CloseCursorNoThrow(); // past the last row nothing is readable any more
    return false;
}

void TIBSQL::CloseCursorNoThrow() noexcept {
    fSingletonRow = false;
    fEof = true;
    if (!fCursor)
        return;
    FbClient::Status st;
    fCursor->close(&st);
    if (st.Failed())
        fCursor->release();
    fCursor = nullptr;
}

void TIBSQL::Close() {
    CloseCursorNoThrow();
}

void TIBSQL::FreeHandle() {
    CloseCursorNoThrow();
    ReleaseMetadata();
    if (fStatement) {
        FbClient::Status st;
        fStatement->free(&st);
        if (st.Failed())
            fStatement->release();
        fStatement = nullptr;
    }
    fFieldInfo.clear();
    fFields.clear();
    fFieldIndex.clear();
    fParams.clear();
    fParamIndex.clear();
    fParamOfPosition.clear();
    fInSlots.clear();
}

qint64 TIBSQL::RowsAffected() const {
    if (!fStatement)
        return 0;
    FbClient::Status st;
    const ISC_UINT64 n = fStatement->getAffectedRecords(&st);
    return st.Failed() ? 0 : static_cast<qint64>(n);
}
