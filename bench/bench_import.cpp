// import: one complete workbook (header, 8 sizes, 10 detail rows, options, preferences, no
// pictures) imported through the driver, against the office's own load and close of the same
// workbook. import-first: the first workbook of a window just opened, the office cold, the user
// taking 2 s to pick it, against the same with the office warm. import-folder: a folder of 200
// such workbooks in one process and one office: the rate, the last 50 workbooks' mean time over
// the first 50's, and the resident memory added.
#include "BenchSupport.h"

#include "HostDb.h"

#include "control/office/OfficeSuite.h"
#include "framework/db/IBDatabase.h"
#include "import/ImportXls.h"

#include <QGuiApplication>
#include <QThread>

#include <numeric>

namespace {
void Workbook(const QString& path) {
    auto doc = TOfficeSuite::Instance().NewSpreadsheet();
    QList<QVariantList> rows(28, QVariantList(20, QString()));
    auto set = [&](int col, int row, const QVariant& v) { rows[row][col] = v; };
    const char* header[] = {"CLIENTE", "DATA", "LAVORAZIONE", "CODICE", "FORMA", "TACCO", "PLATO"};
    const char* values[] = {"MILANO MODA", "12-03-2024 OK", "Cucito", "B-1", "F1", "T1", "P1"};
    for (int i = 0; i < 7; ++i) {
        set(i, 0, header[i]);
        set(i, 1, values[i]);
    }
    set(0, 2, "PROTOTIPO");
    set(1, 2, "01/02/2024");
    set(0, 3, "STAGIONE");
    set(1, 3, "PE 2025");
    for (int s = 0; s < 8; ++s)
        set(1 + s, 4, 35 + s);
    for (int r = 0; r < 10; ++r) {
        set(0, 5 + r, QStringLiteral("MISURA %1").arg(r + 1));
        for (int s = 0; s < 8; ++s)
            set(1 + s, 5 + r, 200 + 5 * s + r);
    }
    set(0, 15, "TIPO");
    set(1, 15, "Donna");
    set(0, 16, "LAVORAZ.");
    set(1, 16, "Montato");
    set(0, 17, "MODELLO");
    set(1, 17, "Aurora");
    set(0, 18, "LINEA");
    set(1, 18, "Classica");
    const char* options[] = {"Cucitura tomaia", "Fodera", "Sottopiede", "Suola", "Tacco", "Bordo"};
    for (int i = 0; i < 6; ++i) {
        set(0, 19 + i, options[i]);
        set(1, 19 + i, "Standard");
    }
    set(9, 19, "X");
    set(10, 19, "Pelle vitello");
    set(14, 19, "Cuoio suola");
    set(18, 19, "Gomma antiscivolo");
    set(10, 20, "Fodera in pelle");
    set(0, 26, "INDUSTRIALIZZATORE");
    set(1, 26, "Mario Rossi");
    doc->SetDataArray(QStringLiteral("A1:T28"), rows);
    doc->StoreAsExcel97(path);
    doc->Close();
}
} // namespace

int main(int argc, char** argv) {
    OffscreenByDefault();
    QGuiApplication app(argc, argv);
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::tempPath();
    const THostFolder host = ProvisionHostFolder(dir + "/import-host");
    TIBDatabase archive;
    archive.SetDatabaseName(host.archiveDb);
    archive.Open();
    const QString model = dir + "/import-model.xls";
    Workbook(model);
    QDir().mkpath(dir + "/import-one");
    for (int i = 0; i <= 15; ++i)
        QFile::copy(model, QStringLiteral("%1/import-one/w%2.xls").arg(dir).arg(i));
    {
        // import-first: from the import window's open (the office not running) to its first
        // workbook imported, the user taking 2 s to pick it; against the same pick and a warm
        // import of the same workbook.
        QDir().mkpath(dir + "/import-first");
        for (int i = 0; i < 10; ++i)
            QFile::copy(model, QStringLiteral("%1/import-first/f%2.xls").arg(dir).arg(i));
        TImportXls import(archive, 1, host.tempDir, host.binDir);
        const auto pick = [] { // the user's two seconds, the window painting meanwhile
            QElapsedTimer t;
            t.start();
            while (t.elapsed() < 2000) {
                QCoreApplication::processEvents();
                QThread::msleep(10);
            }
        };
        const auto first = [&](int n, bool cold) {
            if (cold)
                TOfficeSuite::Instance().Shutdown();
            QElapsedTimer t;
            t.start();
            if (cold)
                TImportXls::PreparaOffice(); // what the window does as it opens
            pick();
            const TEsitoXls e =
                import.Importa(QStringLiteral("%1/import-first/f%2.xls").arg(dir).arg(n));
            if (e.esito != QLatin1String("OK"))
                std::fprintf(stderr, "import-first: %s %s\n", qPrintable(e.esito),
                             qPrintable(e.note));
            return Seconds(t);
        };
        import.Importa(dir + "/import-one/w0.xls"); // the statements prepared
        RunBench(
            "import-first", 4, [&](int i) { return first(2 * i, true); },
            [&](int i) {
                TOfficeSuite::Instance().NewSpreadsheet()->Close(); // warm, as the anchor wants
                return first(2 * i + 1, false);
            });
    }
    {
        TImportXls import(archive, 1, host.tempDir, host.binDir);
        import.Importa(dir + "/import-one/w0.xls"); // the office started, the statements prepared
        RunBench(
            "import", 15,
            [&](int i) {
                QElapsedTimer t;
                t.start();
                const TEsitoXls e =
                    import.Importa(QStringLiteral("%1/import-one/w%2.xls").arg(dir).arg(i + 1));
                const double s = Seconds(t);
                if (e.esito != QLatin1String("OK"))
                    std::fprintf(stderr, "import: %s %s\n", qPrintable(e.esito),
                                 qPrintable(e.note));
                return s;
            },
            [&](int i) {
                QElapsedTimer t;
                t.start();
                auto doc = TOfficeSuite::Instance().LoadSpreadsheet(
                    QStringLiteral("%1/import-one/w%2.xls").arg(dir).arg(i + 1));
                doc->Close();
                return Seconds(t);
            });
    }

    const QString folder = dir + "/import-folder";
    QDir().mkpath(folder);
    for (int i = 0; i < 200; ++i)
        QFile::copy(model,
                    QStringLiteral("%1/m%2.xls").arg(folder).arg(i, 3, 10, QLatin1Char('0')));
    TImportXls import(archive, 1, host.tempDir, host.binDir);
    const qint64 before = ResidentKb();
    std::vector<double> times;
    QElapsedTimer total, one;
    total.start();
    import.ImportaFile(TImportXls::FileDellaCartella(folder), [&](int n, int, const QString&) {
        if (n > 1)
            times.push_back(Seconds(one));
    one.restart();
    return true;
});
times.push_back(Seconds(one));
const double seconds = Seconds(total);
const qint64 added = ResidentKb() - before;
const auto mean = [&](size_t from, size_t to) {
    return std::accumulate(times.begin() + from, times.begin() + to, 0.0) / (to - from);
};
const double ratio = mean(times.size() - 50, times.size()) / mean(0, 50);
std::printf("import-folder: ratio=%.3f rate=%.2f workbooks/s memory=%.1f MB workbooks=%zu "
            "office-starts=%d\n",
            ratio, times.size() / seconds, added / 1024.0, times.size(),
            TOfficeSuite::Instance().StartCount());
return 0;
}
