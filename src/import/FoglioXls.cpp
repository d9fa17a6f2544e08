#include "FoglioXls.h"

#include "control/office/OfficeSuite.h"

#include <QFile>
#include <QTemporaryDir>
#include <QXmlStreamReader>

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
    return 1;
}

namespace {
/// The text of a cell: its paragraphs joined by line breaks, spaces and tabs spelt out.
QString TestoCella(QXmlStreamReader& xml) {
    QStringList paragraphs;
    QString current;
    int depth = 1; // inside the cell element
    bool inParagraph = false;
    while (depth > 0 && !xml.atEnd()) {
        xml.readNext();
        if (xml.isStartElement()) {
            ++depth;
            const auto name = xml.name();
            if (name == u"p" || name == u"h") {
                inParagraph = true;
                current.clear();
            } else if (name == u"s") {
                const int n = xml.attributes().value(QLatin1String("text:c")).toInt();
                current += QString(std::max(1, n), QLatin1Char(' '));
            } else if (name == u"tab") {
                current += QLatin1Char('\t');
            } else if (name == u"line-break") {
                current += QLatin1Char('\n');
            } else if (name == u"annotation") {
                xml.skipCurrentElement(); // a comment is not the cell's text
                --depth;
            }
        } else if (xml.isEndElement()) {
            --depth;
            if (xml.name() == u"p" || xml.name() == u"h") {
                paragraphs << current;
                inParagraph = false;
            }
        } else if (xml.isCharacters() && inParagraph) {
            current += xml.text();
        }
    }
    return paragraphs.join(QLatin1Char('\n'));
}

int Numero(const QXmlStreamAttributes& a, const char* name) {
    const int n = a.value(QLatin1String(name)).toInt();
    return n > 0 ? n : 1;
}
} // namespace

TFoglioXls TFoglioXls::DaXml(const QByteArray& data) {
    TFoglioXls foglio;
    QXmlStreamReader xml(data);
    int tables = 0;
    int row = 0;
    while (!xml.atEnd() && row < kRighe) {
        xml.readNext();
        if (!xml.isStartElement())
            continue;
        if (xml.name() == u"table" && xml.namespaceUri().endsWith(u"table:1.0")) {
            if (++tables > 1)
                break; // the first sheet only
            foglio.fHaFogli = true;
            continue;
        }
        if (tables != 1 || xml.name() != u"table-row")
            continue;
        const int repeatRows = Numero(xml.attributes(), "table:number-rows-repeated");
        // The row's cells, then the row copied over its repetitions.
        std::vector<std::pair<int, QString>> cells;
        QList<TArea> areas;
        int col = 0;
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.isEndElement() && xml.name() == u"table-row")
                break;
            if (!xml.isStartElement())
                continue;
            const bool covered = xml.name() == u"covered-table-cell";
            if (xml.name() != u"table-cell" && !covered) {
                xml.skipCurrentElement();
                continue;
            }
            const QXmlStreamAttributes a = xml.attributes();
            const int repeat = Numero(a, "table:number-columns-repeated");
            const int spanCols = Numero(a, "table:number-columns-spanned");
            const int spanRows = Numero(a, "table:number-rows-spanned");
            const QString text = covered ? QString() : TestoCella(xml);
            if (covered)
                xml.skipCurrentElement();
            for (int i = 0; i < repeat && col < kColonne; ++i, ++col) {
                if (!text.isEmpty())
                    cells.emplace_back(col, text);
                if (!covered && (spanCols > 1 || spanRows > 1))
                    areas << TArea{col, row, spanCols, spanRows};
            }
        }
        for (int r = 0; r < repeatRows && row < kRighe; ++r, ++row) {
            for (const auto& [c, text] : cells)
                foglio.fTesti[row * kColonne + c] = text.trimmed();
            for (TArea area : areas) {
                area.row = row;
                foglio.fAree << area;
            }
        }
    }
    if (xml.hasError() && tables == 0)
        throw EZavoError(QStringLiteral("Documento non leggibile: %1").arg(xml.errorString()));
    return foglio;
}

TFoglioXls TFoglioXls::DaDocumento(TSpreadsheet& documento) {
    QTemporaryDir dir;
    if (!dir.isValid())
        throw EZavoError(
            QStringLiteral("Cartella temporanea non creata: %1").arg(dir.errorString()));
    const QString path = dir.filePath(QStringLiteral("foglio.fods"));
    documento.StoreToFlatXml(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EZavoError(
            QStringLiteral("Lettura del documento non riuscita: %1").arg(file.errorString()));
    return DaXml(file.readAll());
}
