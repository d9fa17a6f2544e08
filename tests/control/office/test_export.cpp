// A model sheet exported to an Excel 97 workbook and read back through the same office process.
#include "control/ExportExcelScheda.h"
#include "control/ZelmModelService.h"
#include "control/office/OfficeSuite.h"
#include "framework/core/FileAccess.h"
#include "framework/session/Session.h"
#include "framework/ui/ZavoQrCode.h"

#include "support/TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QThread>

#include <ZXing/ReadBarcode.h>

#include <csignal>
#include <sys/wait.h>
#include <thread>

namespace {
constexpr int kYellow = 0xFFFF00, kOrange = 0xFF950E, kDarkGreen = 0x336600, kDarkRed = 0xC5000B;

/// Cell texts of the exported sheet, A1:T200, read in one call.
struct TReadBack {
    std::unique_ptr<TSpreadsheet> doc;
    QList<QVariantList> cells;
    explicit TReadBack(const QString& path) : doc(TOfficeSuite::Instance().LoadSpreadsheet(path)) {
        cells = doc->GetDataArray("A1:T200");
    }
    QString Text(int col, int row) const { return cells.value(row).value(col).toString(); }
    /// First row (0-based) whose column `col` reads `text`, -1 when none.
    int Row(int col, const QString& text) const {
        for (int r = 0; r < cells.size(); ++r)
            if (Text(col, r) == text)
                return r;
        return -1;
    }
    int Fill(int col, int row) const { return doc->GetProperty(col, row, "CellBackColor").toInt(); }
};
} // namespace

class Export : public ::testing::Test {
protected:
    void SetUp() override {
        fHost = ProvisionHostFolder(fFolder.Path("host"));
        fGuard = std::make_unique<THostDirGuard>(fHost.root);
        fSession = std::make_unique<TSession>(nullptr, 1);
        fService = std::make_unique<TZelmModelService>();
        fService->SetSession(fSession.get());
        fService->StartTransaction();
    }
    void TearDown() override {
        fService.reset();
        fSession.reset();
    }
    QString ExportSheet(TZelmModelContext& ctx, const QString& name) {
        TExportExcelScheda exporter;
        exporter.Context = &ctx;
        exporter.FileName = fFolder.Path(name);
        EXPECT_TRUE(exporter.Prepare()->IsOk());
        exporter.Exec();
        return exporter.FileName;
    }
    TTestFolder fFolder;
    THostFolder fHost;
    std::unique_ptr<THostDirGuard> fGuard;
    std::unique_ptr<TSession> fSession;
    std::unique_ptr<TZelmModelService> fService;
};

TEST_F(Export, PrepareRefusesBeforeTheOfficeIsStarted) {
    const int starts = TOfficeSuite::Instance().StartCount();
    TExportExcelScheda exporter;
    exporter.FileName = fFolder.Path("manca/scheda.xls");
    auto r = exporter.Prepare();
    EXPECT_EQ(r->Errors(),
              QStringList({"Directory \"" + fFolder.Path("manca") + "\" non trovata"}));

    const QString path = fFolder.Path("aperto.xls");
    QFile(path).open(QIODevice::WriteOnly);
    exporter.FileName = path;
    r = exporter.Prepare();
    EXPECT_EQ(r->Code(), 1);
    EXPECT_EQ(r->Warnings(), QStringList({"File \"" + path + "\" già presente"}));

    QProcess holder; // another program keeps the file locked
    holder.start("flock", {path, "sleep", "30"});
    ASSERT_TRUE(holder.waitForStarted());
    QThread::msleep(300);
    r = exporter.Prepare();
    ASSERT_EQ(r->Code(), 2);
    EXPECT_TRUE(r->Errors()[0].startsWith("Impossibile accedere al file \"" + path +
                                          "\".\r\nProbabilmente è già aperto da un altro utente "
                                          "o applicazione\r\n"))
        << r->Errors()[0].toStdString();
    holder.kill();
    holder.waitForFinished();
    EXPECT_EQ(TOfficeSuite::Instance().StartCount(), starts);
}

TEST_F(Export, FullSheetBlocksColoursMergesAndDates) {
    auto ctx = fService->Load(1); // details, 4 options, preference set of 4 lines, 3 annotations
    ctx->Model()->SetDataCampione(QDate(2026, 10, 15));
    ctx->Model()->SetNoteVarie("prima riga\nseconda riga");
    const QString path = ExportSheet(*ctx, "scheda 1.xls");
    ASSERT_TRUE(QFileInfo::exists(path));
    // To look at the form: ZELM_EXPORT_SAMPLE=/some/file.xls, then convert it to PDF with the
    // office (soffice --headless --convert-to pdf).
    if (const QString sample = qEnvironmentVariable("ZELM_EXPORT_SAMPLE"); !sample.isEmpty())
        QFile::copy(path, sample);
    TReadBack x(path);

    EXPECT_EQ(x.Text(0, 0), "CLIENTE");
    EXPECT_EQ(x.Text(17, 0), "DATA");
    EXPECT_EQ(x.Text(0, 1), "MILANO MODA");
    EXPECT_EQ(x.doc->GetString(17, 1), "01-09-2026"); // day number shown with DD-MM-YYYY
    EXPECT_DOUBLE_EQ(x.doc->GetValue(17, 1), QDate(1899, 12, 30).daysTo(QDate(2026, 9, 1)));
    EXPECT_EQ(x.doc->MergedArea(0, 1).endRow, 3);
    EXPECT_EQ(x.doc->MergedArea(2, 0).endColumn, 4);
    EXPECT_EQ(x.Fill(0, 0), kYellow);
    EXPECT_EQ(x.doc->GetProperty(2, 1, "CharColor").toInt(), kDarkRed);
    EXPECT_NEAR(x.doc->BorderWidth(0, 0, "TopBorder2"), 62, 3);
    // A4, printed on one page.
    EXPECT_EQ(x.doc->PageProperty("ScaleToPagesX").toInt(), 1);
    EXPECT_EQ(x.doc->PageProperty("ScaleToPagesY").toInt(), 1);
    EXPECT_NEAR(x.doc->PageProperty("Width").toInt(), 21000, 10);

    EXPECT_EQ(x.Text(0, 4), "STAGIONE");
    EXPECT_EQ(x.Fill(0, 4), kDarkGreen);
    EXPECT_NEAR(x.doc->BorderWidth(0, 4, "TopBorder2"), 26, 3);
    EXPECT_NEAR(x.doc->RowHeight(4), 630, 20);
    EXPECT_NEAR(x.doc->ColumnWidth(0), 2040, 20);
    EXPECT_NEAR(x.doc->ColumnWidth(18), 1140, 20);

    const int taglie = x.Row(0, "TAGLIE");
    ASSERT_EQ(taglie, 5);
    EXPECT_EQ(x.Text(1, taglie), "35");
    EXPECT_EQ(x.Text(8, taglie), "42");
    EXPECT_EQ(x.Fill(1, taglie), kOrange);
    EXPECT_EQ(x.Text(0, taglie + 1), "Lunghezza fondo");
    EXPECT_EQ(x.doc->MergedArea(0, taglie + 1).endRow, taglie + 2); // two rows per detail
    EXPECT_EQ(x.Row(0, "TIPO"), taglie + 7);

    // Preferences: 4 lines of set 1, 3 chosen -> two rows, the last triples empty and yellow.
    const int scheda = x.Row(8, "SCHEDA");
    ASSERT_GT(scheda, 0);
    const int pref = scheda + 3;
    EXPECT_EQ(x.Text(9, pref), "X");
    EXPECT_EQ(x.Text(10, pref), "Pelle vitello");
    EXPECT_EQ(x.Fill(9, pref), kOrange);
    EXPECT_EQ(x.Text(10, pref + 1), "Fodera in pelle");
    EXPECT_EQ(x.Text(9, pref + 1), "");
    EXPECT_EQ(x.Fill(9, pref + 1), kYellow);
    EXPECT_EQ(x.Text(14, pref + 1), "");
    EXPECT_EQ(x.Fill(13, pref + 1), kYellow);

    // Milestones: every label kept; empty dates stay empty.
    const int proto = x.Row(10, "PROTOTIPO");
    EXPECT_EQ(x.doc->GetString(15, proto), "01-09-2026");
    EXPECT_EQ(x.Row(10, "CONFERMA PROTOTIPO"), proto + 2);
    EXPECT_EQ(x.doc->GetString(15, proto + 2), "");
    EXPECT_EQ(x.doc->GetString(15, x.Row(10, "CAMPIONE")), "15-10-2026");
    EXPECT_GT(x.Row(10, "CONFERMA PROD"), 0);

    // The left column is shorter: one yellow block under it up to the milestones' end.
    const int industr = x.Row(0, "INDUSTRIALIZZATORE");
    const TSpreadsheet::TArea filler = x.doc->MergedArea(0, industr + 1);
    EXPECT_EQ(filler.endColumn, 7);
    EXPECT_EQ(filler.endRow, x.Row(10, "CONFERMA PROD"));
    EXPECT_EQ(x.Fill(0, industr + 1), kYellow);

    // Annotations and notes.
    EXPECT_EQ(x.Text(1, x.Row(0, "Prototipo")), "01-07-2026 Inviato prototipo al cliente");
    const int varie = x.Row(0, "VARIE");
    EXPECT_TRUE(x.Text(1, varie).contains("prima riga"));
    EXPECT_LT(x.Text(1, varie).indexOf("prima"), x.Text(1, varie).indexOf("seconda"));
    EXPECT_EQ(x.Row(0, "CUOIO"), varie + 1);
    EXPECT_EQ(x.Row(0, "CAMP."), varie + 2);
}

TEST_F(Export, NoDetailsAndALongLeftColumn) {
    auto ctx = fService->Load(6); // no details, no sets
    auto opz = std::make_unique<TZelmModelOpzDataList>();
    for (int i = 0; i < 30; ++i)
        opz->Add(std::make_unique<TZelmModelOpzData>())->SetEtichetta(QString("Opz %1").arg(i));
    ctx->SetOpz(std::move(opz));
    TReadBack x(ExportSheet(*ctx, "scheda6.xls"));
    EXPECT_EQ(x.Row(0, "TAGLIE"), -1);
    EXPECT_EQ(x.Row(0, "TIPO"), x.Row(0, "STAGIONE") + 1);
    const int prod = x.Row(10, "CONFERMA PROD");
    const int industr = x.Row(0, "INDUSTRIALIZZATORE");
    ASSERT_GT(industr, prod);
    const TSpreadsheet::TArea filler = x.doc->MergedArea(8, prod + 1);
    EXPECT_EQ(filler.startColumn, 8);
    EXPECT_EQ(filler.endColumn, 19);
    EXPECT_EQ(filler.endRow, industr);
    EXPECT_EQ(x.Fill(8, prod + 1), kYellow);
}

// The .xlsx form, written without the office, reads back through the office as the Excel 97
// form does: the same texts, merges and fills, for a full sheet and one without details.
TEST_F(Export, TheXlsxFormIsTheXlsFormWithoutTheOffice) {
    for (int id : {1, 6}) {
        SCOPED_TRACE(id);
        auto ctx = fService->Load(id);
        TOfficeSuite::Instance().Shutdown();
        const QString xlsx = ExportSheet(*ctx, QStringLiteral("forma%1.xlsx").arg(id));
        EXPECT_FALSE(TOfficeSuite::Instance().Running()); // no office for .xlsx
        const QString xls = ExportSheet(*ctx, QStringLiteral("forma%1.xls").arg(id));
        TReadBack a(xls), b(xlsx);
        EXPECT_EQ(a.cells, b.cells);
        for (int r = 0; r < 70; ++r)
            for (int c = 0; c < 20; ++c) {
                const TSpreadsheet::TArea ma = a.doc->MergedArea(c, r),
                                          mb = b.doc->MergedArea(c, r);
                ASSERT_EQ(QString("%1,%2,%3,%4")
                              .arg(ma.startColumn)
                              .arg(ma.endColumn)
                              .arg(ma.startRow)
                              .arg(ma.endRow),
                          QString("%1,%2,%3,%4")
                              .arg(mb.startColumn)
                              .arg(mb.endColumn)
                              .arg(mb.startRow)
                              .arg(mb.endRow))
                    << r << "," << c;
                ASSERT_EQ(a.Fill(c, r), b.Fill(c, r)) << r << "," << c;
            }
    }
}

// The PDF form: one A4 page carrying the sheet's QR code, readable from the page at 150 dpi.
TEST_F(Export, ThePdfFormIsOnePageWithAReadableQrCode) {
    auto ctx = fService->Load(1);
    const QString qr = ctx->Model()->QrCode();
    ASSERT_FALSE(qr.isEmpty());
    const QString code = fFolder.Path("qr.png");
    ASSERT_TRUE(GetQrCodeBitmap(qr, 10).save(code));
    TExportExcelScheda exporter;
    exporter.Context = ctx.get();
    exporter.FileName = fFolder.Path("scheda.pdf");
    exporter.FileQrCode = code;
    ASSERT_TRUE(exporter.Prepare()->IsOk());
    exporter.Exec();
    QProcess render;
    render.start("pdftoppm", {"-r", "150", "-png", exporter.FileName, fFolder.Path("pagina")});
    ASSERT_TRUE(render.waitForFinished(60000));
    const QStringList pages = QDir(fFolder.Path()).entryList({"pagina*.png"});
    ASSERT_EQ(pages.size(), 1) << pages.join(' ').toStdString();
    const QImage page(fFolder.Path(pages.first()));
    QDir().mkpath(ZELM_SCREENSHOT_DIR);
    page.save(ZELM_SCREENSHOT_DIR "/export-scheda-pdf.png");
    const QImage gray = page.convertToFormat(QImage::Format_Grayscale8);
    const ZXing::ImageView view(gray.constBits(), gray.width(), gray.height(),
                                ZXing::ImageFormat::Lum, static_cast<int>(gray.bytesPerLine()));
    ZXing::DecodeHints hints;
    hints.setFormats(ZXing::BarcodeFormat::QRCode);
    const ZXing::Result result = ZXing::ReadBarcode(view, hints);
    ASSERT_TRUE(result.isValid());
    EXPECT_EQ(QString::fromStdWString(result.text()), qr);

    // Every label of the form prints whole: the fonts the form names (Calibri, Arial) are
    // replaced by ones of the same widths, never by a wider one that cuts them.
    QProcess text;
    text.start("pdftotext", {"-layout", exporter.FileName, "-"});
    ASSERT_TRUE(text.waitForFinished(60000));
    const QString printed = QString::fromUtf8(text.readAllStandardOutput());
    QStringList labels{"CLIENTE",
                       "LAVORAZIONE",
                       "CODICE",
                       "FORMA",
                       "TACCO",
                       "PLATO",
                       "STAGIONE",
                       "INDUSTRIALIZZATORE",
                       "CONFERMA PROTOTIPO",
                       "CAMPIONE",
                       "CONFERMA CAMPIONE",
                       "SFILATA",
                       "TESTA DI SERIE",
                       "CONFERMA SFILATA"};
    for (const auto& row : *ctx->Dett())
        labels << row->TipoDett();
    for (const QString& label : labels)
        EXPECT_TRUE(printed.contains(label)) << label.toStdString() << "\n"
                                             << printed.toStdString();
}

// The office killed while it stores: the file name is never blocked afterwards.
TEST_F(Export, AnOfficeKilledWhileStoringLeavesTheNameUsable) {
    auto ctx = fService->Load(1);
    const QString target = fFolder.Path("uccisa.xls");
    const QFileInfo info(target);
    const QString lock = info.absolutePath() + "/.~lock." + info.fileName() + '#';
    int stale = 0, refused = 0, left = 0;
    const int kills = 10;
    for (int k = 0; k < kills; ++k) {
        TExportExcelScheda exporter;
        exporter.Context = ctx.get();
        exporter.FileName = target;
        if (k % 2) {
            QFile::remove(target); // the user deleted the half-written file meanwhile
        } else if (!QFileInfo::exists(target)) {
            QFile old(target); // an earlier export of that name is there
            old.open(QIODevice::WriteOnly);
            old.write("vecchio");
        }
        auto prepared = exporter.Prepare();
        if (prepared->IsError()) {
            std::printf("refused: %s\n", qPrintable(prepared->Errors().join(QChar(32)).replace(
                                             QChar(13), QChar(32))));
            ++refused;
            continue;
        }
        // Kill the office somewhere inside the export, once it has started.
        TOfficeSuite::Instance().NewSpreadsheet()->Close();
        const qint64 pid = TOfficeSuite::Instance().ProcessId();
        // Most kills land while the office stores (its lock file is there), the others earlier.
        std::thread killer([pid, k, lock] {
            if (k % 3 == 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(40 + 30 * k));
            else
                for (int i = 0; i < 5000 && !QFileInfo::exists(lock); ++i)
                    std::this_thread::sleep_for(std::chrono::milliseconds(1));
            ::kill(-static_cast<pid_t>(pid), SIGKILL);
        });
        try {
            exporter.Exec();
        } catch (const EZavoError&) {
            // the office died under it: expected
        }
        killer.join();
        // A killed process holds its file locks until it has finished dying.
        for (int i = 0; i < 200; ++i) {
            QFile stat(QString("/proc/%1/stat").arg(pid));
            if (!stat.open(QIODevice::ReadOnly) || stat.readAll().contains(") Z "))
                break;
            QThread::msleep(10);
        }
        left += QFileInfo::exists(lock) ? 1 : 0; // the next Prepare must see through these
    }
    std::printf("office killed %d times while exporting: %d lock files left behind, %d exports "
                "refused afterwards\n",
                kills, left, refused);
    if (QFileInfo::exists(lock) && !RimuoviBloccoOfficeOrfano(target))
        ++stale;
    EXPECT_EQ(refused, 0) << refused << " of " << kills << " exports refused after a kill";
    EXPECT_EQ(stale, 0) << stale << " stale lock files left";
    // And the next export to that name works.
    TExportExcelScheda exporter;
    exporter.Context = ctx.get();
    exporter.FileName = target;
    EXPECT_FALSE(exporter.Prepare()->IsError());
    EXPECT_NO_THROW(exporter.Exec());
    EXPECT_FALSE(QFileInfo::exists(lock));
}

// A crashed application takes its office with it, and its profile is cleaned at the next start.
TEST(OfficeProcess, EndsWithTheApplicationThatStartedIt) {
    QProcess user;
    user.start(ZELM_OFFICE_USER, {});
    ASSERT_TRUE(user.waitForReadyRead(120000)) << user.readAllStandardError().toStdString();
    const QList<QByteArray> out = user.readAllStandardOutput().trimmed().split(' ');
    ASSERT_EQ(out.size(), 2);
    const pid_t office = static_cast<pid_t>(out[0].toLongLong());
    const QString profile = QString::fromUtf8(out[1]);
    ASSERT_GT(office, 0);
    ASSERT_EQ(::kill(office, 0), 0);
    ::kill(static_cast<pid_t>(user.processId()), SIGKILL); // the application crashes
    user.waitForFinished();
    bool ended = false;
    for (int i = 0; i < 100 && !ended; ++i) {
        QThread::msleep(50);
        // Gone, or dead and waiting for whoever adopted it to reap it.
        QFile stat(QString("/proc/%1/stat").arg(office));
        ended = ::kill(office, 0) != 0 || !stat.open(QIODevice::ReadOnly) ||
                stat.readAll().contains(") Z ");
    }
    EXPECT_TRUE(ended) << "the office outlived the application";
    if (!ended)
        ::kill(-office, SIGKILL);
    EXPECT_TRUE(QFileInfo::exists(profile));
    // The dead office's sockets, as its profile lists them.
    QFile list(profile + "/pipes");
    ASSERT_TRUE(list.open(QIODevice::ReadOnly));
    QStringList pipes = QString::fromUtf8(list.readAll()).split('\n', Qt::SkipEmptyParts);
    list.close();
    ASSERT_FALSE(pipes.isEmpty());
    for (const QString& p : pipes)
        EXPECT_TRUE(QFileInfo::exists(p)) << p.toStdString();
    TOfficeSuite::Instance().Shutdown();
    TOfficeSuite::Instance().NewSpreadsheet()->Close(); // a start cleans up after the dead
    EXPECT_FALSE(QFileInfo::exists(profile)) << profile.toStdString();
    for (const QString& p : pipes)
        EXPECT_FALSE(QFileInfo::exists(p)) << p.toStdString();
}

// A process that ends with its office alive ends cleanly: the office and the bridge's threads go
// before the exit frees what those threads use (freed memory is filled, so that a use shows).
TEST(OfficeProcess, EndsCleanlyWithTheOfficeAlive) {
    for (int i = 0; i < 5; ++i) {
        QProcess user;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("MALLOC_PERTURB_", "165");
        user.setProcessEnvironment(env);
        user.start(ZELM_OFFICE_USER, {"esci"});
        ASSERT_TRUE(user.waitForFinished(120000));
        EXPECT_EQ(user.exitStatus(), QProcess::NormalExit) << "run " << i;
        EXPECT_EQ(user.exitCode(), 0)
            << "run " << i << ": " << user.readAllStandardError().toStdString();
    }
}
