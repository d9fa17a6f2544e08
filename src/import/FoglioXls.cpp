#include "FoglioXls.h"

#include "control/office/OfficeSuite.h"

#include <QFile>
#include <QTemporaryDir>

TFoglioXls::TFoglioXls() : fTesti(kColonne * kRighe) {}

QString TFoglioXls::Testo(int col, int row) const {
    if (col < 0 || row < 0 || col >= kColonne || row >= kRighe)
        return QString();
    return fTesti[row * kColonne + col];
}

void TFoglioXls::SetTesto(int col, int row, const QString& text) {
    fHaFogli = true;
    if (col >= 0 && row >= 0 && col < kColonne && row < kRighe)
        fTesti[row * kColonne + col] = text.trimmed();
}

int TFoglioXls::Larghezza(int col, int row) const {
    for (const TArea& a : fAree)
        if (a.col == col && a.row == row)
            return std::max(1, a.width);
    if (!fFonte)
        return 1;
    const int key = row * kColonne + col;
    auto it = fLarghezze.find(key);
    if (it == fLarghezze.end())
        it = fLarghezze.insert(key, std::max(1, fFonte(col, row)));
    return *it;
}

TFoglioXls TFoglioXls::DaCsv(const QByteArray& csv) {
    TFoglioXls foglio;
    foglio.fHaFogli = true;
    const QString text = QString::fromUtf8(csv);
    int row = 0, col = 0;
    QString field;
    bool quoted = false, wasQuoted = false;
    auto store = [&] {
        if (row < kRighe && col < kColonne)
            foglio.fTesti[row * kColonne + col] = field.trimmed();
        field.clear();
        wasQuoted = false;
    };
    for (int i = 0; i < text.size() && row < kRighe; ++i) {
        const QChar c = text[i];
        if (quoted) {
            if (c == u'"' && i + 1 < text.size() && text[i + 1] == u'"') {
                field += u'"';
                ++i;
            } else if (c == u'"') {
                quoted = false;
            } else {
                field += c; // line breaks inside quotes belong to the cell
            }
        } else if (c == u'"' && field.isEmpty() && !wasQuoted) {
            quoted = wasQuoted = true;
        } else if (c == u',') {
            store();
            ++col;
        } else if (c == u'\n' || c == u'\r') {
            if (c == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n')
                ++i;
            store();
            ++row;
            col = 0;
        } else {
            field += c;
        }
    }
    if (!field.isEmpty())
        store();
    return foglio;
}

TFoglioXls TFoglioXls::DaDocumento(TSpreadsheet& documento) {
    if (documento.SheetCount() == 0)
        return TFoglioXls();
    QTemporaryDir dir;
    if (!dir.isValid())
        throw EZavoError(
            QStringLiteral("Cartella temporanea non creata: %1").arg(dir.errorString()));
    const QString path = dir.filePath(QStringLiteral("foglio.csv"));
    documento.StoreToCsv(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EZavoError(
            QStringLiteral("Lettura del documento non riuscita: %1").arg(file.errorString()));
    TFoglioXls foglio = DaCsv(file.readAll());
    foglio.SetFonteLarghezze([&documento](int col, int row) {
        const TSpreadsheet::TArea a = documento.MergedArea(col, row);
        return a.startColumn == col && a.startRow == row ? a.endColumn - a.startColumn + 1 : 1;
    });
    return foglio;
}
