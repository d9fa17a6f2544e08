#include "ZavoQrCode.h"

#include "framework/core/ZavoError.h"

#include <QPainter>
#include <QRegion>

#define ZX_USE_UTF8 1
#include <ZXing/BitMatrix.h>
#include <ZXing/MultiFormatWriter.h>

#include <exception>

namespace {
/// The modules into any rectangle: made square by shrinking its longer side symmetrically, then
/// to exact multiples of the module count; dark runs of a row are one rectangle, and all of
/// them one region filled once.
void PaintModules(QPainter& painter, QRect target, const ZXing::BitMatrix& modules) {
    const int count = modules.width();
    if (count <= 0)
        return;
    const int side = std::min(target.width(), target.height());
    target = QRect(target.left() + (target.width() - side) / 2,
                   target.top() + (target.height() - side) / 2, side, side);
    const int size = side / count;
    const int used = size * count;
    target = QRect(target.left() + (side - used) / 2, target.top() + (side - used) / 2, used, used);
    QRegion dark;
    for (int y = 0; y < modules.height(); ++y)
        for (int x = 0; x < count;) {
            if (!modules.get(x, y)) {
                ++x;
                continue;
            }
            int end = x;
            while (end < count && modules.get(end, y))
                ++end;
            dark +=
                QRect(target.left() + x * size, target.top() + y * size, (end - x) * size, size);
            x = end;
        }
    painter.setClipRegion(dark);
    painter.fillRect(target, Qt::black);
    painter.setClipping(false);
}
} // namespace

QImage GetQrCodeBitmap(const QString& text, int moduleSize) {
    if (text.isEmpty() || moduleSize <= 0)
        return QImage();
    ZXing::BitMatrix modules;
    try {
        // Level L (1 on the library's 0–8 scale), the mode chosen from the text, four modules of
        // quiet zone; one pixel per module.
        modules = ZXing::MultiFormatWriter(ZXing::BarcodeFormat::QRCode)
                      .setEccLevel(1)
                      .setMargin(4)
                      .encode(text.toStdWString(), 0, 0);
    } catch (const std::exception& e) {
        throw EZavoError(
            QStringLiteral("QRCode non generabile: %1").arg(QString::fromUtf8(e.what())));
    }
    const int n = modules.width();
    QImage image(n * moduleSize, n * moduleSize, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    PaintModules(painter, image.rect(), modules);
    return image;
}
