#include "VisoreFoto.h"

#include "framework/core/DataBreve.h"
#include "framework/core/SlotGuard.h"

#include <QCloseEvent>
#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QThreadPool>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <utility>

namespace {
constexpr QSize kMiniatura(180, 120);

/// A picture read from its file; null with the reason in `errore` when it cannot be.
QImage Leggi(const QString& file, QString& errore, const QSize& scaled = QSize()) {
    if (!QFileInfo::exists(file)) {
        errore = QStringLiteral("Immagine non trovata:\n%1").arg(QDir::toNativeSeparators(file));
        return QImage();
    }
    QImageReader reader(file);
    reader.setAutoTransform(true);
    if (scaled.isValid() && reader.size().isValid())
        reader.setScaledSize(reader.size().scaled(scaled, Qt::KeepAspectRatio));
    QImage image = reader.read();
    if (image.isNull())
        errore = QStringLiteral("Immagine non leggibile:\n%1").arg(QDir::toNativeSeparators(file));
    return image;
}

QPixmap Segnaposto() {
    QPixmap p(kMiniatura);
    p.fill(QColor(0xE0, 0xE0, 0xE0));
    return p;
}
} // namespace

// --- the picture ---------------------------------------------------------------------------------

void TVistaFoto::SetImmagine(const QImage& image, const QString& testo) {
    fImage = image;
    fTesto = testo;
    fZoom = 1.0;
    update();
}

void TVistaFoto::SetZoom(double zoom) {
    fZoom = std::clamp(zoom, 0.1, 8.0);
    update();
}

void TVistaFoto::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Dark));
    if (fImage.isNull()) {
        p.setPen(palette().color(QPalette::BrightText));
        p.drawText(rect().adjusted(12, 12, -12, -12), Qt::AlignCenter | Qt::TextWordWrap, fTesto);
        return;
    }
    // Fitted to the widget (never enlarged past its own size), then zoomed, centred.
    const QSizeF fit = QSizeF(fImage.size()).scaled(QSizeF(size()), Qt::KeepAspectRatio);
    const double base = std::min(1.0, fit.width() / fImage.width());
    const QSizeF shown = QSizeF(fImage.size()) * base * fZoom;
    const QRectF target(QPointF((width() - shown.width()) / 2, (height() - shown.height()) / 2),
                        shown);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(target, fImage);
}

void TVistaFoto::wheelEvent(QWheelEvent* event) {
    if (fImage.isNull())
        return;
    SetZoom(fZoom * (event->angleDelta().y() > 0 ? 1.25 : 0.8));
    event->accept();
}

// --- the window ----------------------------------------------------------------------------------

TFormVisoreFoto::TFormVisoreFoto(QWidget* owner, TSession* session, const QString& codiceItem,
                                 const std::vector<std::unique_ptr<TOrvoItemPhotoData>>& foto,
                                 bool scegli)
    : TFormBase(owner, session), fCodiceItem(codiceItem), fScegli(scegli),
      fFine(std::make_shared<std::atomic<bool>>(false)), fLettori(std::make_unique<QThreadPool>()),
      fGrande(std::make_unique<QThreadPool>()) {
    setObjectName(QStringLiteral("FormVisoreFoto"));
    setWindowModality(Qt::ApplicationModal);
    resize(900, 680);
    fLettori->setMaxThreadCount(2);
    fGrande->setMaxThreadCount(1);
    for (const auto& f : foto) {
        TFoto t;
        t.id = f->Id();
        t.nome = f->NomeFile();
        t.file = f->FileName();
        t.miniatura = FileMiniatura(*f);
        QStringList parts{f->NomeFile()};
        if (f->DataOra().isValid())
            parts << TestoDataBreve(f->DataOra().date()) + f->DataOra().toString(" hh:mm");
        if (!f->Titolo().isEmpty())
            parts << f->Titolo();
        t.didascalia = parts.join(QStringLiteral("  —  "));
        fFoto.push_back(t);
    }

    Vista = new TVistaFoto(this);
    Vista->setObjectName(QStringLiteral("Vista"));
    Vista->setMinimumSize(320, 240);
    Didascalia = new QLabel(this);
    Didascalia->setObjectName(QStringLiteral("Didascalia"));
    Didascalia->setAlignment(Qt::AlignCenter);
    Didascalia->setTextInteractionFlags(Qt::TextSelectableByMouse);
    Vuoto = new QLabel(QStringLiteral("Nessuna foto per il modello %1").arg(codiceItem), this);
    Vuoto->setObjectName(QStringLiteral("Vuoto"));
    Vuoto->setAlignment(Qt::AlignCenter);
    Striscia = new QListWidget(this);
    Striscia->setObjectName(QStringLiteral("Striscia"));
    Striscia->setViewMode(QListView::IconMode);
    Striscia->setFlow(QListView::LeftToRight);
    Striscia->setWrapping(false);
    Striscia->setMovement(QListView::Static);
    Striscia->setUniformItemSizes(true);
    Striscia->setIconSize(kMiniatura);
    Striscia->setFixedHeight(kMiniatura.height() + 52);
    Striscia->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Striscia->setToolTip(scegli ? QStringLiteral("Invio o doppio clic: sceglie la foto")
                                : QStringLiteral("Frecce: foto precedente e successiva"));

    auto tool = [this](const QString& text, const QString& tip, auto&& slot) {
        auto* b = new QPushButton(text, this);
        b->setToolTip(tip);
        b->setFocusPolicy(Qt::NoFocus);
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, Guarded(slot));
        return b;
    };
    auto* tools = new QHBoxLayout;
    tools->addWidget(tool(QStringLiteral("Adatta"), QStringLiteral("Adatta alla finestra (0)"),
                          [this] { Vista->Adatta(); }));
    tools->addWidget(tool(QStringLiteral("+"), QStringLiteral("Ingrandisci (+)"),
                          [this] { Vista->SetZoom(Vista->Zoom() * 1.25); }));
    tools->addWidget(tool(QStringLiteral("−"), QStringLiteral("Riduci (−)"),
                          [this] { Vista->SetZoom(Vista->Zoom() * 0.8); }));
    tools->addStretch();
    if (scegli)
        tools->addWidget(tool(QStringLiteral("&Scegli"), QStringLiteral("Sceglie la foto (Invio)"),
                              [this] { Scegli(); }));
    tools->addWidget(
        tool(QStringLiteral("&Chiudi"), QStringLiteral("Chiude (Esc)"), [this] { close(); }));

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(Vista, 1);
    layout->addWidget(Vuoto, 1);
    layout->addWidget(Didascalia);
    layout->addLayout(tools);
    layout->addWidget(Striscia);

    const bool empty = fFoto.empty();
    Vuoto->setVisible(empty);
    Vista->setVisible(!empty);
    Didascalia->setVisible(!empty);
    Striscia->setVisible(!empty);
    if (empty)
        return;
    const QIcon placeholder(Segnaposto());
    for (const TFoto& f : fFoto)
        new QListWidgetItem(placeholder, f.nome, Striscia);
    connect(Striscia, &QListWidget::currentRowChanged, this,
            Guarded([this](int row) { Mostra(row); }));
    connect(Striscia, &QListWidget::itemActivated, this, Guarded([this] {
                if (fScegli)
                    Scegli();
            }));
    connect(Striscia, &QListWidget::itemDoubleClicked, this, Guarded([this] {
                if (fScegli)
                    Scegli();
            }));
    CaricaMiniature();
    Striscia->setCurrentRow(0);
    Striscia->setFocus();
}

TFormVisoreFoto::~TFormVisoreFoto() {
    // The readers stop before the window goes; what they already posted is dropped with it.
    fFine->store(true);
    for (QThreadPool* pool : {fLettori.get(), fGrande.get()}) {
        pool->clear();
        pool->waitForDone();
    }
}

int TFormVisoreFoto::PrimaSchermata() const {
    const int per = Striscia->viewport()->width() / (kMiniatura.width() + 16) + 1;
    return std::min(static_cast<int>(fFoto.size()), std::max(1, per));
}

QString TFormVisoreFoto::GetTitolo() const {
    return fScegli ? QStringLiteral("Scegli una foto - %1").arg(fCodiceItem)
                   : QStringLiteral("Foto - %1").arg(fCodiceItem);
}

QString TFormVisoreFoto::FileMiniatura(const TOrvoItemPhotoData& foto) {
    return QDir(foto.PercorsoFoto())
        .filePath(QStringLiteral("miniature/") + foto.NomeFile() + QStringLiteral(".tbn"));
}

int TFormVisoreFoto::Corrente() const {
    return Striscia->currentRow();
}

void TFormVisoreFoto::CaricaMiniature() {
    // In order, off the window's thread: the first screen arrives first, the window is painted
    // meanwhile. A thumbnail the store lacks is made from the picture.
    for (int i = 0; i < static_cast<int>(fFoto.size()); ++i) {
        const QString miniatura = fFoto[static_cast<size_t>(i)].miniatura;
        const QString file = fFoto[static_cast<size_t>(i)].file;
        std::shared_ptr<std::atomic<bool>> fine = fFine;
        fLettori->start([this, i, miniatura, file, fine] {
            if (fine->load())
                return;
            QString errore;
            QImage image = Leggi(miniatura, errore);
            if (image.isNull())
                image = Leggi(file, errore, kMiniatura);
            if (fine->load())
                return;
            QMetaObject::invokeMethod(
                this,
                [this, i, image] {
                    if (QListWidgetItem* item = Striscia->item(i); item && !image.isNull()) {
                        // The chosen thumbnail keeps its colours: the selection shows around
                        // it, not tinted over it.
                        const QPixmap pixmap = QPixmap::fromImage(image);
                        QIcon icon(pixmap);
                        icon.addPixmap(pixmap, QIcon::Selected);
                        item->setIcon(icon);
                    }
                    ++fMiniatureLette;
                    emit MiniaturaLetta(i);
                    // The large picture waits for the first screen of thumbnails.
                    if (fInAttesa >= 0 && fMiniatureLette >= PrimaSchermata())
                        CaricaGrande(std::exchange(fInAttesa, -1));
                },
                Qt::QueuedConnection);
        });
    }
}

void TFormVisoreFoto::Mostra(int index) {
    if (index < 0 || index >= static_cast<int>(fFoto.size())) {
        Vista->SetImmagine(QImage());
        Didascalia->clear();
        return;
    }
    const TFoto& f = fFoto[static_cast<size_t>(index)];
    Didascalia->setText(f.didascalia);
    Vista->SetImmagine(QImage(), QStringLiteral("Caricamento…"));
    if (fMiniatureLette < PrimaSchermata())
        fInAttesa = index;
    else
        CaricaGrande(index);
}

void TFormVisoreFoto::CaricaGrande(int index) {
    // The large picture is read off the window's thread too; a later choice wins.
    const unsigned generation = ++fGenerazione;
    const QString file = fFoto[static_cast<size_t>(index)].file;
    std::shared_ptr<std::atomic<bool>> fine = fFine;
    fGrande->start([this, generation, file, fine] {
        if (fine->load())
            return;
        QString errore;
        const QImage image = Leggi(file, errore);
        if (fine->load())
            return;
        QMetaObject::invokeMethod(
            this,
            [this, generation, image, errore] {
                if (generation == fGenerazione)
                    Vista->SetImmagine(image, errore);
            },
            Qt::QueuedConnection);
    });
}

void TFormVisoreFoto::Scegli() {
    const int row = Corrente();
    if (!fScegli || row < 0 || fScelta != 0)
        return;
    fScelta = fFoto[static_cast<size_t>(row)].id;
    close();
}

void TFormVisoreFoto::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Escape:
        close();
        return;
    case Qt::Key_Plus:
        Vista->SetZoom(Vista->Zoom() * 1.25);
        return;
    case Qt::Key_Minus:
        Vista->SetZoom(Vista->Zoom() * 0.8);
        return;
    case Qt::Key_0:
    case Qt::Key_Asterisk:
        Vista->Adatta();
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        RunGuarded([this] { Scegli(); });
        return;
    case Qt::Key_Left:
    case Qt::Key_Right:
        if (!fFoto.empty()) {
            const int step = event->key() == Qt::Key_Left ? -1 : 1;
            Striscia->setCurrentRow(
                std::clamp(Corrente() + step, 0, static_cast<int>(fFoto.size()) - 1));
        }
        return;
    default:
        TFormBase::keyPressEvent(event);
    }
}

void TFormVisoreFoto::closeEvent(QCloseEvent* event) {
    TFormBase::closeEvent(event);
    if (event->isAccepted())
        emit Chiuso();
}

// --- on the link ---------------------------------------------------------------------------------

int TVisoreFotoQt::Mostra(const QString& codiceItem,
                          const std::vector<std::unique_ptr<TOrvoItemPhotoData>>& foto,
                          bool scegli) {
    TFormVisoreFoto form(fOwner, fSession, codiceItem, foto, scegli);
    QEventLoop loop;
    QObject::connect(&form, &TFormVisoreFoto::Chiuso, &loop, &QEventLoop::quit);
    form.show();
    loop.exec();
    return form.Scelta();
}
