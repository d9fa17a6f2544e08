// viewer: our photo viewer opened on a model with 200 pictures (2 MP JPEG each, thumbnails
// present) until the window and its first screen of thumbnails are painted, against reading the
// 200 thumbnail files and decoding them with QImageReader directly (what a viewer that reads
// before it shows would wait for). viewer-first-screen: the same window against decoding only the
// thumbnails of its first screen. viewer-memory: resident memory added once every thumbnail is in
// and the first picture shown.
#include "BenchSupport.h"

#include "view/foto/VisoreFoto.h"

#include <QApplication>
#include <QImageReader>
#include <QListWidget>
#include <QPainter>

int main(int argc, char** argv) {
    OffscreenByDefault();
    QApplication app(argc, argv);
    const QString dir = (argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::tempPath()) +
                        QStringLiteral("/viewer-foto");
    QDir().mkpath(dir + "/miniature");
    const QString item = QStringLiteral("M0000001V000");
    std::vector<std::unique_ptr<TOrvoItemPhotoData>> foto;
    for (int i = 1; i <= 200; ++i) {
        const QString name = QStringLiteral("%1_%2").arg(item).arg(i, 3, 10, QLatin1Char('0'));
        const QString file = dir + "/" + name + ".jpg";
        if (!QFile::exists(file)) {
            QImage image(1732, 1155, QImage::Format_RGB32); // 2 megapixels
            image.fill(QColor::fromHsv((i * 37) % 360, 160, 200));
            QPainter p(&image);
            p.drawText(image.rect(), Qt::AlignCenter, name);
            p.end();
            image.save(file, "JPEG", 85);
            image.scaled(180, 120, Qt::KeepAspectRatio, Qt::SmoothTransformation)
                .save(dir + "/miniature/" + name + ".tbn", "JPEG", 85);
        }
        auto f = std::make_unique<TOrvoItemPhotoData>();
        f->SetId(i);
        f->SetNomeFile(name);
        f->SetPercorsoFoto(dir);
        f->SetEstensioneFile(QStringLiteral("jpg"));
        f->SetCodiceItem(item);
        foto.push_back(std::move(f));
    }
    auto Decode = [&](int count) {
        QElapsedTimer t;
        t.start();
        std::vector<QImage> images;
        for (int i = 0; i < count; ++i) {
            QImageReader reader(TFormVisoreFoto::FileMiniatura(*foto[static_cast<size_t>(i)]));
            images.push_back(reader.read());
        }
        return Seconds(t);
    };
    int firstScreen = 5;
    qint64 added = 0;
    RunBench(
        "viewer", 7,
        [&](int rep) {
            const qint64 before = ResidentKb();
            QElapsedTimer t;
            t.start();
            double s = 0;
            {
                TFormVisoreFoto form(nullptr, nullptr, item, foto, false);
                form.show();
                QCoreApplication::processEvents();
                firstScreen = form.PrimaSchermata();
                while (form.MiniatureLette() < firstScreen)
                    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
                form.Striscia->viewport()->repaint(); // the first screen painted
                s = Seconds(t);
                if (rep == 0) {
                    while (form.MiniatureLette() < 200 || form.Vista->Immagine().isNull())
                        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
                    form.repaint();
                    added = ResidentKb() - before;
                }
            }
            QCoreApplication::processEvents();
            return s;
        },
        [&](int) { return Decode(200); });
    // The first screen alone, with the window's figure measured again beside it.
    std::vector<double> window, screen;
    for (int rep = 0; rep < 7; ++rep) {
        QElapsedTimer t;
        t.start();
        {
            TFormVisoreFoto form(nullptr, nullptr, item, foto, false);
            form.show();
            QCoreApplication::processEvents();
            while (form.MiniatureLette() < firstScreen)
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
            form.Striscia->viewport()->repaint();
            window.push_back(Seconds(t));
        }
        QCoreApplication::processEvents();
        screen.push_back(Decode(firstScreen));
    }
    std::printf("viewer-first-screen: ratio=%.3f ours=%.4f anchor=%.4f unit=s\n",
                Median(window) / Median(screen), Median(window), Median(screen));
    std::printf("viewer-memory: added=%.1f MB pictures=200 first-screen=%d thumbnails\n",
                added / 1024.0, firstScreen);
    return 0;
}
