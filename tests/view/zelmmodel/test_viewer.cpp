// The photo viewer link with stand-in viewers written by the test (shell scripts): the call row,
// the parameters, the failures and their texts, a large output, pick mode; the card's action.
#include "ZelmModelFormFixture.h"

#include "../../import/WorkbookFixture.h"
#include "control/LumetraViewer.h"
#include "framework/core/WinPath.h"
#include "framework/session/Session.h"
#include "import/ImportXls.h"
#include "view/foto/VisoreFoto.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {
/// A stand-in viewer: `body` is the shell script after the line that records the arguments.
void StandIn(const QString& body) {
    QFile f(TLumetraViewer::ProgramName());
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QStringLiteral("#!/bin/sh\n"
                           "printf '%s|' \"$@\" > \"$(dirname \"$0\")/viewer-args\"\n%1\n")
                .arg(body)
                .toUtf8());
    f.close();
    f.setPermissions(f.permissions() | QFileDevice::ExeOwner);
}

QString Args() {
    QFile f(HostProgramDir() + "viewer-args");
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}
} // namespace

class Viewer : public ZelmModelFormTest {
protected:
    void SetUp() override {
        ZelmModelFormTest::SetUp();
        if (IsSkipped())
            return;
        QFile ini(TLumetraViewer::ParameterFileName());
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write(QStringLiteral("[CONFIG]\nPercorsoDatabase=%1\n")
                      .arg(fHost.Connection(fHost.userDb))
                      .toUtf8());
        ini.close();
        fSession = std::make_unique<TSession>(nullptr, 1);
    }
    void TearDown() override {
        fSession.reset();
        ZelmModelFormTest::TearDown();
    }
    /// Runs a view call of `item`; the error's text, or "" on success.
    QString Show(const QString& item = "M0000001V000") {
        TLumetraViewer v;
        v.Session = fSession.get();
        v.CodiceItem = item;
        try {
            v.Prepare();
            v.Show();
        } catch (const EZavoError& e) {
            return e.Message();
        }
        return QString();
    }
    int Calls() { return Value("SELECT COUNT(*) FROM ORVOVIEWERCALL").toInt(); }
    std::unique_ptr<TSession> fSession;
};
INSTANTIATE_TEST_SUITE_P(, Viewer, ::testing::Values(DbMode::Embedded), DbModeName);

TEST_P(Viewer, ViewCallWritesOneRowAndPassesTheParameters) {
    EXPECT_EQ(Show(), QString::fromUtf8("File %1 non trovato").arg(TLumetraViewer::ProgramName()));
    EXPECT_EQ(Calls(), 0); // refused before any write

    StandIn("exit 0");
    EXPECT_EQ(Show(), "");
    const int id = Value("SELECT MAX(ID) FROM ORVOVIEWERCALL").toInt();
    EXPECT_EQ(Value(QStringLiteral("SELECT IDFOTOSCELTA || '|' || OPERATORE || '|' || CODICEITEM "
                                   "FROM ORVOVIEWERCALL WHERE ID=%1")
                        .arg(id))
                  .toString(),
              "-1|1|M0000001V000");
    EXPECT_EQ(Args(), QStringLiteral("UTENTE=\"1\"|DITTA=\"CALZATURIFICIO BRENTA\"|"
                                     "ORVOVIEWERCALL=\"%1\"|")
                          .arg(id));
    EXPECT_EQ(Show(QString(60, 'Q')), "");
    EXPECT_EQ(Value("SELECT CODICEITEM FROM ORVOVIEWERCALL ORDER BY ID DESC ROWS 1").toString(),
              QString(50, 'Q'));
    EXPECT_EQ(Calls(), 2);
    EXPECT_EQ(Show(""), "Codice Item non specificato");
}

TEST_P(Viewer, FailuresAndTheirTexts) {
    StandIn("echo 'Album non trovato'\nexit 3");
    EXPECT_EQ(Show(), "Album non trovato");
    EXPECT_EQ(Calls(), 1); // the call stays written
    // A megabyte on standard output and a non-zero exit: nothing stalls, all of it is told.
    StandIn("head -c 1048576 /dev/zero | tr '\\000' 'x'\nexit 1");
    const QString big = Show();
    EXPECT_EQ(big.size(), 1048576);
    // A program that cannot be started.
    QFile::setPermissions(TLumetraViewer::ProgramName(), QFileDevice::ReadOwner);
    EXPECT_EQ(Show(), QStringLiteral("Errore indefinito durante l'esecuzione di %1")
                          .arg(TLumetraViewer::ProgramName()));
    // A parameter file whose user database does not know the user's company.
    StandIn("exit 0");
    QFile ini(TLumetraViewer::ParameterFileName());
    ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
    ini.write("[CONFIG]\nPercorsoDatabase=/nessuna/cartella/user.fdb\n");
    ini.close();
    EXPECT_TRUE(Show().startsWith(
        QStringLiteral(
            "Impossibile stabilire la connessione allo USER.FDB parametrizzato in %1\r\n")
            .arg(TLumetraViewer::ParameterFileName())));
}

TEST_P(Viewer, PickModeReadsTheChosenPhoto) {
    const struct {
        QString ext, name;
    } names[] = {
        {"JPG", "/foto/M1_001.jpg"}, {"", "/foto/M1_001.jpg"}, {".png", "/foto/M1_001.png"}};
    for (const auto& c : names) {
        TOrvoItemPhotoData p;
        p.SetPercorsoFoto("/foto");
        p.SetNomeFile("M1_001");
        p.SetEstensioneFile(c.ext);
        EXPECT_EQ(p.FileName(), c.name) << c.ext.toStdString();
    }
    // The stand-in waits while the test plays the viewer's part: it fills IDFOTOSCELTA.
    const QString folder = fFolder.Path("foto");
    QDir().mkpath(folder);
    QFile(folder + "/M1_001.png").open(QIODevice::WriteOnly);
    ExecSql(fArchive, QStringLiteral("INSERT INTO ORVOITEMPHOTO (ID, NOMEFILE, PERCORSOFOTO, "
                                     "ESTENSIONE_FILE) VALUES (77, 'M1_001', '%1', '.png')")
                          .arg(folder));
    StandIn("while [ ! -f \"$(dirname \"$0\")/viewer-go\" ]; do sleep 0.05; done\nexit 0");
    QFile::remove(HostProgramDir() + "viewer-go");
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] {
        const QString args = Args();
        const int at = args.indexOf("ORVOVIEWERCALL=\"");
        if (at < 0)
            return;
        const int id = args.mid(at + 16).section('"', 0, 0).toInt();
        ExecSql(fArchive,
                QStringLiteral("UPDATE ORVOVIEWERCALL SET IDFOTOSCELTA=77 WHERE ID=%1").arg(id));
        QFile(HostProgramDir() + "viewer-go").open(QIODevice::WriteOnly);
        timer.stop();
    });
    timer.start(50);
    TLumetraViewer v;
    v.Session = fSession.get();
    v.CodiceItem = "M0000001V000";
    v.Prepare();
    QString file;
    EXPECT_TRUE(v.PickPhoto(file));
    EXPECT_EQ(file, folder + "/M1_001.png");
    EXPECT_TRUE(Value("SELECT IDFOTOSCELTA FROM ORVOVIEWERCALL WHERE IDFOTOSCELTA=77").isValid());
}

TEST_P(Viewer, TheCardsOrvoPhotoAction) {
    StandIn("echo 'Viewer occupato'\nexit 3");
    ExecSql(fArchive, "UPDATE ZELMMODEL SET QRCODE=NULL WHERE ID=6");
    TFormZelmModel& form = *Open();
    Select(form, 6);
    Click(form.FrameRicerca->ButtonMostra);
    Click(form.FrameScheda->ActionOrvoPhoto);
    EXPECT_EQ(LastText(), "Operazione non consentita\r\nQRCode non valorizzato");
    EXPECT_EQ(Calls(), 0);
    Click(form.FrameScheda->ActionChiudi);
    Select(form, 1);
    Click(form.FrameRicerca->ButtonMostra);
    Click(form.FrameScheda->ActionOrvoPhoto);
    EXPECT_EQ(LastText(), "Operazione fallita\r\nViewer occupato");
    EXPECT_EQ(Calls(), 1);
}

// Without the companion program, "OrvoPhoto" opens our own viewer on the pictures an import
// stored for the sheet: in order, a missing file told in its place, a model without pictures
// told too; pick mode returns the chosen picture's id through the call row.
TEST_P(Viewer, WithoutTheCompanionOurViewerShowsAndPicks) {
    ASSERT_FALSE(TLumetraViewer::CompanionPresente());
    const QString store = fFolder.Path("foto");
    QDir().mkpath(store);
    ExecSql(fArchive, QStringLiteral("INSERT INTO LUMETRACONTROL (CODICESITUAZIONE, "
                                     "CONTROLLOCODICE, CONTROLLOETICHETTA, IMAGEPATH, "
                                     "FILLORVOITEMPHOTO) VALUES (3, 'FM', 'Foto modelli', '%1', 1)")
                          .arg(store));
    const QString workbook = fFolder.Path("foto.xls");
    Scrivi(workbook, [&](TSpreadsheet& d) {
        const QColor colours[] = {Qt::darkRed, Qt::darkGreen, Qt::darkBlue};
        for (int i = 0; i < 3; ++i) {
            QImage image(1200, 800, QImage::Format_RGB32);
            image.fill(colours[i]);
            QPainter p(&image);
            p.setPen(Qt::white);
            QFont f = p.font();
            f.setPixelSize(200);
            p.setFont(f);
            p.drawText(image.rect(), Qt::AlignCenter, QString::number(i + 1));
            p.end();
            const QString file = fFolder.Path(QStringLiteral("p%1.jpg").arg(i));
            image.save(file, "JPEG", 85);
            d.InsertImage(file, 12, 2 + 20 * i, 4000, 3000);
        }
    });
    {
        TImportXls import(fArchive, 1, fFolder.Path("tmp"), fFolder.Path("bin"));
        import.AcquisisciFoto = true;
        const TEsitoXls e = import.Importa(workbook);
        ASSERT_EQ(e.esito, "OK") << e.note.toStdString();
    }
    const int id = Value("SELECT MAX(ID) FROM ZELMMODEL").toInt();
    const QString qr =
        Value(QStringLiteral("SELECT QRCODE FROM ZELMMODEL WHERE ID=%1").arg(id)).toString();
    ASSERT_EQ(
        Value(QStringLiteral("SELECT COUNT(*) FROM ORVOITEMPHOTO WHERE CODICEITEM='%1'").arg(qr))
            .toInt(),
        3);
    // The second picture's file is gone: the viewer says so in its place.
    const QString second =
        Value(QStringLiteral("SELECT PERCORSOFOTO || '/' || NOMEFILE || '.jpg' FROM "
                             "ORVOITEMPHOTO WHERE CODICEITEM='%1' ORDER BY NOMEFILE ROWS 2 TO 2")
                  .arg(qr))
            .toString();
    ASSERT_TRUE(QFile::remove(second)) << second.toStdString();
    // The cover comes first, whatever its number.
    ExecSql(fArchive, QStringLiteral("UPDATE ORVOITEMPHOTO SET CLASSIFICAZIONE='COVER' WHERE "
                                     "NOMEFILE='%1_003'")
                          .arg(qr));

    TFormZelmModel& form = *Open();
    Select(form, id);
    Click(form.FrameRicerca->ButtonMostra);
    QStringList names, texts;
    int thumbs = 0;
    QTimer::singleShot(0, [&] {
        auto* v = qobject_cast<TFormVisoreFoto*>(QApplication::activeModalWidget());
        ASSERT_NE(v, nullptr);
        QTRY_COMPARE_WITH_TIMEOUT(v->MiniatureLette(), 3, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(!v->Vista->Immagine().isNull(), 10000);
        for (int i = 0; i < v->Striscia->count(); ++i)
            names << v->Striscia->item(i)->text();
        thumbs = v->MiniatureLette();
        QDir().mkpath(ZELM_SCREENSHOT_DIR);
        v->grab().save(ZELM_SCREENSHOT_DIR "/visore-foto.png");
        QTest::keyClick(v->Striscia, Qt::Key_Right);
        QTest::keyClick(v->Striscia, Qt::Key_Right);
        QTRY_VERIFY_WITH_TIMEOUT(!v->Vista->Testo().isEmpty() &&
                                     v->Vista->Testo() != QStringLiteral("Caricamento…"),
                                 10000);
        texts << v->Vista->Testo() << v->Didascalia->text();
        QTest::keyClick(v, Qt::Key_Escape);
    });
    Click(form.FrameScheda->ActionOrvoPhoto);
    EXPECT_EQ(thumbs, 3);
    EXPECT_EQ(names, (QStringList{qr + "_003", qr + "_001", qr + "_002"}));
    ASSERT_EQ(texts.size(), 2);
    EXPECT_TRUE(texts[0].startsWith("Immagine non trovata:")) << texts[0].toStdString();
    EXPECT_TRUE(texts[1].startsWith(qr + "_002")) << texts[1].toStdString();
    EXPECT_EQ(Calls(), 1); // the call row is written as for the companion

    // Pick mode: Enter on the first picture (the cover) returns its id through the call row.
    TVisoreFotoQt visore(nullptr, fSession.get());
    TLumetraViewer v;
    v.Session = fSession.get();
    v.CodiceItem = qr;
    v.VisoreIncorporato = &visore;
    v.Prepare();
    QTimer::singleShot(0, [&] {
        auto* w = qobject_cast<TFormVisoreFoto*>(QApplication::activeModalWidget());
        ASSERT_NE(w, nullptr);
        QTest::keyClick(w->Striscia, Qt::Key_End);
        QTest::keyClick(w->Striscia, Qt::Key_Home);
        QTest::keyClick(w->Striscia, Qt::Key_Return);
    });
    QString file;
    EXPECT_TRUE(v.PickPhoto(file));
    EXPECT_TRUE(file.endsWith(qr + "_003.jpg")) << file.toStdString();
    EXPECT_EQ(Value("SELECT IDFOTOSCELTA FROM ORVOVIEWERCALL ORDER BY ID DESC ROWS 1").toInt(),
              Value(QStringLiteral("SELECT ID FROM ORVOITEMPHOTO WHERE NOMEFILE='%1_003'").arg(qr))
                  .toInt());

    // A model without pictures: a text, not an empty window.
    QString empty;
    QTimer::singleShot(0, [&] {
        auto* w = qobject_cast<TFormVisoreFoto*>(QApplication::activeModalWidget());
        ASSERT_NE(w, nullptr);
        empty = w->Vuoto->isVisible() ? w->Vuoto->text() : QString();
        w->close();
    });
    v.CodiceItem = "M9999999V000";
    v.Show();
    EXPECT_EQ(empty, "Nessuna foto per il modello M9999999V000");
}
