// The plug-in as the host reaches it: loaded by path, entry points called by name, windows
// opened offscreen, closed by the user and destroyed with their sessions and connections.
#include "HostLoader.h"

#include "framework/db/IBDatabase.h"

#include "support/TestSupport.h"

#include <QApplication>
#include <QPointer>
#include <QTest>
#include <QWidget>

class TestPlugin : public QObject {
    Q_OBJECT

    TTestFolder fFolder;
    THostFolder fHost;
    std::unique_ptr<THostDirGuard> fGuard;
    THostLoader fLoader;
    TIBDatabase fWatch, fWatchArchive; // connections of the test's own, to count the others

    static int Others(TIBDatabase& db) {
        return QueryValue(db, "SELECT COUNT(*) FROM MON$ATTACHMENTS WHERE "
                              "MON$ATTACHMENT_ID <> CURRENT_CONNECTION AND MON$SYSTEM_FLAG = 0")
            .toInt();
    }
    /// Connections open on the user database and the archive, besides the test's own.
    int Attachments() { return Others(fWatch) + Others(fWatchArchive); }
    QList<QWidget*> Windows() {
        QList<QWidget*> out;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible())
                out << w;
        return out;
    }
    static void Flush() {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }

private slots:
    void initTestCase() {
        fHost = ProvisionHostFolder(fFolder.Path("host"));
        fGuard = std::make_unique<THostDirGuard>(fHost.root);
        QVERIFY2(fLoader.Load(ZELM_PLUGIN_PATH), qPrintable(fLoader.ErrorString()));
        fWatch.SetDatabaseName(fHost.userDb);
        fWatch.Open();
        fWatchArchive.SetDatabaseName(fHost.archiveDb);
        fWatchArchive.Open();
    }

    void entryPointOpensItsWindow_data() {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<int>("utente");
        QTest::addColumn<QString>("caption");
        QTest::newRow("schede") << "ShowZelmModelFormX" << 1
                                << "Schede modelli - Ditta: CALZATURIFICIO BRENTA - Utente: Mario "
                                   "Rossi";
        QTest::newRow("import") << "ShowImpXlsHelvoFormX" << 2
                                << "Acquisizione xls helvo - Ditta: CALZATURIFICIO BRENTA - "
                                   "Utente: Giulia Bianchi";
        QTest::newRow("articoli") << "ShowZelmCreaArtFormX" << 3
                                  << "Creazione articoli - Ditta: CALZATURIFICIO BRENTA - Utente: "
                                     "Luca Ferri";
    }

    void entryPointOpensItsWindow() {
        QFETCH(QString, entry);
        QFETCH(int, utente);
        QFETCH(QString, caption);
        const int before = Attachments();
        QVERIFY2(fLoader.Call(entry, utente, 1), qPrintable(fLoader.LastError()));
        QCOMPARE(Windows().size(), 1);
        QPointer<QWidget> window = Windows().first();
        QCOMPARE(window->windowTitle(), caption);
        QCOMPARE(Attachments(), before + 2); // user database and archive
        QVERIFY(QueryValue(fWatch, "SELECT HANDLEFINESTRA FROM SELBALOGFUNZ WHERE IDFINESTRA=1")
                    .isValid());
        window->grab().save(QStringLiteral("%1.png").arg(entry));

        window->close();
        Flush();
        QVERIFY(window.isNull());
        QCOMPARE(Attachments(), before);
    }

    void twoWindowsLiveIndependently() {
        QVERIFY(fLoader.Call("ShowZelmModelFormX", 1, 1));
        QVERIFY(fLoader.Call("ShowZelmModelFormX", 1, 2));
        QCOMPARE(Windows().size(), 2);
        QPointer<QWidget> first = Windows()[0];
        QPointer<QWidget> second = Windows()[1];
        first->close();
        Flush();
        QVERIFY(first.isNull());
        QVERIFY(!second.isNull());
        QCOMPARE(Attachments(), 2);                   // the second window's two connections
        second->move(second->pos() + QPoint(15, 15)); // still alive and working
        second->close();
        Flush();
        QVERIFY(second.isNull());
        QCOMPARE(Attachments(), 0);
    }

    void unknownUserLeavesNoWindow() {
        const int before = QApplication::topLevelWidgets().size();
        QVERIFY(!fLoader.Call("ShowZelmModelFormX", 77, 1));
        QCOMPARE(fLoader.LastError(), QStringLiteral("Utente 77 non trovato"));
        Flush();
        QCOMPARE(QApplication::topLevelWidgets().size(), before);
        QCOMPARE(Attachments(), 0);
        QVERIFY(fLoader.Call("ShowZelmCreaArtFormX", 1, 1)); // the next call starts clean
        QCOMPARE(fLoader.LastError(), QString());
        QApplication::closeAllWindows();
        Flush();
    }

    void failedHandleReportLeavesNothingAttached() {
        // The host's log refuses the handle: the window is never built, and its session with
        // both connections goes with it.
        ExecSql(fWatch, "CREATE EXCEPTION LOG_RIFIUTATO 'log rifiutato'");
        ExecSql(fWatch, "CREATE TRIGGER RIFIUTA_HANDLE FOR SELBALOGFUNZ BEFORE UPDATE AS "
                        "BEGIN EXCEPTION LOG_RIFIUTATO; END");
        const int windows = QApplication::topLevelWidgets().size();
        const bool opened = fLoader.Call("ShowZelmModelFormX", 1, 1);
        const QString error = fLoader.LastError();
        Flush();
        const int attached = Attachments();
        ExecSql(fWatch, "DROP TRIGGER RIFIUTA_HANDLE");
        ExecSql(fWatch, "DROP EXCEPTION LOG_RIFIUTATO");
        QVERIFY(!opened);
        QVERIFY2(error.contains("log rifiutato"), qPrintable(error));
        QCOMPARE(QApplication::topLevelWidgets().size(), windows);
        QCOMPARE(attached, 0);
    }

    void failedListAtShowLeavesNothingAttached() {
        // The sheets' list fails while the window is shown: no window stays, no connection.
        ExecSql(fWatchArchive, "ALTER TABLE ZELMMODEL ADD GUASTO COMPUTED BY (1 / 0)");
        const int windows = QApplication::topLevelWidgets().size();
        const bool opened = fLoader.Call("ShowZelmModelFormX", 1, 1);
        const QString error = fLoader.LastError();
        Flush();
        const int attached = Attachments();
        const int left = QApplication::topLevelWidgets().size();
        ExecSql(fWatchArchive, "ALTER TABLE ZELMMODEL DROP GUASTO");
        QVERIFY(!opened);
        QVERIFY2(!error.isEmpty(), "no error reported");
        QCOMPARE(left, windows);
        QCOMPARE(attached, 0);
    }

    void unknownEntryPointIsReported() {
        QVERIFY(!fLoader.Call("ShowNienteX", 1, 1));
        QVERIFY(fLoader.LastError().contains("ShowNienteX"));
    }
};

QTEST_MAIN(TestPlugin)
#include "test_plugin.moc"
