// Printing a list: the columns taken while they fit, the project and request files, the print
// module's stand-in launcher, the query tool's command line, and our own preview rendered to PDF.
#include "framework/core/WinPath.h"
#include "framework/core/ZavoError.h"
#include "framework/db/IBDatabase.h"
#include "framework/grid/Dravik.h"
#include "framework/grid/StZavoGridForm.h"
#include "framework/grid/ZavoGridStampa.h"
#include "framework/grid/ZavoLayoutStore.h"

#include "support/TestSupport.h"

#include <QAction>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QPdfWriter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>

namespace {
QString Read(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromLatin1(f.readAll()) : QString();
}
} // namespace

class Stampa : public ::testing::Test {
protected:
    void SetUp() override {
        CreateDatabaseFromScripts(fFolder.Path("a.fdb"), {"archive_schema.sql"});
        fDb.SetDatabaseName(fFolder.Path("a.fdb"));
        fDb.Open();
        ExecSql(fDb, "CREATE TABLE T (A INTEGER, B VARCHAR(60), C VARCHAR(20), D VARCHAR(80))");
        ExecSql(fDb, "EXECUTE BLOCK AS DECLARE I INTEGER = 0; BEGIN WHILE (I < 2500) DO BEGIN "
                     "INSERT INTO T VALUES (:I, 'Descrizione piuttosto lunga della riga ' || :I, "
                     "'nascosta', 'ultima ' || :I); I = I + 1; END END");
        // Widths 200, 300 and 400 pixels are 53, 79 and 106 mm; C is hidden.
        const char* rows[] = {"('A', 0, 200, 'Numero', 1)", "('C', 1, 50, 'Nascosta', 0)",
                              "('B', 2, 300, 'Descrizione', 1)", "('D', 3, 400, 'Ultima', 1)"};
        for (const char* r : rows)
            ExecSql(fDb, QStringLiteral("INSERT INTO STOASP1 (NOMECAMPO, POSIZIONE, LARGHEZZA, "
                                        "NOMECOLONNA, VISIBILE, CODICEPROGETTO, CODICESITUAZIONE, "
                                        "CODICEUTENTE) VALUES %1")
                             .arg(QString::fromLatin1(r).chopped(1) + ", 537, 4, 1)"));
        fJob.Progetto = 537;
        fJob.Situazione = -4; // a window's own copy still prints its columns
        fJob.Utente = 1;
        fJob.Tabella = "T";
        fJob.SQLRif = "SELECT * FROM T ORDER BY A";
        fJob.DatabaseRif = &fDb;
        fJob.DatabaseDati = &fDb;
        fJob.BinDir = fFolder.Path("bin");
    }
    void TearDown() override { fDb.Close(); }
    QStringList Columns() {
        QStringList out;
        for (const TColonnaStampa& c : fJob.Colonne())
            out << QStringLiteral("%1:%2%3")
                       .arg(c.campo)
                       .arg(c.larghezzaMm)
                       .arg(c.forzata ? "*" : "");
        return out;
    }

    TTestFolder fFolder;
    TIBDatabase fDb;
    TZavoGridStampa fJob;
};

TEST_F(Stampa, ColumnsTakenWhileTheyFit) {
    EXPECT_EQ(PixelInMm(200), 53);
    EXPECT_EQ(PixelInMm(300), 79);
    EXPECT_EQ(PixelInMm(400), 106);
    EXPECT_EQ(PixelInMm(189), 50); // 50.006
    const struct {
        bool orizzontale, forza;
        QStringList columns;
    } cases[] = {{false, false, {"A:53", "B:79"}},
                 {false, true, {"A:53", "B:79", "D:63*"}},
                 {true, false, {"A:53", "B:79", "D:106"}},
                 {true, true, {"A:53", "B:79", "D:150*"}}};
    for (const auto& c : cases) {
        fJob.OrientamentoPagina = c.orizzontale ? "ORIZZONTALE" : "VERTICALE";
        fJob.FlagForzaUltimaColonna = c.forza;
        EXPECT_EQ(Columns(), c.columns) << c.orizzontale << c.forza;
    }
}

TEST_F(Stampa, ProjectAndRequestTexts) {
    fJob.Intestazione_Riga1 = "Schede";
    fJob.Intestazione_Riga2 = "Dicembre";
    fJob.Intestazione_Allineamento = 1;
    fJob.FlagForzaUltimaColonna = true;
    const QString portrait = fJob.TestoProgetto(fJob.Colonne());
    for (const char* line : {"Units=SCM-Units",
                             "FileVersion=6",
                             "xSize=210000",
                             "ySize=296900",
                             "P1.PaperFormat=9",
                             "Orientation=1",
                             "ObjectCount=2",
                             "DefSizeTable=(0,0,195000,257600)",
                             "Pos=(7300,21200,195000,257600)",
                             "Pos=(7400,7700,194900,10400)",
                             "Pos=(125300,282500,76500,6000)",
                             "Columns=3",
                             "Width=53000",
                             "Width=63000",
                             "Text=A",
                             "Text=\"Numero\"",
                             "Text=\"Schede\"",
                             "Align=1",
                             "Condition=False",
                             "Text=\"Pag. \"+Page$()+\" di \"+TotalPages$()"})
        EXPECT_TRUE(portrait.contains(QString::fromLatin1(line) + "\r\n")) << line;
    EXPECT_FALSE(portrait.contains("Text=C\r\n")); // hidden
    // Wrapping everywhere but the forced column; order: data line, then titles.
    EXPECT_EQ(portrait.count("LineWrap=1"), 2 * 2 + 2);
    EXPECT_EQ(portrait.count("LineWrap=0"), 2);
    EXPECT_LT(portrait.indexOf("Text=A\r\n"), portrait.indexOf("Text=\"Numero\""));

    fJob.OrientamentoPagina = "ORIZZONTALE";
    fJob.FlagTroncaTesti = true;
    fJob.FlagNumeraPagine = true;
    const QString landscape = fJob.TestoProgetto(fJob.Colonne());
    for (const char* line :
         {"xSize=296900", "Orientation=2", "ObjectCount=3", "Pos=(7300,21200,282600,173200)",
          "Pos=(213300,197500,76500,6000)", "Width=150000", "Condition=True"})
        EXPECT_TRUE(landscape.contains(QString::fromLatin1(line) + "\r\n")) << line;
    EXPECT_EQ(landscape.count("LineWrap=1"), 0);

    const QString preview = fJob.TestoRichiesta("/r/p.LST", true);
    EXPECT_EQ(preview, "<ZavoForm>\r\n<SQLStampa>SELECT * FROM T ORDER BY A</SQLStampa>\r\n"
                       "<NomeReport>/r/p.LST</NomeReport>\r\n<TitoloStampa>T</TitoloStampa>\r\n"
                       "<AnteprimaDiretta>1</AnteprimaDiretta>\r\n</ZavoForm>\r\n");
    const QString edit = fJob.TestoRichiesta("/r/p.LST", false);
    EXPECT_TRUE(edit.contains("<EditaReportDiretto>1</EditaReportDiretto>"));
    EXPECT_FALSE(edit.contains("AnteprimaDiretta"));
}

TEST_F(Stampa, TheLauncherGetsTheUserAndTheRequestAndTheFilesGo) {
    THostDirGuard host(fFolder.Path("host"));
    QDir().mkpath(fFolder.Path("host/Combit"));
    EXPECT_TRUE(TZavoGridStampa::Launcher().isEmpty());
    EXPECT_FALSE(fJob.Stampa(true)); // no print module: nothing written
    const QString launcher = fFolder.Path("host/Combit/PrentixLaunch");
    QFile f(launcher);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    // The stand-in keeps what it was given: its arguments and the two files' texts.
    f.write(
        "#!/bin/sh\nd=$(dirname \"$0\")\necho \"$1|$2\" > \"$d/args\"\ncp \"$2\" \"$d/request\"\n"
        "p=$(sed -n 's:<NomeReport>\\(.*\\)</NomeReport>.*:\\1:p' \"$2\")\n"
        "cp \"$p\" \"$d/project\"\n");
    f.close();
    f.setPermissions(f.permissions() | QFileDevice::ExeOwner);
    EXPECT_EQ(TZavoGridStampa::Launcher(), launcher);
    ASSERT_TRUE(fJob.Stampa(true));
    const QStringList args = Read(fFolder.Path("host/Combit/args")).trimmed().split('|');
    ASSERT_EQ(args.size(), 2);
    EXPECT_EQ(args[0], "1");
    EXPECT_TRUE(args[1].startsWith(fFolder.Path("bin") + "/Report/")) << args[1].toStdString();
    EXPECT_FALSE(QFile::exists(args[1]));
    EXPECT_FALSE(QFile::exists(fJob.FileProgetto()));
    EXPECT_TRUE(Read(fFolder.Path("host/Combit/request")).contains("<AnteprimaDiretta>1"));
    EXPECT_TRUE(Read(fFolder.Path("host/Combit/project")).contains("Text=\"Descrizione\""));

    // The project file is Windows-1252: "€" and "–" keep their own bytes (80, 96).
    ExecSql(fDb, QString::fromUtf8("UPDATE STOASP1 SET NOMECOLONNA='Prezzo € – netto' WHERE "
                                   "NOMECAMPO='B'"));
    ASSERT_TRUE(fJob.Stampa(true));
    QFile project(fFolder.Path("host/Combit/project"));
    ASSERT_TRUE(project.open(QIODevice::ReadOnly));
    EXPECT_TRUE(project.readAll().contains("Text=\"Prezzo \x80 \x96 netto\""));
}

TEST_F(Stampa, QueryToolCommandLine) {
    THostDirGuard host(fFolder.Path("host"));
    TDravikComando_VisualizzaConQuery c;
    c.FTabella = "ZELMMODEL";
    c.FDatabaseName = "/dati/archivio.fdb";
    c.FBinDir = "/opt/suite/bin";
    c.FNomeProgetto = "CALZATURIFICIO BRENTA";
    c.FUtente = 3;
    TDravikFacade tool(c);
    EXPECT_EQ(tool.CommandLine(),
              HostProgramDir() + "Dravik VisualizzaConQuery Tabella=ZELMMODEL "
                                 "\"DatabaseName=/dati/archivio.fdb\" \"BinDir=/opt/suite/bin\" "
                                 "\"NomeProgetto=CALZATURIFICIO BRENTA\" Utente=3");
    try {
        tool.Check();
        FAIL();
    } catch (const EZavoError& e) {
        EXPECT_EQ(e.Message(),
                  QStringLiteral("Utility \"%1Dravik\" non trovata").arg(HostProgramDir()));
    }
    EXPECT_FALSE(tool.Esegui());
}

TEST_F(Stampa, OurPreviewPagesEveryRow) {
    const struct {
        bool orizzontale;
        int font, pages;
    } cases[] = {{false, 8, 40}, {false, 10, 50}, {false, 12, 61}, {true, 10, 76}};
    for (const auto& c : cases) {
        fJob.OrientamentoPagina = c.orizzontale ? "ORIZZONTALE" : "VERTICALE";
        fJob.DimensioneFontDati = c.font;
        fJob.FlagTroncaTesti = true;
        fJob.FlagNumeraPagine = true;
        const QString pdf =
            fFolder.Path(QStringLiteral("lista-%1-%2.pdf").arg(c.orizzontale).arg(c.font));
        {
            QPdfWriter writer(pdf);
            writer.setResolution(150);
            fJob.Disegna(writer, fJob.Colonne());
        }
        const QByteArray bytes = [&] {
            QFile f(pdf);
            f.open(QIODevice::ReadOnly);
            return f.readAll();
        }();
        EXPECT_EQ(bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r") +
                      bytes.count("/Type /Page "),
                  c.pages)
            << c.orizzontale << " " << c.font;
    }
    // The first page as a picture, to look at.
    fJob.OrientamentoPagina = "VERTICALE";
    fJob.DimensioneFontDati = 10;
    fJob.FlagTroncaTesti = false;
    fJob.Intestazione_Riga1 = "Elenco T";
    fJob.Intestazione_Allineamento = 1;
    const QImage page = fJob.Pagina(0, fJob.Colonne(), 100);
    EXPECT_EQ(page.size(), QSize(827, 1169)); // A4 at 100 dots per inch
    QDir().mkpath(ZELM_SCREENSHOT_DIR);
    page.save(ZELM_SCREENSHOT_DIR "/stampa-pagina.png");
}

// Our preview with long texts, timestamps and numbers: wrapped, a row grows to hold its text and
// nothing is lost; cut, each text ends at its own cell. Numbers are right-aligned.
TEST_F(Stampa, OurPreviewWrapsOrCutsWithoutLosingOrOverlapping) {
    ExecSql(fDb, "CREATE TABLE L (NOME VARCHAR(120), QUANDO TIMESTAMP, IMPORTO DOUBLE PRECISION)");
    ExecSql(fDb, "EXECUTE BLOCK AS DECLARE I INTEGER = 0; BEGIN WHILE (I < 60) DO BEGIN "
                 "INSERT INTO L VALUES ('Rossi Mario - una descrizione molto lunga che non sta "
                 "nella colonna e va a capo riga' || :I, TIMESTAMP '2024-03-05 10:30:00', 12.5); "
                 "I = I + 1; END END");
    fJob.SQLRif = "SELECT * FROM L";
    const std::vector<TColonnaStampa> colonne{{"NOME", "Nome", 40, false},
                                              {"QUANDO", "Quando", 24, false},
                                              {"IMPORTO", "Importo", 20, false}};
    std::vector<bool> numeriche;
    fJob.Righe(colonne, &numeriche);
    EXPECT_EQ(numeriche, (std::vector<bool>{false, false, true}));
    auto pdfText = [&](bool cut, int* pages) {
        fJob.FlagTroncaTesti = cut;
        const QString pdf = fFolder.Path(cut ? "tronca.pdf" : "a-capo.pdf");
        {
            QPdfWriter writer(pdf);
            writer.setResolution(300);
            fJob.Disegna(writer, colonne);
        }
        QProcess text;
        text.start("pdftotext", {"-layout", pdf, "-"});
        EXPECT_TRUE(text.waitForFinished(30000));
        const QString out = QString::fromUtf8(text.readAllStandardOutput());
        *pages = static_cast<int>(out.count(QChar('\f')));
        return out;
    };
    int wrappedPages = 0, cutPages = 0;
    const QString wrapped = pdfText(false, &wrappedPages);
    // Every word of every row is on the pages, the date and time each whole.
    for (int i : {0, 1, 59})
        EXPECT_TRUE(wrapped.contains(QStringLiteral("riga%1").arg(i))) << i;
    EXPECT_EQ(wrapped.count("05/03/2024"), 60);
    EXPECT_EQ(wrapped.count("10:30"), 60);
    const QString cut = pdfText(true, &cutPages);
    EXPECT_LT(cutPages, wrappedPages); // wrapped rows are taller: more pages
    EXPECT_EQ(cut.count("riga"), 0);   // cut at the cell's edge
    EXPECT_EQ(cut.count("Rossi Mario - una"), 60);
    EXPECT_EQ(cut.count("12.5"), 60);
    // The pages to look at, in both modes.
    QDir().mkpath(ZELM_SCREENSHOT_DIR);
    fJob.FlagTroncaTesti = false;
    fJob.Pagina(0, colonne, 100).save(ZELM_SCREENSHOT_DIR "/stampa-a-capo.png");
    fJob.FlagTroncaTesti = true;
    fJob.Pagina(0, colonne, 100).save(ZELM_SCREENSHOT_DIR "/stampa-tronca.png");
}

TEST_F(Stampa, TheDialogCopiesItsChoicesIntoTheJob) {
    TStZavoGridForm form(fJob);
    EXPECT_EQ(form.windowTitle(), "Stampa T");
    EXPECT_TRUE(form.RadioSinistra->isChecked());
    EXPECT_TRUE(form.RadioVerticale->isChecked());
    EXPECT_TRUE(form.RadioMedia->isChecked());
    EXPECT_TRUE(form.CheckForzaUltimaColonna->isChecked());
    EXPECT_TRUE(form.ButtonAnteprima->isDefault());
    EXPECT_EQ(form.ActionEditazione->text(), "Apri editazione report (assistenza tecnica)");
    form.EditRiga1->setText("Uno");
    form.RadioCentrale->setChecked(true);
    form.RadioOrizzontale->setChecked(true);
    form.RadioGrande->setChecked(true);
    form.CheckTroncaTesti->setChecked(true);
    form.CheckNumeraPagine->setChecked(true);
    form.Applica();
    EXPECT_EQ(fJob.Intestazione_Riga1, "Uno");
    EXPECT_EQ(fJob.Intestazione_Allineamento, 1);
    EXPECT_EQ(fJob.OrientamentoPagina, "ORIZZONTALE");
    EXPECT_EQ(fJob.DimensioneFontDati, 12);
    EXPECT_TRUE(fJob.FlagTroncaTesti && fJob.FlagNumeraPagine && fJob.FlagForzaUltimaColonna);
    form.show();
    QDir().mkpath(ZELM_SCREENSHOT_DIR);
    form.grab().save(ZELM_SCREENSHOT_DIR "/stampa-dialogo.png");
}

// A column only hidden is a change of the layout: it stays hidden after reopening.
TEST_F(Stampa, AVisibilityOnlyLayoutChangeIsKept) {
    TZavoLayoutStore store(fDb, "STOASP1", 537, 4, 1);
    std::vector<TZavoLayoutRow> rows = store.ReadRows();
    std::sort(rows.begin(), rows.end(), [](const TZavoLayoutRow& a, const TZavoLayoutRow& b) {
        return a.position < b.position;
    });
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_FALSE(store.Save(rows, false, false)); // nothing changed: nothing written
    rows[0].visible = false;
    EXPECT_TRUE(store.Save(rows, false, false));
    EXPECT_EQ(QueryValue(fDb, "SELECT VISIBILE FROM STOASP1 WHERE NOMECAMPO='A'").toInt(), 0);
}
