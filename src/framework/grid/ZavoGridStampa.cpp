#include "ZavoGridStampa.h"

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
#include <QImage>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QStringConverter>
#include <QStringEncoder>

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

QList<QStringList> TZavoGridStampa::Righe(const std::vector<TColonnaStampa>& colonne) const {
    QList<QStringList> rows;
    if (!DatabaseDati)
        return rows;
    auto tr = CreaTransazione(*DatabaseDati, TTipoTransazione::ReadCommitted);
    TIBSQL sql(DatabaseDati, tr.get());
    sql.ParamCheck = false;
    sql.SetSQL(SQLRif);
    sql.ExecQuery();
    std::vector<int> index;
    for (const TColonnaStampa& c : colonne)
        index.push_back(sql.FieldIndex(c.campo));
    for (; !sql.Eof(); sql.Next()) {
        QStringList row;
        for (int i : index) {
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

void TZavoGridStampa::DisegnaPagina(QPainter& p, double mm, int page, int pages,
                                    const QList<QStringList>& rows,
                                    const std::vector<TColonnaStampa>& colonne) const {
    auto r = [&](double x, double y, double w, double h) {
        return QRectF(x * mm, y * mm, w * mm, h * mm);
    };
    QFont data(QStringLiteral("Arial"));
    data.setPointSizeF(DimensioneFontDati);
    QFont bold = data;
    bold.setBold(true);
    QFont title(QStringLiteral("Arial"));
    title.setPointSizeF(12);
    title.setBold(true);
    const double rowH = DimensioneFontDati * 0.5;
    const double tableW = Orizzontale() ? 282.6 : 195.0;
    const int perPage = RighePerPagina();
    const Qt::Alignment align = Intestazione_Allineamento == 1 ? Qt::AlignHCenter : Qt::AlignLeft;
    auto cell = [&](const QRectF& box, const QString& text, const QFont& font, bool wrap) {
        p.setFont(font);
        p.setClipRect(box); // truncated at the cell's border, or wrapped inside it
        const QRectF inner = box.adjusted(0.5 * mm, 0, -0.5 * mm, 0);
        p.drawText(inner, Qt::AlignLeft | Qt::AlignVCenter | (wrap ? Qt::TextWordWrap : 0), text);
        p.setClipping(false);
    };
    p.setPen(Qt::black);
    p.setFont(title);
    p.drawText(r(7.4, 7.7, tableW - 0.1, 5.2), align | Qt::AlignVCenter, Intestazione_Riga1);
    p.drawText(r(7.4, 12.9, tableW - 0.1, 5.2), align | Qt::AlignVCenter, Intestazione_Riga2);
    double x = 7.3;
    for (const TColonnaStampa& c : colonne) {
        cell(r(x, 21.2, c.larghezzaMm, rowH), c.titolo, bold, false);
        x += c.larghezzaMm;
    }
    p.drawLine(QPointF(7.3 * mm, (21.2 + rowH) * mm),
               QPointF((7.3 + tableW) * mm, (21.2 + rowH) * mm));
    for (int i = 0; i < perPage; ++i) {
        const int index = page * perPage + i;
        if (index >= rows.size())
            break;
        const double y = 21.2 + rowH * (i + 1);
        x = 7.3;
        for (size_t c = 0; c < colonne.size(); ++c) {
            cell(r(x, y, colonne[c].larghezzaMm, rowH), rows[index].value(static_cast<int>(c)),
                 data, !FlagTroncaTesti && !colonne[c].forzata);
            x += colonne[c].larghezzaMm;
        }
    }
    if (FlagNumeraPagine) {
        p.setFont(data);
        p.drawText(Orizzontale() ? r(213.3, 197.5, 76.5, 6) : r(125.3, 282.5, 76.5, 6),
                   Qt::AlignRight | Qt::AlignVCenter,
                   QStringLiteral("Pag. %1 di %2").arg(page + 1).arg(pages));
    }
}

void TZavoGridStampa::Disegna(QPagedPaintDevice& device,
                              const std::vector<TColonnaStampa>& colonne) const {
    Disegna(device, colonne, Righe(colonne));
}

void TZavoGridStampa::Disegna(QPagedPaintDevice& device, const std::vector<TColonnaStampa>& colonne,
                              const QList<QStringList>& rows) const {
    device.setPageLayout(QPageLayout(QPageSize(QPageSize::A4),
                                     Orizzontale() ? QPageLayout::Landscape : QPageLayout::Portrait,
                                     QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));
    const int perPage = RighePerPagina();
    const int pages = std::max(1, static_cast<int>((rows.size() + perPage - 1) / perPage));
    QPainter p(&device);
    const double mm = device.logicalDpiX() / 25.4;
    for (int page = 0; page < pages; ++page) {
        if (page > 0)
            device.newPage();
        DisegnaPagina(p, mm, page, pages, rows, colonne);
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
    const QList<QStringList> rows = Righe(colonne);
    const int perPage = RighePerPagina();
    const int pages = std::max(1, static_cast<int>((rows.size() + perPage - 1) / perPage));
    QPainter p(&image);
    DisegnaPagina(p, dpi / 25.4, page, pages, rows, colonne);
    return image;
}

void TZavoGridStampa::Anteprima(QWidget* parent) {
    // Read once: the preview asks for its pages again at every change of its view.
    const std::vector<TColonnaStampa> colonne = Colonne();
    const QList<QStringList> rows = Righe(colonne);
    QPrinter printer(QPrinter::HighResolution);
    QPrintPreviewDialog dialog(&printer, parent);
    dialog.setWindowTitle(QStringLiteral("Anteprima - %1").arg(Tabella));
    connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog,
            [&](QPrinter* target) { Disegna(*target, colonne, rows); });
    dialog.exec();
}
