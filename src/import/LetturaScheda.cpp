#include "LetturaScheda.h"

#include "framework/core/DataBreve.h"
#include "framework/core/ZavoError.h"

namespace {
/// The first cell equal to `label` from (firstCol, firstRow), row by row.
bool Trova(const TFoglioXls& f, const QString& label, int firstCol, int firstRow, int& col,
           int& row) {
    const QString wanted = label.trimmed();
    for (row = std::max(0, firstRow); row < TFoglioXls::kRighe; ++row)
        for (col = std::max(0, firstCol); col < TFoglioXls::kColonne; ++col)
            if (f.Testo(col, row) == wanted)
                return true;
    return false;
}

QString Valore(const TFoglioXls& f, const QString& label, int n, int firstCol, int firstRow,
               int dCol, int dRow) {
    int col = 0, row = 0;
    if (!f.HaFogli() || !Trova(f, label, firstCol, firstRow, col, row))
        return QString();
    for (int i = 1; i <= n; ++i) {
        const int c = col + i * dCol, r = row + i * dRow;
        if (c >= TFoglioXls::kColonne || r >= TFoglioXls::kRighe)
            break;
        if (const QString v = f.Testo(c, r); !v.isEmpty())
            return v;
    }
    return QString();
}

/// A date of the header; an unreadable one leaves its message in `errore` (the first only).
QDate DataEtichettata(const char* label, const QString& text, QString& errore) {
    try {
        return NormalizzaData(text);
    } catch (const EZavoError&) {
        if (errore.isEmpty())
            errore = QStringLiteral("%1: '%2' non è una data valida (atteso gg/mm/aaaa)")
                         .arg(QLatin1String(label), text.trimmed());
        return QDate();
    }
}

QDate DataDestra(const TFoglioXls& f, const char* label, QString& errore) {
    return DataEtichettata(label, ValoreDestra(f, QLatin1String(label), 5), errore);
}

/// The first cell of column A from `firstRow` whose text, upper-cased, is `label`; -1 if none.
int RigaInColonnaA(const TFoglioXls& f, const char* label, int firstRow) {
    for (int row = firstRow; row < TFoglioXls::kRighe; ++row)
        if (f.Testo(0, row).toUpper() == QLatin1String(label))
            return row;
    return -1;
}
} // namespace

QString ValoreSotto(const TFoglioXls& f, const QString& label, int n, int firstCol, int firstRow) {
    return Valore(f, label, n, firstCol, firstRow, 0, 1);
}

QString ValoreDestra(const TFoglioXls& f, const QString& label, int n, int firstCol, int firstRow) {
    return Valore(f, label, n, firstCol, firstRow, 1, 0);
}

QDate NormalizzaData(const QString& text) {
    QString t = text.trimmed().toUpper();
    t.remove(QStringLiteral("OK"));
    t = t.trimmed();
    t.replace(QLatin1Char('-'), QLatin1Char('/'));
    t.replace(QStringLiteral("//"), QStringLiteral("/"));
    t.replace(QStringLiteral("//"), QStringLiteral("/"));
    if (t == QLatin1String(":"))
        return QDate();
    return DataBreveValida(t);
}

TTestataXls LeggiTestata(const TFoglioXls& f) {
    TTestataXls t;
    bool empty = true;
    for (int row = 0; row < TFoglioXls::kRighe && empty; ++row)
        for (int col = 0; col < TFoglioXls::kColonne && empty; ++col)
            empty = f.Testo(col, row).isEmpty();
    if (empty)
        throw EZavoError(QStringLiteral("Il foglio di lavoro è vuoto o non leggibile"));
    t.SiglaCliente = ValoreSotto(f, QStringLiteral("CLIENTE"), 1);
    if (t.SiglaCliente.isEmpty())
        throw EZavoError(QStringLiteral("Errore ZELMMODEL: SiglaCliente mancante"));
    QString& errore = t.ErroreData;
    t.Data = DataEtichettata("DATA", ValoreSotto(f, QStringLiteral("DATA"), 1), errore);
    if (!t.Data.isValid() && errore.isEmpty())
        errore = QStringLiteral("Errore ZELMMODEL: Data mancante");
    t.DataPrototipo = DataDestra(f, "PROTOTIPO", errore);
    if (!t.DataPrototipo.isValid())
        t.DataPrototipo = DataEtichettata(
            "PROTOTIPO",
            ValoreDestra(f, QStringLiteral("PROTOTIPO") + QString(26, QLatin1Char(' ')) + ":", 5),
            errore);
    t.DataCampione = DataDestra(f, "CAMPIONE", errore);
    t.DataConfermaCampione = DataDestra(f, "CONFERMA CAMPIONE", errore);
    t.DataSfilata = DataDestra(f, "SFILATA", errore);
    t.DataConfermaSfilata = DataDestra(f, "CONFERMA SFILATA", errore);
    t.DataTestaDiSerie = DataDestra(f, "TESTA DI SERIE", errore);
    t.DataConfermaTestaDiSerie = DataDestra(f, "CONFERMA T. DI SERIE", errore);
    t.DataConfermaProduzione = DataDestra(f, "CONFERMA PROD.", errore);
    t.Lavorazione = ValoreSotto(f, QStringLiteral("LAVORAZIONE"), 1);
    t.Codice = ValoreSotto(f, QStringLiteral("CODICE"), 1);
    t.Forma = ValoreSotto(f, QStringLiteral("FORMA"), 1);
    t.Tacco = ValoreSotto(f, QStringLiteral("TACCO"), 1);
    t.Plato = ValoreSotto(f, QStringLiteral("PLATO"), 1);
    t.Stagione = ValoreDestra(f, QStringLiteral("STAGIONE"), 5);
    t.Tipo = ValoreDestra(f, QStringLiteral("TIPO"), 5);
    t.ModoLavorazione = ValoreDestra(f, QStringLiteral("LAVORAZ."), 5);
    t.Modello = ValoreDestra(f, QStringLiteral("MODELLO"), 5);
    t.Linea = ValoreDestra(f, QStringLiteral("LINEA"), 5);
    t.Industrializzatore = ValoreDestra(f, QStringLiteral("INDUSTRIALIZZATORE"), 5);
    t.NoteVarie = ValoreDestra(f, QStringLiteral("VARIE"), 5, 0, 60);
    t.NoteCuoio = ValoreDestra(f, QStringLiteral("CUOIO"), 5, 0, 60);
    t.NoteCamp = ValoreDestra(f, QStringLiteral("CAMP."), 5, 0, 60);
    return t;
}

TTaglieXls LeggiTaglie(const TFoglioXls& f) {
    TTaglieXls out;
    int labelRow = -1;
    for (int row = 0; row < TFoglioXls::kRighe && labelRow < 0; ++row)
        for (int col = 0; col < TFoglioXls::kColonne; ++col)
            if (f.Testo(col, row).toUpper() == QLatin1String("STAGIONE")) {
                labelRow = row;
                break;
            }
    if (labelRow < 0 || labelRow > 12)
        return out;
    for (int col = 1; col < TFoglioXls::kColonne; ++col) {
        const QString size = f.Testo(col, labelRow + 1);
        if (size.isEmpty())
            break;
        out.Taglie << size;
    }
    const int count = static_cast<int>(out.Taglie.size());
    for (int row = labelRow + 2; row < TFoglioXls::kRighe; ++row) {
        const QString label = f.Testo(0, row).toUpper();
        if (label == QLatin1String("TIPO") || label == QLatin1String("LAVORAZ.") ||
            label == QLatin1String("LAVORAZIONE") || label == QLatin1String("MODELLO"))
            break;
        QStringList values;
        // A merged cell stands for as many sizes as it is wide.
        for (int col = 1; col - 1 < count && col < TFoglioXls::kColonne;) {
            const QString text = f.Testo(col, row);
            // The cells a merged area covers read empty: only a text followed by an empty cell
            // can stand for several sizes, and only its width is asked for.
            const bool mayCover = !text.isEmpty() && col < count && f.Testo(col + 1, row).isEmpty();
            const int width = mayCover ? f.Larghezza(col, row) : 1;
            for (int i = 0; i < width && values.size() < count; ++i)
                values << text;
            col += width;
        }
        bool empty = true;
        for (const QString& v : values)
            empty = empty && v.isEmpty();
        if (empty)
            continue;
        if (values.value(0).toLower().contains(QLatin1String("interi")))
            for (int i = 0; i < values.size(); ++i)
                values[i] = i % 2 == 0 ? QStringLiteral("X") : QString();
        for (QString& v : values)
            if (v.isEmpty())
                v = QStringLiteral(".");
        out.Righe << TRigaDettaglio{label, values};
    }
    return out;
}

QList<TSetOpzioniItem> LeggiOpzioni(const TFoglioXls& f) {
    QList<TSetOpzioniItem> list;
    const int linea = RigaInColonnaA(f, "LINEA", 10);
    if (linea < 0)
        return list;
    for (int row = linea + 1; row < TFoglioXls::kRighe; ++row) {
        const QString label = f.Testo(0, row);
        if (label.isEmpty())
            break;
        list << TSetOpzioniItem{label, f.Testo(1, row)};
        if (label.toUpper() == QLatin1String("COLORE"))
            break;
    }
    return list;
}

QList<TPreferenzeComp> LeggiPreferenze(const TFoglioXls& f) {
    QList<TPreferenzeComp> list;
    const int linea = RigaInColonnaA(f, "LINEA", 0);
    if (linea < 0)
        return list;
    const std::pair<int, int> pairs[] = {{10, 9}, {14, 13}, {18, 17}}; // label, mark: K/J, O/N, S/R
    for (int row = linea + 1, n = 1; row < TFoglioXls::kRighe; ++row, ++n) {
        bool any = false;
        for (const auto& [label, mark] : pairs)
            any = any || !f.Testo(label, row).isEmpty();
        if (!any && n >= 4)
            break;
        for (const auto& [label, mark] : pairs)
            if (const QString text = f.Testo(label, row); !text.isEmpty())
                list << TPreferenzeComp{text, f.Testo(mark, row).toUpper() == QLatin1String("X")};
    }
    return list;
}

std::optional<int> TrovaSet(const QList<TSetCandidato>& sets, const QStringList& etichette) {
    for (const TSetCandidato& s : sets) {
        if (s.Etichette.size() != etichette.size())
            continue;
        bool same = true;
        for (int i = 0; same && i < etichette.size(); ++i)
            same = s.Etichette[i].trimmed().compare(etichette[i], Qt::CaseInsensitive) == 0;
        if (same)
            return s.NSet;
    }
    return std::nullopt;
}
