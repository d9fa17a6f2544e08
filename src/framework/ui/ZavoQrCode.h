// The QR image of a model sheet's code, as the card shows it.
#pragma once

#include <QImage>
#include <QString>

/// The QR symbol of `text` (error correction L, a quiet zone of 4 modules) painted black on
/// white with `moduleSize` pixels per module; a null image for an empty text.
QImage GetQrCodeBitmap(const QString& text, int moduleSize);
