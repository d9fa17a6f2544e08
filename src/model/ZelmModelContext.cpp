#include "ZelmModelContext.h"

#include <QMap>
#include <QVariant>

#include <algorithm>

void TZelmModelContext::Assign(const TZelmModelContext& from) {
    if (&from == this)
        return;
    ClearSlots();
    OperazioneStorico = from.OperazioneStorico;
    SetModel(CloneOrNone(from.Model()));
    SetCliente(CloneOrNone(from.Cliente()));
    SetDett(CloneOrNone(from.Dett()));
    SetSto(CloneOrNone(from.Sto()));
    SetOpz(CloneOrNone(from.Opz()));
    SetPrefComp(CloneOrNone(from.PrefComp()));
    SetTaglieOperative(CloneOrNone(from.TaglieOperative()));
    SetSetOpzioniLavoraz(CloneOrNone(from.SetOpzioniLavoraz()));
    SetSetPreferenzeComponenti(CloneOrNone(from.SetPreferenzeComponenti()));
}

std::unique_ptr<TZelmModelContext> TZelmModelContext::Clone() const {
    auto copy = std::make_unique<TZelmModelContext>();
    copy->Assign(*this);
    return copy;
}

namespace {
/// A row that only remembers what a record writes into it, column by column.
class TValoriRiga : public TRow {
public:
    QMap<QString, QVariant> valori;
    bool IsNull(const char* name) const override { return !valori.value(name).isValid(); }
    int AsInteger(const char* name) const override { return valori.value(name).toInt(); }
    QString AsString(const char* name) const override { return valori.value(name).toString(); }
    double AsFloat(const char* name) const override { return valori.value(name).toDouble(); }
    QDateTime AsDateTime(const char* name) const override {
        return valori.value(name).toDateTime();
    }
    void SetNull(const char* name) override { valori[name] = QVariant(); }
    void SetInteger(const char* name, int value) override { valori[name] = value; }
    void SetString(const char* name, const QString& value) override { valori[name] = value; }
    void SetFloat(const char* name, double value) override { valori[name] = value; }
    void SetDate(const char* name, const QDate& value) override { valori[name] = value; }
    void SetDateTime(const char* name, const QDateTime& value) override { valori[name] = value; }
};

template <typename R> QString Valori(const R& record) {
    TValoriRiga row;
    record.AssignTo(row);
    QStringList parts;
    for (auto it = row.valori.cbegin(); it != row.valori.cend(); ++it)
        parts << it.key() + QLatin1Char('=') +
                     (it.value().isValid() ? it.value().toString() : QStringLiteral("<null>"));
    return parts.join(QChar(0x1F));
}

/// The rows of a list, whatever their order; none and an empty list are the same.
template <typename L> QStringList Righe(const L* list) {
    QStringList rows;
    if (list)
        for (const auto& item : *list)
            rows << Valori(*item);
    std::sort(rows.begin(), rows.end());
    return rows;
}
} // namespace

bool StessiDatiArchiviati(const TZelmModelContext& a, const TZelmModelContext& b) {
    if (!a.Model() || !b.Model())
        return !a.Model() && !b.Model();
    return Valori(*a.Model()) == Valori(*b.Model()) && Righe(a.Dett()) == Righe(b.Dett()) &&
           Righe(a.Sto()) == Righe(b.Sto()) && Righe(a.Opz()) == Righe(b.Opz()) &&
           Righe(a.PrefComp()) == Righe(b.PrefComp());
}
