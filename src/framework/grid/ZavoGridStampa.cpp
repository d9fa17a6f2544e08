#include "ZavoGridStampa.h"

#include "ZavoGridSql.h"

#include "framework/core/Dialogs.h"
#include "framework/core/Processo.h"
#include "framework/core/WinPath.h"
#include "framework/core/ZavoError.h"
#include "framework/db/DBConnection.h"
#include "framework/db/IBDatabase.h"
#include "framework/db/IBSQL.h"
#include "framework/db/IBTransaction.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QImage>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QStringConverter>
#include <QStringEncoder>
#include <QTextOption>

#include <cmath>

int PixelInMm(int pixels) {
    return static_cast<int>(std::nearbyint(pixels / 3.7795)); // the default rounding: ties to even
}

TZavoGridStampa::TZavoGridStampa(QObject* owner)
    : QObject(owner), fCreazione(QDateTime::currentDateTime()) {
    pNomeReport = QStringLiteral("StZavoGrid_%1.LST")
                      .arg(fCreazione.toString(QStringLiteral("yyyyMMddhhmmsszzz")));
}

TZavoGridStampa::~TZavoGridStampa() {
    QFile::remove(FileProgetto());
}

QString TZavoGridStampa::FileProgetto() const {
    const QString folder = BinDir.isEmpty() ? QCoreApplication::applicationDirPath()
                                            : QDir(BinDir).filePath(QStringLiteral("report"));
    return QDir(folder).filePath(pNomeReport);
}

std::vector<TColonnaStampa> TZavoGridStampa::Seleziona(const QList<TColonnaSalvata>& stored) const {
    std::vector<TColonnaStampa> out;
    int total = 0;
    for (const TColonnaSalvata& c : stored) {
        const int mm = PixelInMm(c.pixel);
        if (total + mm > LarghezzaStampabile()) {
            // The first column past the page ends the list; it is printed only when forced,
            // taking what is left of the width.
            if (FlagForzaUltimaColonna)
                out.push_back({c.campo, c.titolo, LarghezzaStampabile() - total, true});
            return out;
        }
        total += mm;
        out.push_back({c.campo, c.titolo, mm, false});
    }
    if (FlagForzaUltimaColonna && !out.empty()) {
        out.back().larghezzaMm = LarghezzaStampabile() - (total - out.back().larghezzaMm);
        out.back().forzata = true;
    }
    return out;
}

std::vector<TColonnaStampa> TZavoGridStampa::Colonne() const {
    if (!DatabaseRif)
        throw EZavoError(QStringLiteral("Database delle impostazioni non indicato"));
    auto tr = CreaTransazione(*DatabaseRif, TTipoTransazione::ReadCommitted);
    TIBSQL sql(DatabaseRif, tr.get());
    sql.ParamCheck = false;
    sql.SetSQL(QStringList{"SELECT", "  NOMECAMPO,", "  NOMECOLONNA,", "  LARGHEZZA", "FROM",
                           "  STOASP1", "WHERE", "  CODICEPROGETTO=" + QString::number(Progetto),
                           "  AND", "  CODICESITUAZIONE=" + QString::number(std::abs(Situazione)),
                           "  AND", "  CODICEUTENTE=" + QString::number(Utente), "  AND",
                           "  VISIBILE=1", "ORDER BY", "  POSIZIONE"});
    QList<TColonnaSalvata> stored;
    for (sql.ExecQuery(); !sql.Eof(); sql.Next())
        stored << TColonnaSalvata{sql.Fields(0).AsString(), sql.Fields(1).AsString(),
                                  sql.Fields(2).AsInteger()};
    return Seleziona(stored);
}

QString TZavoGridStampa::TestoProgetto(const std::vector<TColonnaStampa>& colonne) const {
    const bool o = Orizzontale();
    const QString pageW = o ? "296900" : "210000", pageH = o ? "210000" : "296900";
    const QString tableSize = o ? "(0,0,282600,173200)" : "(0,0,195000,257600)";
    const QString tablePos = o ? "(7300,21200,282600,173200)" : "(7300,21200,195000,257600)";
    const QString titlePos = o ? "(7400,7700,282500,10400)" : "(7400,7700,194900,10400)";
    const QString pagePos = o ? "(213300,197500,76500,6000)" : "(125300,282500,76500,6000)";
    const QString orientation = o ? "2" : "1";
    const QString font =
        QStringLiteral("{(0,0,0),%1,0,0,0,0,400,0,0,0,0,0,0,0,0,Arial}").arg(DimensioneFontDati);
    QStringList l;
    l << "[Description]"
      << "Text=" + Tabella << "[Layout]"
      << "Units=SCM-Units"
      << "FileVersion=6"
      << "xSize=" + pageW << "ySize=" + pageH << "P1.xSize=" + pageW << "P1.ySize=" + pageH
      << "P2.xSize=" + pageW << "P2.ySize=" + pageH << "P1.PaperFormat=9"
      << "P1.PaperFormatX=" + pageW << "P1.PaperFormatY=" + pageH << "P1.PaperFormatForce=True"
      << "P2.PaperFormat=9"
      << "P2.PaperFormatX=" + pageW << "P2.PaperFormatY=" + pageH << "P2.PaperFormatForce=True"
      << "Orientation=" + orientation << "P1.Orientation=" + orientation
      << "P2.Orientation=" + orientation
      << "DefFont={(0,0,0),12,-16,0,0,0,400,0,0,0,0,4,0,5,0,Arial}"
      << "DefSizeText=(0,0,76500,6000)"
      << "DefSizeTable=" + tableSize << QStringLiteral("ObjectCount=%1").arg(o ? 3 : 2);
    // The table: the data line, then the header line, one column per printed column.
    l << "[Object 0]"
      << "Type=Table"
      << "Pos=" + tablePos << "DefFont={(0,0,0),10,-13,0,0,0,400,0,0,0,0,3,2,1,34,Arial}";
    const char* lines[] = {"Data", "Header"};
    for (const char* line : lines) {
        const bool header = QLatin1String(line) == QLatin1String("Header");
        l << QStringLiteral("[Object 0.%1]").arg(QLatin1String(line))
          << QStringLiteral("Columns=%1").arg(colonne.size());
        for (size_t i = 0; i < colonne.size(); ++i) {
            const TColonnaStampa& c = colonne[i];
            l << QStringLiteral("[Object 0.%1.Column %2]").arg(QLatin1String(line)).arg(i)
              << QStringLiteral("Width=%1").arg(c.larghezzaMm * 1000) << "Height=10000"
              << QStringLiteral("LineWrap=%1").arg(FlagTroncaTesti || c.forzata ? 0 : 1)
              << "Font=" + font
              << "Text=" + (header ? QLatin1Char('"') + c.titolo + QLatin1Char('"') : c.campo);
        }
    }
    l << "[Object 1]"
      << "Type=Text"
      << "Pos=" + titlePos << "Font={(0,0,0),12,0,0,0,0,700,0,0,0,0,0,0,0,0,Arial}"
      << "Paragraphs=2";
    const QString righe[] = {Intestazione_Riga1, Intestazione_Riga2};
    for (int i = 0; i < 2; ++i)
        l << QStringLiteral("[Object 1.Paragraph %1]").arg(i)
          << QStringLiteral("Align=%1").arg(Intestazione_Allineamento)
          << QStringLiteral("LineWrap=%1").arg(FlagTroncaTesti ? 0 : 1)
          << QStringLiteral("Text=\"%1\"").arg(righe[i]);
    l << "[Object 2]"
      << "Type=Text"
      << "Pos=" + pagePos << QStringLiteral("Condition=%1").arg(FlagNumeraPagine ? "True" : "False")
      << "Align=2"
      << "Text=\"Pag. \"+Page$()+\" di \"+TotalPages$()";
    return l.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

QString TZavoGridStampa::TestoRichiesta(const QString& progetto, bool anteprima) const {
    QStringList l{"<ZavoForm>",
                  "<SQLStampa>" + SQLRif + "</SQLStampa>",
                  "<NomeReport>" + progetto + "</NomeReport>",
                  "<TitoloStampa>" + Tabella + "</TitoloStampa>",
                  anteprima ? QStringLiteral("<AnteprimaDiretta>1</AnteprimaDiretta>")
                            : QStringLiteral("<EditaReportDiretto>1</EditaReportDiretto>"),
                  "</ZavoForm>"};
    return l.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n");
}

QString TZavoGridStampa::Launcher() {
    const QString direct = HostProgramDir() + QStringLiteral("PrentixLaunch");
    if (QFileInfo(direct).isFile())
        return direct;
    const QString combit = HostProgramDir() + QStringLiteral("Combit/PrentixLaunch");
    return QFileInfo(combit).isFile() ? combit : QString();
}

namespace {
/// Written in the Windows code page of the host suite's programs (Windows-1252: "€" and "–"
/// too; a character it lacks becomes "?").
void Scrivi(const QString& path, const QString& text) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw EZavoError(
            QStringLiteral("Scrittura di %1 non riuscita: %2").arg(path, f.errorString()));
    QStringEncoder cp1252("windows-1252");
    f.write(cp1252.isValid() ? QByteArray(cp1252.encode(text)) : text.toLatin1());
}
} // namespace

bool TZavoGridStampa::Stampa(bool anteprima) {
    const QString launcher = Launcher();
    if (launcher.isEmpty())
        return false;
    const QString project = FileProgetto();
    QFile::remove(project);
    Scrivi(project, TestoProgetto(Colonne()));
    const QString request = QDir(BinDir.isEmpty() ? QCoreApplication::applicationDirPath() : BinDir)
                                .filePath(QStringLiteral("Report/%1.txt")
                                              .arg(QDateTime::currentDateTime().toString(
                                                  QStringLiteral("yyyyMMddhhmmsszzz"))));
    Scrivi(request, TestoRichiesta(project, anteprima));
    try {
        EseguiProgramma(launcher, {QString::number(Utente), request});
    } catch (const EZavoError&) {
        // A launcher that cannot start: the request is not carried out, the files still go.
    }
    QFile::remove(project);
    QFile::remove(request);
    return true;
}

// --- our own preview ------------------------------------------------------------------------

int TZavoGridStampa::RighePerPagina() const {
    const double table = Orizzontale() ? 173.2 : 257.6;
    const double row = DimensioneFontDati * 0.5;           // mm: 4, 5, 6
    return std::max(1, static_cast<int>(table / row) - 1); // one line for the titles
}

QList<QStringList> TZavoGridStampa::Righe(const std::vector<TColonnaStampa>& colonne,
                                          std::vector<bool>* numeriche) const {
    QList<QStringList> rows;
    if (numeriche)
        numeriche->assign(colonne.size(), false);
    if (!DatabaseDati)
        return rows;
    auto tr = CreaTransazione(*DatabaseDati, TTipoTransazione::ReadCommitted);
    TIBSQL sql(DatabaseDati, tr.get());
    sql.ParamCheck = false;
    sql.SetSQL(SQLRif);
    sql.ExecQuery();
    std::vector<int> index;
    for (size_t c = 0; c < colonne.size(); ++c) {
        index.push_back(sql.FieldIndex(colonne[c].campo));
        // Right-aligned as in the grid: the column's SQL type tells its kind.
        if (numeriche && index.back() >= 0)
            (*numeriche)[c] = ClasseDaTipoSql(sql.FieldInfo(index.back()).sqlType) == clNumero;
    }
    for (; !sql.Eof(); sql.Next()) {
        QStringList row;
        for (size_t c = 0; c < index.size(); ++c) {
            const int i = index[c];
            if (i < 0) {
                row << QString();
                continue;
            }
            const QVariant v = sql.Fields(i).AsVariant();
            row << (v.typeId() == QMetaType::QDate ? v.toDate().toString("dd/MM/yyyy")
                    : v.typeId() == QMetaType::QDateTime
                        ? v.toDateTime().toString("dd/MM/yyyy HH:mm")
                        : sql.Fields(i).AsString());
        }
        rows << row;
    }
    return rows;
}

namespace {
constexpr double kRigaTitoli = 21.2; // mm from the top: the titles' row

/// The longest beginning of `text` that fits in `width`: a cut text ends at its cell and the
/// page holds only what shows (a PDF's text too).
QString Taglia(const QFontMetricsF& fm, const QString& text, double width) {
    if (fm.horizontalAdvance(text) <= width)
        return text;
    qsizetype lo = 0, hi = text.size();
    while (lo < hi) {
        const qsizetype mid = (lo + hi + 1) / 2;
        if (fm.horizontalAdvance(text.left(mid)) <= width)
            lo = mid;
        else
            hi = mid - 1;
    }
    return text.left(lo);
}

QFont FontDati(int size) {
    QFont data(QStringLiteral("Arial"));
    data.setPointSizeF(size);
    return data;
}
} // namespace

std::vector<TZavoGridStampa::TPaginaStampa>
TZavoGridStampa::Impagina(QPainter& p, double mm, const QList<QStringList>& rows,
                          const std::vector<TColonnaStampa>& colonne) const {
    const double rowH = DimensioneFontDati * 0.5;
    const double table = (Orizzontale() ? 173.2 : 257.6) - rowH; // below the titles
    std::vector<TPaginaStampa> pages(1);
    bool wraps = false;
    for (const TColonnaStampa& c : colonne)
        wraps = wraps || (!FlagTroncaTesti && !c.forzata);
    p.setFont(FontDati(DimensioneFontDati));
    const double line = p.fontMetrics().height() / mm;
    const double pad = std::max(0.0, (rowH - line) / 2);
    double used = 0;
    for (int r = 0; r < rows.size(); ++r) {
        double height = rowH;
        if (wraps)
            for (size_t c = 0; c < colonne.size(); ++c) {
                if (FlagTroncaTesti || colonne[c].forzata)
                    continue;
                const QString text = rows[r].value(static_cast<int>(c));
                if (text.isEmpty())
                    continue;
                QTextOption option(Qt::AlignLeft | Qt::AlignTop);
                option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
                const QRectF inner(0, 0, (colonne[c].larghezzaMm - 1.0) * mm, 1e6);
                const double needed = p.boundingRect(inner, text, option).height() / mm + 2 * pad;
                height = std::max(height, std::min(needed, table));
            }
        if (used + height > table + 1e-6 && !pages.back().altezze.empty()) {
            pages.push_back(TPaginaStampa{r, {}});
            used = 0;
        }
        pages.back().altezze.push_back(height);
        used += height;
    }
    return pages;
}

void TZavoGridStampa::DisegnaPagina(QPainter& p, double mm, int page,
                                    const std::vector<TPaginaStampa>& pagine,
                                    const QList<QStringList>& rows,
                                    const std::vector<TColonnaStampa>& colonne,
                                    const std::vector<bool>& numeriche) const {
    auto r = [&](double x, double y, double w, double h) {
        return QRectF(x * mm, y * mm, w * mm, h * mm);
    };
    const QFont data = FontDati(DimensioneFontDati);
    QFont bold = data;
    bold.setBold(true);
    QFont title(QStringLiteral("Arial"));
    title.setPointSizeF(12);
    title.setBold(true);
    const double rowH = DimensioneFontDati * 0.5;
    const double tableW = Orizzontale() ? 282.6 : 195.0;
    const Qt::Alignment align = Intestazione_Allineamento == 1 ? Qt::AlignHCenter : Qt::AlignLeft;
    p.setFont(data);
    const double pad = std::max(0.0, (rowH - p.fontMetrics().height() / mm) / 2);
    auto cell = [&](const QRectF& box, const QString& text, const QFont& font, bool wrap,
                    bool right) {
        p.setFont(font);
        // Text stays within the cell less a small gap: neighbouring cells never touch, a cut
        // text ends at its own border.
        const QRectF inner = box.adjusted(0.5 * mm, pad * mm, -0.5 * mm, 0);
        p.setClipRect(box.adjusted(0.5 * mm, 0, -0.5 * mm, 0));
        QTextOption option((right ? Qt::AlignRight : Qt::AlignLeft) | Qt::AlignTop);
        option.setWrapMode(wrap ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::NoWrap);
        p.drawText(inner,
                   wrap ? text : Taglia(QFontMetricsF(font, p.device()), text, inner.width()),
                   option);
        p.setClipping(false);
    };
    p.setPen(Qt::black);
    p.setFont(title);
    p.drawText(r(7.4, 7.7, tableW - 0.1, 5.2), align | Qt::AlignVCenter, Intestazione_Riga1);
    p.drawText(r(7.4, 12.9, tableW - 0.1, 5.2), align | Qt::AlignVCenter, Intestazione_Riga2);
    double x = 7.3;
    for (size_t c = 0; c < colonne.size(); ++c) {
        // A number's title stands over its figures, on the right.
        cell(r(x, kRigaTitoli, colonne[c].larghezzaMm, rowH), colonne[c].titolo, bold, false,
             c < numeriche.size() && numeriche[c]);
        x += colonne[c].larghezzaMm;
    }
    p.drawLine(QPointF(7.3 * mm, (kRigaTitoli + rowH) * mm),
               QPointF((7.3 + tableW) * mm, (kRigaTitoli + rowH) * mm));
    const TPaginaStampa& pagina = pagine[static_cast<size_t>(page)];
    double y = kRigaTitoli + rowH;
    for (size_t i = 0; i < pagina.altezze.size(); ++i) {
        const int index = pagina.prima + static_cast<int>(i);
        if (index >= rows.size())
            break;
        const double height = pagina.altezze[i];
        x = 7.3;
        for (size_t c = 0; c < colonne.size(); ++c) {
            cell(r(x, y, colonne[c].larghezzaMm, height), rows[index].value(static_cast<int>(c)),
                 data, !FlagTroncaTesti && !colonne[c].forzata,
                 c < numeriche.size() && numeriche[c]);
            x += colonne[c].larghezzaMm;
        }
        y += height;
    }
    if (FlagNumeraPagine) {
        p.setFont(data);
        p.drawText(Orizzontale() ? r(213.3, 197.5, 76.5, 6) : r(125.3, 282.5, 76.5, 6),
                   Qt::AlignRight | Qt::AlignVCenter,
                   QStringLiteral("Pag. %1 di %2").arg(page + 1).arg(pagine.size()));
    }
}

void TZavoGridStampa::Disegna(QPagedPaintDevice& device,
                              const std::vector<TColonnaStampa>& colonne) const {
    std::vector<bool> numeriche;
    const QList<QStringList> rows = Righe(colonne, &numeriche);
    Disegna(device, colonne, rows, numeriche);
}

void TZavoGridStampa::Disegna(QPagedPaintDevice& device, const std::vector<TColonnaStampa>& colonne,
                              const QList<QStringList>& rows,
                              const std::vector<bool>& numeriche) const {
    device.setPageLayout(QPageLayout(QPageSize(QPageSize::A4),
                                     Orizzontale() ? QPageLayout::Landscape : QPageLayout::Portrait,
                                     QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
    QPainter p(&device);
    const double mm = device.logicalDpiX() / 25.4;
    const std::vector<TPaginaStampa> pages = Impagina(p, mm, rows, colonne);
    for (size_t page = 0; page < pages.size(); ++page) {
        if (page > 0)
            device.newPage();
        DisegnaPagina(p, mm, static_cast<int>(page), pages, rows, colonne, numeriche);
    }
}

QImage TZavoGridStampa::Pagina(int page, const std::vector<TColonnaStampa>& colonne,
                               int dpi) const {
    const QSizeF mmSize = Orizzontale() ? QSizeF(297, 210) : QSizeF(210, 297);
    QImage image(qRound(mmSize.width() / 25.4 * dpi), qRound(mmSize.height() / 25.4 * dpi),
                 QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(dpi / 0.0254));
    image.setDotsPerMeterY(qRound(dpi / 0.0254));
    image.fill(Qt::white);
    std::vector<bool> numeriche;
    const QList<QStringList> rows = Righe(colonne, &numeriche);
    QPainter p(&image);
    const double mm = dpi / 25.4;
    const std::vector<TPaginaStampa> pages = Impagina(p, mm, rows, colonne);
    if (page >= 0 && page < static_cast<int>(pages.size()))
        DisegnaPagina(p, mm, page, pages, rows, colonne, numeriche);
    return image;
}

void TZavoGridStampa::Anteprima(QWidget* parent) {
    // Read once: the preview asks for its pages again at every change of its view.
    const std::vector<TColonnaStampa> colonne = Colonne();
    std::vector<bool> numeriche;
    const QList<QStringList> rows = Righe(colonne, &numeriche);
    QPrinter printer(QPrinter::HighResolution);
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setWindowTitle(QStringLiteral("Anteprima - %1").arg(Tabella));
    connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
            [&](QPrinter* target) { Disegna(*target, colonne, rows, numeriche); });
    dialog.exec();
}
