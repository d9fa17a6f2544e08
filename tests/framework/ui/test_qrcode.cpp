// The card's QR image: size, quiet zone, and read back by a decoder.
#include "framework/ui/ZavoQrCode.h"
#include "model/ZelmModelData.h"

#include <ZXing/ReadBarcode.h>

#include <gtest/gtest.h>

namespace {
QString Decode(const QImage& image) {
    const QImage gray = image.convertToFormat(QImage::Format_Grayscale8);
    const ZXing::ImageView view(gray.constBits(), gray.width(), gray.height(),
                                ZXing::ImageFormat::Lum, static_cast<int>(gray.bytesPerLine()));
    ZXing::DecodeHints hints;
    hints.setFormats(ZXing::BarcodeFormat::QRCode);
    const ZXing::Result result = ZXing::ReadBarcode(view, hints);
    return result.isValid() ? QString::fromStdWString(result.text()) : QString();
}
} // namespace

TEST(QrCode, ASheetCodeIsAVersion1SymbolReadBackEqual) {
    const QString code = TZelmModelData::QrText(3, 1); // "M0000003V001", 12 characters
    const QImage image = GetQrCodeBitmap(code, 10);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.size(), QSize(290, 290)); // 21 modules + 2 × 4 of quiet zone
    for (int i = 0; i < 290; ++i)
        for (int d = 0; d < 40; ++d) {
            ASSERT_EQ(image.pixel(d, i), qRgb(255, 255, 255)) << d << "," << i;
            ASSERT_EQ(image.pixel(289 - d, i), qRgb(255, 255, 255));
            ASSERT_EQ(image.pixel(i, d), qRgb(255, 255, 255));
            ASSERT_EQ(image.pixel(i, 289 - d), qRgb(255, 255, 255));
        }
    EXPECT_EQ(image.pixel(40, 40), qRgb(0, 0, 0)); // the finder pattern's corner
    EXPECT_EQ(Decode(image), code);
    image.save("qrcode_scheda.png");
    EXPECT_EQ(Decode(GetQrCodeBitmap(QString::fromUtf8("Però è così"), 4)),
              QString::fromUtf8("Però è così"));
    EXPECT_TRUE(GetQrCodeBitmap("", 10).isNull());
}
