#include "OfficeSuite.h"
#include "Descrittori.h"

#include "framework/core/Log.h"

#include <com/sun/star/awt/Point.hpp>
#include <com/sun/star/awt/Size.hpp>
#include <com/sun/star/beans/PropertyValue.hpp>
#include <com/sun/star/beans/XMultiPropertySet.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/bridge/BridgeFactory.hpp>
#include <com/sun/star/bridge/UnoUrlResolver.hpp>
#include <com/sun/star/bridge/XBridge.hpp>
#include <com/sun/star/bridge/XBridgeFactory2.hpp>
#include <com/sun/star/bridge/XUnoUrlResolver.hpp>
#include <com/sun/star/connection/NoConnectException.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNameAccess.hpp>
#include <com/sun/star/drawing/XDrawPage.hpp>
#include <com/sun/star/drawing/XDrawPageSupplier.hpp>
#include <com/sun/star/drawing/XShape.hpp>
#include <com/sun/star/frame/Desktop.hpp>
#include <com/sun/star/frame/XComponentLoader.hpp>
#include <com/sun/star/frame/XDesktop2.hpp>
#include <com/sun/star/frame/XStorable.hpp>
#include <com/sun/star/graphic/GraphicProvider.hpp>
#include <com/sun/star/graphic/XGraphic.hpp>
#include <com/sun/star/lang/DisposedException.hpp>
#include <com/sun/star/lang/Locale.hpp>
#include <com/sun/star/lang/XComponent.hpp>
#include <com/sun/star/lang/XMultiServiceFactory.hpp>
#include <com/sun/star/sheet/XCellRangeAddressable.hpp>
#include <com/sun/star/sheet/XCellRangeData.hpp>
#include <com/sun/star/sheet/XCellRangeMovement.hpp>
#include <com/sun/star/sheet/XSheetCellCursor.hpp>
#include <com/sun/star/sheet/XSheetCellRangeContainer.hpp>
#include <com/sun/star/sheet/XSpreadsheet.hpp>
#include <com/sun/star/sheet/XSpreadsheetDocument.hpp>
#include <com/sun/star/sheet/XSpreadsheets.hpp>
#include <com/sun/star/style/XStyleFamiliesSupplier.hpp>
#include <com/sun/star/table/BorderLine2.hpp>
#include <com/sun/star/table/CellAddress.hpp>
#include <com/sun/star/table/CellRangeAddress.hpp>
#include <com/sun/star/table/XCell.hpp>
#include <com/sun/star/table/XCellRange.hpp>
#include <com/sun/star/table/XColumnRowRange.hpp>
#include <com/sun/star/table/XTableColumns.hpp>
#include <com/sun/star/table/XTableRows.hpp>
#include <com/sun/star/text/XText.hpp>
#include <com/sun/star/uno/XComponentContext.hpp>
#include <com/sun/star/util/XCloseable.hpp>
#include <com/sun/star/util/XMergeable.hpp>
#include <com/sun/star/util/XNumberFormats.hpp>
#include <com/sun/star/util/XNumberFormatsSupplier.hpp>
#include <cppuhelper/bootstrap.hxx>

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace com::sun::star;
using com::sun::star::uno::Any;
using com::sun::star::uno::Reference;
using com::sun::star::uno::Sequence;
using com::sun::star::uno::UNO_QUERY;
using com::sun::star::uno::UNO_QUERY_THROW;
using rtl::OUString;

namespace {
const char* kProgramDir = "/usr/lib/libreoffice/program";

OUString ToOU(const QString& s) {
    return OUString(reinterpret_cast<const sal_Unicode*>(s.utf16()), s.size());
}
QString ToQ(const OUString& s) {
    return QString(reinterpret_cast<const QChar*>(s.getStr()), s.getLength());
}

[[noreturn]] void Rethrow(const uno::Exception& e) {
    throw EOfficeError(ToQ(e.Message));
}

/// Runs a bridge call; a bridge exception becomes EOfficeError with its message.
template <typename F> auto Guard(F&& f) -> decltype(f()) {
    try {
        return f();
    } catch (const lang::DisposedException& e) {
        throw EOfficeError(QStringLiteral("Il processo di LibreOffice non risponde: ") +
                           ToQ(e.Message));
    } catch (const uno::Exception& e) {
        Rethrow(e);
    }
}

Any ToAny(const QVariant& v) {
    // An invalid QVariant is written as an empty text: the office does not take a void value in
    // a data array.
    switch (v.typeId()) {
    case QMetaType::Bool:
        return Any(v.toBool());
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::Short:
        return Any(static_cast<sal_Int32>(v.toLongLong()));
    case QMetaType::Double:
    case QMetaType::Float:
        return Any(v.toDouble());
    default:
        return Any(ToOU(v.toString()));
    }
}

QVariant FromAny(const Any& a) {
    switch (a.getValueTypeClass()) {
    case uno::TypeClass_BOOLEAN:
        return a.get<bool>();
    case uno::TypeClass_BYTE:
    case uno::TypeClass_SHORT:
    case uno::TypeClass_UNSIGNED_SHORT:
    case uno::TypeClass_LONG:
    case uno::TypeClass_UNSIGNED_LONG:
    case uno::TypeClass_ENUM:
        return static_cast<int>(a.get<sal_Int32>());
    case uno::TypeClass_HYPER:
        return static_cast<qint64>(a.get<sal_Int64>());
    case uno::TypeClass_FLOAT:
    case uno::TypeClass_DOUBLE:
        return a.get<double>();
    case uno::TypeClass_STRING:
        return ToQ(a.get<OUString>());
    default:
        return QVariant();
    }
}

beans::PropertyValue Prop(const char* name, const Any& value) {
    beans::PropertyValue p;
    p.Name = OUString::createFromAscii(name);
    p.Value = value;
    return p;
}
Sequence<beans::PropertyValue> One(const beans::PropertyValue& p) {
    Sequence<beans::PropertyValue> props(1);
    props.getArray()[0] = p;
    return props;
}
} // namespace

QString ColumnName(int col) {
    QString name;
    for (int c = col + 1; c > 0; c = (c - 1) / 26)
        name.prepend(QChar('A' + (c - 1) % 26));
    return name;
}

QString TOfficeSuite::FileUrl(const QString& path, bool escapeSpaces) {
    QString p = QFileInfo(path).absoluteFilePath();
    p.replace('\\', '/');
    if (p.startsWith('/'))
        p.remove(0, 1);
    if (escapeSpaces)
        p.replace(' ', QStringLiteral("%20"));
    return QStringLiteral("file:///") + p;
}

// --- the office process -----------------------------------------------------------------------
struct TOfficeSuite::Impl {
    pid_t pid = 0;
    int starts = 0;
    std::unique_ptr<QTemporaryDir> profile;
    QString pipe;
    // The named sockets the running office listens on (its own pipe, the office's single-instance
    // pipe): the office never removes them when it is killed, so they go when it has ended.
    std::vector<std::string> pipeFiles;
    Reference<uno::XComponentContext>& local = Refs().local;
    Reference<uno::XComponentContext>& remote = Refs().remote;
    Reference<frame::XDesktop2>& desktop = Refs().desktop;

    // The bridge's references live on the heap and are never destroyed: at process exit the
    // bridge libraries may already be gone, and releasing a proxy then would crash.
    struct TRefs {
        Reference<uno::XComponentContext> local, remote;
        Reference<frame::XDesktop2> desktop;
    };
    static TRefs& Refs() {
        static TRefs* refs = new TRefs;
        return *refs;
    }

    // The process's state is shared with the thread that starts the office ahead of its first
    // use: every start, check and kill holds this lock (a start in progress is waited for).
    std::recursive_mutex lock;
    // That thread lives until the process ends: the office is told to die with the thread that
    // forked it (PR_SET_PDEATHSIG follows the thread, not the process).
    std::thread anticipo;
    std::mutex anticipoLock;
    std::condition_variable anticipoSveglia;
    bool anticipoChiesto = false, anticipoFine = false;

    /// The office process as last spawned, readable without the lock (by the end of the
    /// application while a start holds it).
    std::atomic<pid_t> pidVisibile{0};

    ~Impl() {
        FermaAnticipo();
        KillProcess();
    }

    /// Ends the office before the process's exit tears down the bridge's statics (its type
    /// registry above all): the bridge's threads, still answering an office that lives, would
    /// use them after they are freed. Constructed after those statics, hence destroyed before.
    struct TFineUscita {
        ~TFineUscita() { TOfficeSuite::Instance().d->Kill(); }
    };

    /// The office ends with the application object, while Qt and the bridge are whole (a
    /// process without one ends it in the destructor above).
    void FineConLApplicazione() {
        static std::once_flag once;
        std::call_once(once, [] {
            qAddPostRoutine([] {
                Impl& d = *TOfficeSuite::Instance().d;
                d.FermaAnticipo();
                d.Kill();
            });
        });
    }

    /// Ends the starting thread before the application's own objects go: a start under way is
    /// cut short (its office killed, so that the thread's wait for it ends at once).
    void FermaAnticipo() {
        {
            const std::lock_guard g(anticipoLock);
            if (anticipoFine)
                return;
            anticipoFine = true;
        }
        anticipoSveglia.notify_one();
        if (!anticipo.joinable())
            return;
        if (const pid_t starting = pidVisibile.load(); starting > 0)
            kill(-starting, SIGKILL);
        anticipo.join();
    }

    void Anticipa() {
        {
            const std::lock_guard g(anticipoLock);
            if (anticipoFine)
                return;
            if (!anticipo.joinable()) {
                anticipo = std::thread([this] { CicloAnticipo(); });
                // Joined when the application object goes, before the statics of Qt and of the
                // bridge that a start in progress still uses.
                FineConLApplicazione();
            }
            anticipoChiesto = true;
        }
        anticipoSveglia.notify_one();
    }

    void CicloAnticipo() {
        std::unique_lock g(anticipoLock);
        for (;;) {
            anticipoSveglia.wait(g, [this] { return anticipoChiesto || anticipoFine; });
            if (anticipoFine)
                return;
            anticipoChiesto = false;
            g.unlock();
            try {
                Desktop();
            } catch (...) {
                // The first real use starts it again and reports the failure to its caller.
            }
            g.lock();
        }
    }

    void KillProcess() {
        const std::lock_guard g(lock);
        if (pid > 0) {
            qCInfo(zelmOffice) << "fine dell'ufficio, processo" << pid;
            kill(-pid, SIGTERM);
            for (int i = 0; i < 50 && waitpid(pid, nullptr, WNOHANG) == 0; ++i)
                QThread::msleep(20);
            kill(-pid, SIGKILL);
            waitpid(pid, nullptr, 0);
            pid = 0;
        }
        Ended();
    }

    /// The office process is gone: what it left in the shared temporary folder goes too.
    void Ended() {
        zelm::office::RemoveSockets(pipeFiles);
        pipeFiles.clear();
    }

    /// Notes the office's sockets, in memory and in its profile (whence a later process removes
    /// them when this one dies without doing so).
    static constexpr const char* kListaPipe = "pipes"; ///< in the profile, one path a line

    void RecordPipes() {
        pipeFiles = zelm::office::SocketPaths(pid);
        QFile list(profile->filePath(QLatin1String(kListaPipe)));
        if (list.open(QIODevice::WriteOnly | QIODevice::Truncate))
            for (const std::string& path : pipeFiles)
                list.write(QByteArray::fromStdString(path) + '\n');
    }

    bool Alive() {
        const std::lock_guard g(lock);
        if (pid <= 0)
            return false;
        int status = 0;
        if (waitpid(pid, &status, WNOHANG) == pid) {
            qCWarning(zelmOffice) << "l'ufficio è terminato da sé, processo" << pid << "stato"
                                  << status;
            pid = 0;
            Ended();
            return false;
        }
        return true;
    }

    void Kill() {
        const std::lock_guard g(lock);
        desktop.clear();
        remote.clear();
        KillProcess();
        DisposeBridges();
    }

    /// Ends the bridge to an office that is gone, and waits for its reader and writer threads:
    /// left to notice the death on their own, they would still be freeing memory while the
    /// process exits and the bridge's libraries tear their statics down.
    void DisposeBridges() {
        if (!local.is())
            return;
        try {
            const Reference<bridge::XBridgeFactory2> factory = bridge::BridgeFactory::create(local);
            for (const Reference<bridge::XBridge>& b : factory->getExistingBridges())
                if (const Reference<lang::XComponent> c{b, UNO_QUERY}; c.is())
                    c->dispose(); // joins the bridge's threads
        } catch (const uno::Exception&) {
            // a bridge already torn down: nothing left to wait for
        }
    }

    void Spawn() {
        const QByteArray program = QByteArray(kProgramDir) + "/soffice.bin";
        const QByteArray profileArg =
            "-env:UserInstallation=" + TOfficeSuite::FileUrl(profile->path()).toUtf8();
        const QByteArray accept = "--accept=pipe,name=" + pipe.toUtf8() + ";urp;";
        // A temporary folder of its own, inside the profile: what the office leaves there goes
        // with the profile. The environment is prepared here: the child of a threaded process
        // may not allocate.
        const QByteArray tempDir = profile->filePath(QStringLiteral("tmp")).toLocal8Bit();
        QDir().mkpath(QString::fromLocal8Bit(tempDir));
        std::vector<QByteArray> envStore;
        for (char** e = environ; *e; ++e)
            if (std::strncmp(*e, "TMPDIR=", 7) != 0)
                envStore.emplace_back(*e);
        envStore.push_back("TMPDIR=" + tempDir);
        std::vector<const char*> envp;
        for (const QByteArray& e : envStore)
            envp.push_back(e.constData());
        envp.push_back(nullptr);
        const pid_t parent = getpid();
        const long limit = zelm::office::DescriptorLimit();
        pid = fork();
        if (pid < 0)
            throw EOfficeError(QStringLiteral("Impossibile avviare LibreOffice"));
        if (pid > 0)
            pidVisibile = pid;
        if (pid == 0) {
            setsid(); // its own process group: shutdown kills the office and its helpers
            // The office ends with the process that started it, however that one ends.
            prctl(PR_SET_PDEATHSIG, SIGKILL);
            if (getppid() != parent)
                _exit(127); // the parent died before the request took effect
            // Nothing of the host crosses the exec but the standard streams: an inherited
            // database file would keep its locks for as long as the office lives.
            zelm::office::CloseDescriptorsFrom(3, limit);
            const char* argv[] = {
                program.constData(),    "--headless",       "--invisible",   "--nologo",
                "--norestore",          "--nodefault",      "--nolockcheck", "--nofirststartwizard",
                profileArg.constData(), accept.constData(), nullptr};
            execve(argv[0], const_cast<char* const*>(argv), const_cast<char* const*>(envp.data()));
            _exit(127);
        }
    }

    /// The profile's settings. The office shows dates, numbers and the built-in "system" formats
    /// of a workbook in its locale setting, which otherwise follows LANG/LC_* of whoever started
    /// this process: it is fixed to Italian so that a sheet reads the same under cron, a
    /// container or a German desktop.
    static void WriteSettings(const QString& profileDir) {
        const QString user = profileDir + QStringLiteral("/user");
        QDir().mkpath(user);
        QFile file(user + QStringLiteral("/registrymodifications.xcu"));
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            throw EOfficeError(QStringLiteral("Impossibile preparare il profilo di LibreOffice: ") +
                               file.errorString());
        file.write(R"(<?xml version="1.0" encoding="UTF-8"?>
<oor:items xmlns:oor="http://openoffice.org/2001/registry" xmlns:xs="http://www.w3.org/2001/XMLSchema" xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance">
<item oor:path="/org.openoffice.Setup/L10N"><prop oor:name="ooSetupSystemLocale" oor:op="fuse"><value>it-IT</value></prop></item>
</oor:items>
)");
    }

    /// Profiles left in the temporary folder by processes that no longer exist.
    static void RemoveOrphanProfiles() {
        const QDir temp(QDir::tempPath());
        static const QRegularExpression name(QStringLiteral("^zelm-office-(\\d+)-"));
        for (const QString& entry :
             temp.entryList({QStringLiteral("zelm-office-*")}, QDir::Dirs | QDir::NoDotAndDotDot)) {
            const auto m = name.match(entry);
            if (!m.hasMatch())
                continue;
            const pid_t owner = static_cast<pid_t>(m.captured(1).toLongLong());
            if (owner == getpid() || kill(owner, 0) == 0 || errno != ESRCH)
                continue;
            QFile list(QDir(temp.filePath(entry)).filePath(QLatin1String(kListaPipe)));
            if (list.open(QIODevice::ReadOnly)) {
                std::vector<std::string> pipes;
                for (const QByteArray& line : list.readAll().split('\n'))
                    if (!line.isEmpty())
                        pipes.push_back(line.toStdString());
                zelm::office::RemoveSockets(pipes);
            }
            QDir(temp.filePath(entry)).removeRecursively();
        }
    }

    void Start() {
        Kill();
        // Writing to the bridge of an office that just died must fail as an error, not end this
        // process: a broken pipe is ignored unless the application chose a handler of its own.
        struct sigaction current {};
        if (sigaction(SIGPIPE, nullptr, &current) == 0 && current.sa_handler == SIG_DFL)
            signal(SIGPIPE, SIG_IGN);
        if (!local.is()) {
            // The bridge's own bootstrap data lives beside the office's programs.
            setenv(
                "URE_BOOTSTRAP",
                (QByteArray("vnd.sun.star.pathname:") + kProgramDir + "/fundamentalrc").constData(),
                0);
            local = Guard([] { return cppu::defaultBootstrap_InitialComponentContext(); });
        }
        ++starts;
        FineConLApplicazione();
        RemoveOrphanProfiles();
        // The profile's name carries this process's id: a later start recognises the profile
        // of a process that died without removing it.
        profile = std::make_unique<QTemporaryDir>(
            QDir::tempPath() + QStringLiteral("/zelm-office-%1-XXXXXX").arg(getpid()));
        pipe = QStringLiteral("zelm_office_%1_%2").arg(getpid()).arg(starts);
        WriteSettings(profile->path());
        Spawn();
        Reference<bridge::XUnoUrlResolver> resolver = bridge::UnoUrlResolver::create(local);
        const OUString url = ToOU("uno:pipe,name=" + pipe + ";urp;StarOffice.ComponentContext");
        QElapsedTimer deadline;
        deadline.start();
        int restarts = 0;
        while (true) {
            try {
                remote.set(resolver->resolve(url), UNO_QUERY_THROW);
                desktop = frame::Desktop::create(remote);
                RecordPipes();
                qCInfo(zelmOffice).noquote()
                    << "ufficio avviato: processo" << pid << "in" << deadline.elapsed() << "ms,"
                    << "avvio numero" << starts << "," << kProgramDir;
                static TFineUscita fine;
                return;
            } catch (const connection::NoConnectException&) {
                // not listening yet
            } catch (const uno::Exception& e) {
                Kill();
                Rethrow(e);
            }
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid) {
                pid = 0;
                // A fresh profile makes the first start end with 81 ("restart me").
                if (WIFEXITED(status) && WEXITSTATUS(status) == 81 && restarts++ < 2) {
                    qCInfo(zelmOffice) << "l'ufficio chiede di ripartire (profilo nuovo)";
                    Spawn();
                    continue;
                }
                qCWarning(zelmOffice) << "l'ufficio si è chiuso all'avvio, stato" << status;
                throw EOfficeError(QStringLiteral("LibreOffice si è chiuso all'avvio (codice %1)")
                                       .arg(WIFEXITED(status) ? WEXITSTATUS(status) : -1));
            }
            if (deadline.elapsed() > 60000) {
                qCWarning(zelmOffice) << "l'ufficio non risponde all'avvio dopo"
                                      << deadline.elapsed() << "ms: terminato";
                Kill();
                throw EOfficeError(QStringLiteral("LibreOffice non risponde all'avvio"));
            }
            QThread::msleep(50);
        }
    }

    /// The desktop of a live office, starting or restarting the process as needed.
    Reference<frame::XDesktop2> Desktop() {
        const std::lock_guard g(lock);
        if (!Alive() || !desktop.is())
            Start();
        return desktop;
    }
};

TOfficeSuite::TOfficeSuite() : d(std::make_unique<Impl>()) {}
TOfficeSuite::~TOfficeSuite() = default;

TOfficeSuite& TOfficeSuite::Instance() {
    // Never destroyed before the process ends: the static's destructor kills the office.
    static TOfficeSuite suite;
    return suite;
}

bool TOfficeSuite::Running() const {
    return d->Alive();
}
qint64 TOfficeSuite::ProcessId() const {
    const std::lock_guard g(d->lock);
    return d->Alive() ? d->pid : 0;
}
int TOfficeSuite::StartCount() const {
    const std::lock_guard g(d->lock);
    return d->starts;
}
void TOfficeSuite::AvviaInAnticipo() {
    d->Anticipa();
}
void TOfficeSuite::Shutdown() {
    d->Kill();
}

// --- documents --------------------------------------------------------------------------------
struct TSpreadsheet::Impl {
    Reference<lang::XComponent> document;
    Reference<uno::XComponentContext> context; // the office's, for its services
    Reference<sheet::XSpreadsheet> sheet;
    Reference<util::XNumberFormats> formats;
    // Kept once obtained: every query of an interface is a round trip to the office.
    Reference<sheet::XSheetCellRangeContainer> ranges;
    Reference<beans::XMultiPropertySet> rangesProps;
    Reference<sheet::XCellRangeMovement> movement;
    Sequence<table::CellRangeAddress> lastAddresses;

    Reference<table::XCell> Cell(int col, int row) const {
        return Guard([&] { return sheet->getCellByPosition(col, row); });
    }
    Reference<table::XCellRange> Range(const QString& name) const {
        return Guard([&] { return sheet->getCellRangeByName(ToOU(name)); });
    }
    Reference<beans::XPropertySet> Props(const Reference<uno::XInterface>& x) const {
        return Reference<beans::XPropertySet>(x, UNO_QUERY_THROW);
    }
};

namespace {
std::unique_ptr<TSpreadsheet::Impl> OpenDocument(Reference<frame::XDesktop2> desktop,
                                                 const OUString& url,
                                                 const Sequence<beans::PropertyValue>& props) {
    auto impl = std::make_unique<TSpreadsheet::Impl>();
    Reference<frame::XComponentLoader> loader(desktop, UNO_QUERY_THROW);
    impl->document = loader->loadComponentFromURL(url, "_blank", 0, props);
    if (!impl->document.is())
        throw EOfficeError(QStringLiteral("Documento non aperto: ") + ToQ(url));
    // A file the office opens as something else (a text, a drawing) is closed again, not left
    // open in the office.
    Reference<sheet::XSpreadsheetDocument> doc(impl->document, UNO_QUERY);
    Reference<container::XIndexAccess> sheets(doc.is() ? doc->getSheets() : nullptr, UNO_QUERY);
    if (!doc.is() || !sheets.is() || sheets->getCount() == 0) {
        Reference<util::XCloseable> closeable(impl->document, UNO_QUERY);
        if (closeable.is())
            closeable->close(true);
        else
            impl->document->dispose();
        throw EOfficeError(QStringLiteral("Il documento non è un foglio di calcolo: ") + ToQ(url));
    }
    impl->sheet.set(sheets->getByIndex(0), UNO_QUERY_THROW);
    return impl;
}
} // namespace

template <typename F>
static std::unique_ptr<TSpreadsheet> WithRestart(TOfficeSuite::Impl& d, F&& open) {
    // A died or disposed office is restarted once and the document opened again.
    for (int attempt = 0;; ++attempt) {
        try {
            return std::make_unique<TSpreadsheet>(open(d.Desktop()));
        } catch (const lang::DisposedException& e) {
            if (attempt > 0)
                throw EOfficeError(ToQ(e.Message));
        } catch (const uno::RuntimeException& e) {
            if (attempt > 0 || d.Alive())
                throw EOfficeError(ToQ(e.Message));
        } catch (const uno::Exception& e) {
            Rethrow(e);
        }
        d.Kill();
    }
}

std::unique_ptr<TSpreadsheet> TOfficeSuite::NewSpreadsheet() {
    return WithRestart(*d, [this](Reference<frame::XDesktop2> desktop) {
        const Sequence<beans::PropertyValue> props = One(Prop("Hidden", Any(true)));
        auto impl = OpenDocument(desktop, "private:factory/scalc", props);
        impl->context = d->remote;
        return impl;
    });
}

std::unique_ptr<TSpreadsheet> TOfficeSuite::LoadSpreadsheet(const QString& path,
                                                            const QString& filter) {
    const OUString url = ToOU(FileUrl(path));
    return WithRestart(*d, [&](Reference<frame::XDesktop2> desktop) {
        // Hidden: a headless office must not try to show a loaded document in a frame.
        Sequence<beans::PropertyValue> props = One(Prop("Hidden", Any(true)));
        if (!filter.isEmpty()) {
            props.realloc(2);
            props.getArray()[1] = Prop("FilterName", Any(ToOU(filter)));
        }
        auto impl = OpenDocument(desktop, url, props);
        impl->context = d->remote;
        return impl;
    });
}

TSpreadsheet::TSpreadsheet(std::unique_ptr<Impl> impl) : d(std::move(impl)) {}

TSpreadsheet::~TSpreadsheet() {
    try {
        Close();
    } catch (...) {
        // An office that died took the document with it.
    }
}

int TSpreadsheet::SheetCount() const {
    return Guard([&] {
        Reference<sheet::XSpreadsheetDocument> doc(d->document, UNO_QUERY_THROW);
        Reference<container::XIndexAccess> sheets(doc->getSheets(), UNO_QUERY_THROW);
        return static_cast<int>(sheets->getCount());
    });
}

void TSpreadsheet::SetString(int col, int row, const QString& text) {
    Guard(
        [&] { Reference<text::XText>(d->Cell(col, row), UNO_QUERY_THROW)->setString(ToOU(text)); });
}

QString TSpreadsheet::GetString(int col, int row) const {
    return Guard([&] {
        return ToQ(Reference<text::XText>(d->Cell(col, row), UNO_QUERY_THROW)->getString());
    });
}

void TSpreadsheet::SetValue(int col, int row, double value) {
    Guard([&] { d->Cell(col, row)->setValue(value); });
}

double TSpreadsheet::GetValue(int col, int row) const {
    return Guard([&] { return d->Cell(col, row)->getValue(); });
}

void TSpreadsheet::SetRangeString(const QString& range, const QString& text) {
    Guard([&] {
        Reference<text::XText>(d->Range(range)->getCellByPosition(0, 0), UNO_QUERY_THROW)
            ->setString(ToOU(text));
    });
}

void TSpreadsheet::SetProperty(const QString& range, const QString& name, const QVariant& value) {
    Guard([&] { d->Props(d->Range(range))->setPropertyValue(ToOU(name), ToAny(value)); });
}

QVariant TSpreadsheet::GetProperty(int col, int row, const QString& name) const {
    return Guard(
        [&] { return FromAny(d->Props(d->Cell(col, row))->getPropertyValue(ToOU(name))); });
}

namespace {
/// Names (ascending, as setPropertyValues wants them) and values of a style.
std::pair<Sequence<OUString>, Sequence<Any>> StyleProperties(const TCellStyle& style) {
    std::vector<std::pair<OUString, Any>> props;
    auto add = [&](const char* name, const Any& value) {
        props.emplace_back(OUString::createFromAscii(name), value);
    };
    auto border = [&](const char* name, const std::optional<int>& width) {
        if (!width)
            return;
        table::BorderLine2 line;
        line.LineWidth = static_cast<sal_uInt32>(*width);
        line.OuterLineWidth = static_cast<sal_Int16>(*width);
        add(name, Any(line));
    };
    if (style.horiJustify)
        add("HoriJustify", Any(static_cast<sal_Int32>(*style.horiJustify)));
    if (style.vertJustify)
        add("VertJustify", Any(static_cast<sal_Int32>(*style.vertJustify)));
    if (style.charHeight)
        add("CharHeight", Any(static_cast<float>(*style.charHeight)));
    if (style.charColor)
        add("CharColor", Any(static_cast<sal_Int32>(*style.charColor)));
    if (style.cellBackColor)
        add("CellBackColor", Any(static_cast<sal_Int32>(*style.cellBackColor)));
    if (style.textWrapped)
        add("IsTextWrapped", Any(*style.textWrapped));
    if (style.charFontName)
        add("CharFontName", Any(ToOU(*style.charFontName)));
    if (style.charWeight)
        add("CharWeight", Any(static_cast<float>(*style.charWeight)));
    if (style.charPosture)
        add("CharPosture", Any(static_cast<sal_Int32>(*style.charPosture)));
    if (style.numberFormat)
        add("NumberFormat", Any(static_cast<sal_Int32>(*style.numberFormat)));
    if (style.shrinkToFit)
        add("ShrinkToFit", Any(*style.shrinkToFit));
    border("TopBorder2", style.topBorder);
    border("BottomBorder2", style.bottomBorder);
    border("LeftBorder2", style.leftBorder);
    border("RightBorder2", style.rightBorder);
    std::sort(props.begin(), props.end(),
              [](const auto& a, const auto& b) { return a.first.compareTo(b.first) < 0; });
    Sequence<OUString> names(static_cast<sal_Int32>(props.size()));
    Sequence<Any> values(static_cast<sal_Int32>(props.size()));
    for (size_t i = 0; i < props.size(); ++i) {
        names.getArray()[i] = props[i].first;
        values.getArray()[i] = props[i].second;
    }
    return {names, values};
}
} // namespace

TCellStyle& TCellStyle::Overlay(const TCellStyle& over) {
    auto take = [](auto& to, const auto& from) {
        if (from)
            to = from;
    };
    take(horiJustify, over.horiJustify);
    take(vertJustify, over.vertJustify);
    take(charHeight, over.charHeight);
    take(charColor, over.charColor);
    take(cellBackColor, over.cellBackColor);
    take(textWrapped, over.textWrapped);
    take(charFontName, over.charFontName);
    take(charWeight, over.charWeight);
    take(charPosture, over.charPosture);
    take(numberFormat, over.numberFormat);
    take(shrinkToFit, over.shrinkToFit);
    take(topBorder, over.topBorder);
    take(bottomBorder, over.bottomBorder);
    take(leftBorder, over.leftBorder);
    take(rightBorder, over.rightBorder);
    return *this;
}

QString TCellArea::Name() const {
    return QStringLiteral("%1%2:%3%4")
        .arg(ColumnName(startColumn))
        .arg(startRow + 1)
        .arg(ColumnName(endColumn))
        .arg(endRow + 1);
}

void TSpreadsheet::SetStyle(const QList<TCellArea>& areas, const TCellStyle& style) {
    if (style.IsEmpty() || areas.isEmpty())
        return;
    const auto [names, values] = StyleProperties(style);
    Guard([&] {
        if (!d->ranges.is()) {
            d->ranges.set(Reference<lang::XMultiServiceFactory>(d->document, UNO_QUERY_THROW)
                              ->createInstance("com.sun.star.sheet.SheetCellRanges"),
                          UNO_QUERY_THROW);
            d->rangesProps.set(d->ranges, UNO_QUERY_THROW);
        } else {
            d->ranges->removeRangeAddresses(d->lastAddresses);
        }
        Sequence<table::CellRangeAddress> addresses(areas.size());
        for (int i = 0; i < areas.size(); ++i) {
            table::CellRangeAddress& a = addresses.getArray()[i];
            a.Sheet = 0;
            a.StartColumn = areas[i].startColumn;
            a.StartRow = areas[i].startRow;
            a.EndColumn = areas[i].endColumn;
            a.EndRow = areas[i].endRow;
        }
        d->ranges->addRangeAddresses(addresses, false);
        d->lastAddresses = addresses;
        d->rangesProps->setPropertyValues(names, values);
    });
}

void TSpreadsheet::CopyRange(const TCellArea& source, int column, int row) {
    Guard([&] {
        if (!d->movement.is())
            d->movement.set(d->sheet, UNO_QUERY_THROW);
        table::CellAddress to;
        to.Sheet = 0;
        to.Column = column;
        to.Row = row;
        table::CellRangeAddress from;
        from.Sheet = 0;
        from.StartColumn = source.startColumn;
        from.StartRow = source.startRow;
        from.EndColumn = source.endColumn;
        from.EndRow = source.endRow;
        d->movement->copyRange(to, from);
    });
}

void TSpreadsheet::SetRowsHeight(int firstRow, int lastRow, int height) {
    Guard([&] {
        Reference<table::XCellRange> rows =
            d->sheet->getCellRangeByPosition(0, firstRow, 0, lastRow);
        d->Props(Reference<uno::XInterface>(
                     Reference<table::XColumnRowRange>(rows, UNO_QUERY_THROW)->getRows(),
                     UNO_QUERY_THROW))
            ->setPropertyValue("Height", Any(static_cast<sal_Int32>(height)));
    });
}

void TSpreadsheet::SetColumnsWidth(int firstColumn, int lastColumn, int width) {
    Guard([&] {
        Reference<table::XCellRange> cols =
            d->sheet->getCellRangeByPosition(firstColumn, 0, lastColumn, 0);
        d->Props(Reference<uno::XInterface>(
                     Reference<table::XColumnRowRange>(cols, UNO_QUERY_THROW)->getColumns(),
                     UNO_QUERY_THROW))
            ->setPropertyValue("Width", Any(static_cast<sal_Int32>(width)));
    });
}

void TSpreadsheet::Merge(const TCellArea& area) {
    Guard([&] {
        Reference<util::XMergeable>(d->sheet->getCellRangeByPosition(area.startColumn,
                                                                     area.startRow, area.endColumn,
                                                                     area.endRow),
                                    UNO_QUERY_THROW)
            ->merge(true);
    });
}

void TSpreadsheet::SetBorders(const QString& range, int lineWidth, bool allSides) {
    Guard([&] {
        table::BorderLine2 line;
        line.LineWidth = static_cast<sal_uInt32>(lineWidth);
        line.OuterLineWidth = static_cast<sal_Int16>(lineWidth);
        Reference<beans::XPropertySet> props = d->Props(d->Range(range));
        props->setPropertyValue("TopBorder2", Any(line));
        props->setPropertyValue("BottomBorder2", Any(line));
        if (allSides) {
            props->setPropertyValue("LeftBorder2", Any(line));
            props->setPropertyValue("RightBorder2", Any(line));
        }
    });
}

int TSpreadsheet::BorderWidth(int col, int row, const QString& border) const {
    return Guard([&] {
        table::BorderLine2 line;
        d->Props(d->Cell(col, row))->getPropertyValue(ToOU(border)) >>= line;
        return static_cast<int>(line.LineWidth);
    });
}

void TSpreadsheet::Merge(const QString& range) {
    Guard([&] { Reference<util::XMergeable>(d->Range(range), UNO_QUERY_THROW)->merge(true); });
}

bool TSpreadsheet::IsMerged(int col, int row) const {
    return Guard([&] {
        Reference<table::XCellRange> cell(d->Cell(col, row), UNO_QUERY_THROW);
        Reference<sheet::XSheetCellCursor> cursor =
            d->sheet->createCursorByRange(Reference<sheet::XSheetCellRange>(cell, UNO_QUERY_THROW));
        cursor->collapseToMergedArea();
        const table::CellRangeAddress a =
            Reference<sheet::XCellRangeAddressable>(cursor, UNO_QUERY_THROW)->getRangeAddress();
        return a.StartColumn != a.EndColumn || a.StartRow != a.EndRow;
    });
}

TSpreadsheet::TArea TSpreadsheet::MergedArea(int col, int row) const {
    return Guard([&] {
        Reference<table::XCellRange> cell(d->Cell(col, row), UNO_QUERY_THROW);
        Reference<sheet::XSheetCellCursor> cursor =
            d->sheet->createCursorByRange(Reference<sheet::XSheetCellRange>(cell, UNO_QUERY_THROW));
        cursor->collapseToMergedArea();
        const table::CellRangeAddress a =
            Reference<sheet::XCellRangeAddressable>(cursor, UNO_QUERY_THROW)->getRangeAddress();
        return TArea{a.StartColumn, a.EndColumn, a.StartRow, a.EndRow};
    });
}

namespace {
/// The properties of one column (or row) of the sheet.
Reference<beans::XPropertySet> LineProps(const Reference<sheet::XSpreadsheet>& sheet, bool column,
                                         int index) {
    Reference<table::XColumnRowRange> crr(sheet, UNO_QUERY_THROW);
    const Any line = column ? Reference<container::XIndexAccess>(crr->getColumns(), UNO_QUERY_THROW)
                                  ->getByIndex(index)
                            : Reference<container::XIndexAccess>(crr->getRows(), UNO_QUERY_THROW)
                                  ->getByIndex(index);
    return Reference<beans::XPropertySet>(line, UNO_QUERY_THROW);
}
} // namespace

void TSpreadsheet::SetColumnWidth(int col, int width) {
    SetColumnsWidth(col, col, width);
}

int TSpreadsheet::ColumnWidth(int col) const {
    return Guard(
        [&] { return FromAny(LineProps(d->sheet, true, col)->getPropertyValue("Width")).toInt(); });
}

void TSpreadsheet::SetRowHeight(int row, int height) {
    SetRowsHeight(row, row, height);
}

int TSpreadsheet::RowHeight(int row) const {
    return Guard([&] {
        return FromAny(LineProps(d->sheet, false, row)->getPropertyValue("Height")).toInt();
    });
}

int TSpreadsheet::NumberFormatKey(const QString& code, const QString& language,
                                  const QString& country) {
    return Guard([&] {
        if (!d->formats.is())
            d->formats = Reference<util::XNumberFormatsSupplier>(d->document, UNO_QUERY_THROW)
                             ->getNumberFormats();
        lang::Locale locale;
        locale.Language = ToOU(language);
        locale.Country = ToOU(country);
        sal_Int32 key = d->formats->queryKey(ToOU(code), locale, true);
        if (key == -1)
            key = d->formats->addNew(ToOU(code), locale);
        return static_cast<int>(key);
    });
}

QString TSpreadsheet::NumberFormatCode(int key) const {
    return Guard([&] {
        Reference<util::XNumberFormats> formats =
            Reference<util::XNumberFormatsSupplier>(d->document, UNO_QUERY_THROW)
                ->getNumberFormats();
        return FromAny(formats->getByKey(key)->getPropertyValue("FormatString")).toString();
    });
}

void TSpreadsheet::SetDataArray(const QString& range, const QList<QVariantList>& rows) {
    Guard([&] {
        Sequence<Sequence<Any>> data(rows.size());
        auto* out = data.getArray();
        for (int r = 0; r < rows.size(); ++r) {
            Sequence<Any> line(rows[r].size());
            auto* cells = line.getArray();
            for (int c = 0; c < rows[r].size(); ++c)
                cells[c] = ToAny(rows[r][c]);
            out[r] = line;
        }
        Reference<sheet::XCellRangeData>(d->Range(range), UNO_QUERY_THROW)->setDataArray(data);
    });
}

QList<QVariantList> TSpreadsheet::GetDataArray(const QString& range) const {
    return Guard([&] {
        const Sequence<Sequence<Any>> data =
            Reference<sheet::XCellRangeData>(d->Range(range), UNO_QUERY_THROW)->getDataArray();
        QList<QVariantList> rows;
        for (const auto& line : data) {
            QVariantList r;
            for (const Any& a : line)
                r << FromAny(a);
            rows << r;
        }
        return rows;
    });
}

QVariant TSpreadsheet::PageProperty(const QString& name) const {
    return Guard([&] {
        OUString styleName;
        d->Props(d->sheet)->getPropertyValue("PageStyle") >>= styleName;
        Reference<container::XNameAccess> families =
            Reference<style::XStyleFamiliesSupplier>(d->document, UNO_QUERY_THROW)
                ->getStyleFamilies();
        Reference<container::XNameAccess> pages(families->getByName("PageStyles"), UNO_QUERY_THROW);
        Reference<beans::XPropertySet> page(pages->getByName(styleName), UNO_QUERY_THROW);
        return FromAny(page->getPropertyValue(ToOU(name)));
    });
}

namespace {
/// The document stored through one of the office's filters: as its new location (`storeAs`) or
/// as a copy.
void Store(const Reference<lang::XComponent>& document, const char* filter, const OUString& url,
           bool storeAs) {
    Guard([&] {
        const Sequence<beans::PropertyValue> props =
            One(Prop("FilterName", Any(OUString::createFromAscii(filter))));
        Reference<frame::XStorable> storable(document, UNO_QUERY_THROW);
        if (storeAs)
            storable->storeAsURL(url, props);
        else
            storable->storeToURL(url, props);
    });
}
} // namespace

void TSpreadsheet::StoreAsExcel97(const QString& path) {
    Store(d->document, "MS Excel 97", ToOU(TOfficeSuite::FileUrl(path)), true);
}

void TSpreadsheet::StoreToPdf(const QString& path) {
    Store(d->document, "calc_pdf_Export", ToOU(TOfficeSuite::FileUrl(path)), false);
}

void TSpreadsheet::StoreToHtml(const QString& path) {
    Store(d->document, "HTML (StarCalc)", ToOU(TOfficeSuite::FileUrl(path, true)), false);
}

void TSpreadsheet::StoreToCsv(const QString& path) {
    Guard([&] {
        // Comma, double quotes, UTF-8, from line 1; token 9: the texts as the cells show them.
        Sequence<beans::PropertyValue> props(2);
        props.getArray()[0] = Prop("FilterName", Any(OUString("Text - txt - csv (StarCalc)")));
        props.getArray()[1] =
            Prop("FilterOptions", Any(OUString("44,34,76,1,,0,false,true,true,false,false")));
        Reference<frame::XStorable>(d->document, UNO_QUERY_THROW)
            ->storeToURL(ToOU(TOfficeSuite::FileUrl(path, true)), props);
    });
}

void TSpreadsheet::InsertImage(const QString& path, int col, int row, int width, int height) {
    Guard([&] {
        Reference<lang::XMultiServiceFactory> factory(d->document, UNO_QUERY_THROW);
        Reference<drawing::XShape> shape(
            factory->createInstance("com.sun.star.drawing.GraphicObjectShape"), UNO_QUERY_THROW);
        Reference<graphic::XGraphicProvider> provider =
            graphic::GraphicProvider::create(d->context);
        Reference<graphic::XGraphic> picture =
            provider->queryGraphic(One(Prop("URL", Any(ToOU(TOfficeSuite::FileUrl(path, true))))));
        Reference<drawing::XDrawPageSupplier> pages(d->sheet, UNO_QUERY_THROW);
        pages->getDrawPage()->add(shape);
        Reference<beans::XPropertySet>(shape, UNO_QUERY_THROW)
            ->setPropertyValue("Graphic", Any(picture));
        const awt::Point at =
            d->Props(d->Cell(col, row))->getPropertyValue("Position").get<awt::Point>();
        shape->setPosition(at);
        shape->setSize(awt::Size(width, height));
    });
}

void TSpreadsheet::Close() {
    if (!d || !d->document.is())
        return;
    Reference<lang::XComponent> doc = d->document;
    d->document.clear();
    d->sheet.clear();
    d->formats.clear();
    d->ranges.clear();
    d->rangesProps.clear();
    d->movement.clear();
    Guard([&] { Reference<util::XCloseable>(doc, UNO_QUERY_THROW)->close(true); });
}
