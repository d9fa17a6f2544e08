// A clerk who never touches the mouse: the model-sheet window opened through the entry point,
// worked with keys alone (Tab, arrows, typing, Enter, Space, Alt+letter, Ctrl+S, Esc), the
// window's own message boxes and dialogs answered with keys too; each step checked against the
// rows it stored.
#include "HostLoader.h"

#include "framework/db/IBDatabase.h"

#include "support/TestSupport.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPointer>
#include <QTabWidget>
#include <QTest>
#include <QTimer>

#include <deque>
#include <functional>

namespace {
const QString kDescrizione = QStringLiteral("Cucitura doppia ");

QWidget* Focus() {
    return QApplication::focusWidget();
}

void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
    QWidget* target = Focus() ? Focus() : QApplication::activeWindow();
    ASSERT_NE(target, nullptr) << "nothing has the keyboard";
    QTest::keyClick(target, key, modifiers);
    QCoreApplication::processEvents();
}

/// Types `text` one key at a time into whatever holds the keyboard (a cell opens its editor on
/// the first key, the rest go to the editor).
void Type(const QString& text) {
    for (const QChar ch : text) {
        QWidget* target = Focus() ? Focus() : QApplication::activeWindow();
        ASSERT_NE(target, nullptr);
        QTest::keyClick(target, ch.toLatin1());
    }
    QCoreApplication::processEvents();
}

/// A button's Alt+letter: the button shows itself pressed for a moment, then acts.
void Alt(char letter) {
    Key(Qt::Key(Qt::Key_A + (letter - 'a')), Qt::AltModifier);
    QTest::qWait(250);
}

/// Presses Tab until `target` has the keyboard; false when it never comes.
bool TabTo(QWidget* target, int presses = 80) {
    for (int i = 0; i < presses && Focus() != target; ++i)
        Key(Qt::Key_Tab);
    return Focus() == target;
}

QString Describe(QWidget* w) {
    if (!w)
        return QStringLiteral("(nessuno)");
    return QStringLiteral("%1 %2 in %3")
        .arg(QString::fromLatin1(w->metaObject()->className()), w->objectName(),
             w->parentWidget() ? w->parentWidget()->objectName() : QString());
}
} // namespace

class KeyboardOnly : public ::testing::Test {
protected:
    void SetUp() override {
        fHost = ProvisionHostFolder(fFolder.Path("host"));
        fGuard = std::make_unique<THostDirGuard>(fHost.root);
        ASSERT_TRUE(fLoader.Load(ZELM_PLUGIN_PATH)) << fLoader.ErrorString().toStdString();
        fArchive.SetDatabaseName(fHost.archiveDb);
        fArchive.Open();
        // Every modal window the walk meets is answered by the next entry, with keys.
        fWatcher.setInterval(20);
        QObject::connect(&fWatcher, &QTimer::timeout, [this] { AnswerModal(); });
        fWatcher.start();
    }
    void TearDown() override {
        fAnswers.clear(); // a question on closing gets Esc
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible())
                w->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        fWatcher.stop();
        if (fArchive.Connected())
            fArchive.Close();
    }

    void AnswerModal() {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal == fAnswered)
            return;
        fAnswered = modal;
        QString text = modal->windowTitle();
        if (auto* box = qobject_cast<QMessageBox*>(modal))
            text += QStringLiteral(": ") + box->text();
        fSeen << text;
        if (fAnswers.empty()) {
            fUnexpected << text;
            QTest::keyClick(modal, Qt::Key_Escape);
            if (fWindow && !QApplication::activeModalWidget())
                QApplication::setActiveWindow(fWindow);
            return;
        }
        const auto answer = fAnswers.front();
        fAnswers.pop_front();
        // The dialog has the keyboard, as the window system gives it on a desktop; closed, it
        // gives it back to the window.
        QApplication::setActiveWindow(modal);
        QCoreApplication::processEvents();
        answer(modal);
        if (fWindow && !QApplication::activeModalWidget())
            QApplication::setActiveWindow(fWindow);
    }
    /// The next modal window gets these keys (typed text, then the given keys).
    void ThenDialog(const QString& typed,
                    std::vector<std::pair<Qt::Key, Qt::KeyboardModifiers>> keys) {
        fAnswers.push_back([typed, keys](QWidget*) {
            Type(typed);
            for (const auto& [k, m] : keys)
                Key(k, m);
        });
    }
    void ThenYes() {
        fAnswers.push_back([](QWidget*) { Alt('s'); });
    }

    QVariant Value(const QString& sql) { return QueryValue(fArchive, sql); }
    QTabWidget* Notebook() { return fWindow->findChild<QTabWidget*>("Notebook"); }
    QWidget* Panel(const char* name) { return fWindow->findChild<QWidget*>(name); }
    QWidget* InPanel(const char* panel, const char* child) {
        QWidget* p = Panel(panel);
        return p ? p->findChild<QWidget*>(child) : nullptr;
    }
    QAbstractItemView* List() {
        return fWindow->findChild<QWidget*>("FrameRicerca")
            ->findChild<QAbstractItemView*>("ZavoGrid");
    }
    /// The ID of the search list's current row.
    int CurrentId() {
        QAbstractItemView* list = List();
        const QModelIndex i = list->currentIndex();
        return list->model()->index(i.row(), 0).data().toInt();
    }
    /// The search list shows the sheets whose code starts with `code`.
    void FilterCode(const QString& code) {
        ASSERT_TRUE(TabTo(Panel("EditCodice"))) << Describe(Focus()).toStdString();
        Key(Qt::Key_A, Qt::ControlModifier);
        Type(code);
        QTest::qWait(800); // the filter follows the keys half a second after the last
        ASSERT_TRUE(TabTo(List())) << Describe(Focus()).toStdString();
    }

    TTestFolder fFolder;
    THostFolder fHost;
    std::unique_ptr<THostDirGuard> fGuard;
    THostLoader fLoader;
    TIBDatabase fArchive;
    QPointer<QWidget> fWindow;
    QTimer fWatcher;
    QPointer<QWidget> fAnswered;
    std::deque<std::function<void(QWidget*)>> fAnswers;
    QStringList fSeen, fUnexpected;
};

TEST_F(KeyboardOnly, AClerksDayWithoutTheMouse) {
    ASSERT_TRUE(fLoader.Call("ShowZelmModelFormX", 1, 1)) << fLoader.LastError().toStdString();
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->isVisible())
            fWindow = w;
    ASSERT_TRUE(fWindow);
    QApplication::setActiveWindow(fWindow);
    QCoreApplication::processEvents();
    const int sheets = Value("SELECT COUNT(*) FROM ZELMMODEL").toInt();

    struct TStep {
        const char* what;
        std::function<void()> keys;
        QString sql; // what the archive holds afterwards
        QString expected;
    };
    int duplicate = 0;
    const TStep steps[] = {
        {"find a sheet by its code and open it with Enter",
         [&] {
             FilterCode("DEC-1");
             Key(Qt::Key_Return);
             EXPECT_EQ(Notebook()->currentIndex(), 1);
         },
         "SELECT CODICE FROM ZELMMODEL WHERE ID=1", "DEC-101"},
        {"modify it: Alt+M, the code retyped",
         [&] {
             Alt('m');
             ASSERT_TRUE(TabTo(Panel("DBEditCodice"))) << Describe(Focus()).toStdString();
             Key(Qt::Key_A, Qt::ControlModifier);
             Type("KB-101");
         },
         "SELECT CODICE FROM ZELMMODEL WHERE ID=1", "DEC-101"}, // not yet saved
        {"a new detail and two of its sizes",
         [&] {
             ASSERT_TRUE(TabTo(InPanel("FrameDett", "ActionNuovo")))
                 << Describe(Focus()).toStdString();
             ThenDialog("Larghezza pianta", {{Qt::Key_Return, {}}});
             Key(Qt::Key_Space);
             ASSERT_TRUE(TabTo(InPanel("FrameDett", "DBGrid")));
             Key(Qt::Key_Home);
             Key(Qt::Key_Right);
             Type("250");
             Key(Qt::Key_Return);
             Key(Qt::Key_Right);
             Type("255");
             Key(Qt::Key_Return);
         },
         "SELECT COUNT(*) FROM ZELMMODELDETT WHERE IDMODEL=1", "3"},
        {"an option's description",
         [&] {
             ASSERT_TRUE(TabTo(InPanel("FrameOpz", "DBGrid")));
             Key(Qt::Key_Home);
             Key(Qt::Key_Right);
             // 60 keys into a 50-character column: the editor stops at 50, nothing is cut later.
             Type(kDescrizione + QString(60 - kDescrizione.size(), 'x'));
             Key(Qt::Key_Return);
         },
         QString(), QString()},
        {"a preference ticked",
         [&] {
             ASSERT_TRUE(TabTo(InPanel("FramePrefComp", "CheckListBox")));
             Key(Qt::Key_End);
             Key(Qt::Key_Space);
         },
         QString(), QString()},
        {"an annotation, typed in its dialog",
         [&] {
             ASSERT_TRUE(TabTo(InPanel("FrameSto", "ActionNuovo")));
             fAnswers.push_back([](QWidget*) {
                 Type("Provata senza mouse");
                 Alt('t');
                 Type("Prototipo");
                 Key(Qt::Key_Return);
             });
             Key(Qt::Key_Space);
         },
         QString(), QString()},
        {"Ctrl+S saves the whole card",
         [&] {
             Key(Qt::Key_S, Qt::ControlModifier);
             EXPECT_EQ(Notebook()->currentIndex(), 0);
             // The list keeps its filter: the new code is not "DEC-1…" any more.
             EXPECT_EQ(List()->model()->rowCount(), 0);
         },
         "SELECT CODICE || ' ' || (SELECT D1 || '/' || D2 FROM ZELMMODELDETT WHERE IDMODEL=1 AND "
         "TIPODETT='Larghezza pianta') || ' ' || (SELECT COUNT(*) FROM ZELMMODELPREFCOMP WHERE "
         "IDMODEL=1) || ' ' || (SELECT COUNT(*) FROM ZELMMODELOPZ WHERE IDMODEL=1 AND "
         "DESCRIZIONE='Cucitura doppia " +
             QString(34, 'x') +
             "') || ' ' || (SELECT TIPOANNOTAZIONE FROM ZELMMODELSTO "
             "WHERE IDMODEL=1 AND ANNOTAZIONE='Provata senza mouse') FROM ZELMMODEL WHERE ID=1",
         "KB-101 250/255 4 1 Prototipo"},
        {"release for sampling: Alt+O, Alt+C, Alt+S(ì), Alt+H",
         [&] {
             FilterCode("KB-1");
             ASSERT_EQ(CurrentId(), 1);
             Alt('o');
             ThenYes();
             Alt('c');
             EXPECT_EQ(Notebook()->currentIndex(), 1);
             Alt('h');
             EXPECT_EQ(Notebook()->currentIndex(), 0);
         },
         "SELECT STATUSSCHEDA FROM ZELMMODEL WHERE ID=1", "RilasciataC"},
        {"release for production, then a variant of it",
         [&] {
             Alt('o');
             ThenYes();
             Alt('p');
             Alt('h');
             ThenYes(); // "Creare una nuova variante?"
             Alt('o');
             EXPECT_EQ(Notebook()->currentIndex(), 1);
             Key(Qt::Key_S, Qt::ControlModifier);
             EXPECT_EQ(Notebook()->currentIndex(), 0);
         },
         "SELECT COUNT(*) || ' ' || MAX(IDVARIANTE) FROM ZELMMODEL WHERE IDMODEL=1", "2 1"},
        {"duplicate the current sheet: Alt+D, Ctrl+S",
         [&] {
             Alt('d');
             EXPECT_EQ(Notebook()->currentIndex(), 1);
             Key(Qt::Key_S, Qt::ControlModifier);
             EXPECT_EQ(Notebook()->currentIndex(), 0);
             duplicate = CurrentId();
         },
         "SELECT COUNT(*) FROM ZELMMODEL", QString::number(sheets + 2)},
        {"delete the duplicate: Alt+E, Alt+S(ì)",
         [&] {
             ASSERT_GT(duplicate, 0);
             ThenYes();
             Alt('e');
         },
         "SELECT COUNT(*) FROM ZELMMODEL", QString::number(sheets + 1)},
        {"suspend another sheet: its code, Alt+S, Alt+S(ì)",
         [&] {
             FilterCode("MOC-2");
             ThenYes();
             Alt('s');
         },
         "SELECT STATUSSCHEDA FROM ZELMMODEL WHERE ID=2", "Sospesa"},
    };
    for (const TStep& step : steps) {
        SCOPED_TRACE(step.what);
        step.keys();
        QCoreApplication::processEvents();
        EXPECT_TRUE(fAnswers.empty()) << "a dialog did not come";
        fAnswers.clear();
        EXPECT_EQ(fUnexpected, QStringList()) << fSeen.join(" | ").toStdString();
        fUnexpected.clear();
        if (!step.sql.isEmpty())
            EXPECT_EQ(Value(step.sql).toString(), step.expected) << fSeen.join(" | ").toStdString();
        if (HasFatalFailure())
            return;
    }
    EXPECT_EQ(
        Value(QStringLiteral("SELECT COUNT(*) FROM ZELMMODEL WHERE ID=%1").arg(duplicate)).toInt(),
        0);
}
