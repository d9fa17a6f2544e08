// Our own photo viewer, for workstations without the companion program: the model's pictures
// from the photo store, a strip of thumbnails read in the background, the chosen picture large
// with zoom, and a pick mode that returns the picture chosen.
#pragma once

#include "control/LumetraViewer.h"
#include "framework/ui/FormBase.h"

#include <QImage>
#include <QWidget>

#include <atomic>
#include <memory>
#include <vector>

class QLabel;
class QListWidget;
class QThreadPool;

/// The picture fitted to the widget, times a zoom; a text in its place when there is none.
class TVistaFoto : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
    void SetImmagine(const QImage& image, const QString& testo = QString());
    const QImage& Immagine() const { return fImage; }
    const QString& Testo() const { return fTesto; }
    double Zoom() const { return fZoom; }
    void SetZoom(double zoom);
    void Adatta() { SetZoom(1.0); }

protected:
    void paintEvent(QPaintEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    QImage fImage;
    QString fTesto;
    double fZoom = 1.0;
};

class TFormVisoreFoto : public TFormBase {
    Q_OBJECT
public:
    /// The pictures of `codiceItem` (borrowed, in order); `scegli`: pick mode.
    TFormVisoreFoto(QWidget* owner, TSession* session, const QString& codiceItem,
                    const std::vector<std::unique_ptr<TOrvoItemPhotoData>>& foto, bool scegli);
    ~TFormVisoreFoto() override;

    int GetCodiceSituazione() const override { return 9; }
    QString GetTitolo() const override;

    QListWidget* Striscia;
    TVistaFoto* Vista;
    QLabel* Didascalia;
    QLabel* Vuoto;

    /// The picture shown (index into the list), -1 when none.
    int Corrente() const;
    /// The id chosen in pick mode, 0 when none.
    int Scelta() const { return fScelta; }
    /// Thumbnails read so far.
    int MiniatureLette() const { return fMiniatureLette; }
    /// How many thumbnails the strip shows at once (at most the pictures' number).
    int PrimaSchermata() const;

    /// Where a picture's thumbnail is kept by the photo store.
    static QString FileMiniatura(const TOrvoItemPhotoData& foto);

signals:
    void Chiuso();
    void MiniaturaLetta(int index);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Mostra(int index);
    void CaricaGrande(int index);
    void Scegli();
    void CaricaMiniature();

    struct TFoto {
        int id = 0;
        QString nome, file, miniatura, didascalia;
    };
    QString fCodiceItem;
    std::vector<TFoto> fFoto;
    bool fScegli;
    int fScelta = 0;
    int fMiniatureLette = 0;
    unsigned fGenerazione = 0;
    int fInAttesa = -1; ///< the picture to read once the first thumbnails are in
    std::shared_ptr<std::atomic<bool>> fFine;
    std::unique_ptr<QThreadPool> fLettori, fGrande;
};

/// The window on the link's interface: shown modal, returns when closed.
class TVisoreFotoQt : public IVisoreFoto {
public:
    TVisoreFotoQt(QWidget* owner, TSession* session) : fOwner(owner), fSession(session) {}
    int Mostra(const QString& codiceItem,
               const std::vector<std::unique_ptr<TOrvoItemPhotoData>>& foto, bool scegli) override;

private:
    QWidget* fOwner;
    TSession* fSession;
};
