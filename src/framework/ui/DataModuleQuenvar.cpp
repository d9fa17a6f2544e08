#include "DataModuleQuenvar.h"

#include <QPainter>

// The image list lives in a static library: its resources are registered by hand.
static void InitImageList16() {
    Q_INIT_RESOURCE(ImageList16);
}

namespace {
TDataModuleQuenvar* gModule = nullptr;
constexpr int kConfirm = 16;

// One picture of the list; the theme's tick is a symbolic (grey) image, shown green.
QPixmap Load(int index) {
    QPixmap pm(QStringLiteral(":/zelm/icons16/%1.png").arg(index));
    if (index == kConfirm && !pm.isNull()) {
        QPainter p(&pm);
        p.setCompositionMode(QPainter::CompositionMode_SourceIn);
        p.fillRect(pm.rect(), QColor(0x2e, 0x8b, 0x3d));
    }
    return pm;
}
} // namespace

TDataModuleQuenvar::TDataModuleQuenvar() {
    setObjectName(QStringLiteral("DataModuleQuenvar"));
}

QPixmap TDataModuleQuenvar::Image(int index) {
    if (fImages.empty()) {
        InitImageList16();
        for (int i = 0; i < kImageCount; ++i)
            fImages.push_back(Load(i));
    }
    return index >= 0 && index < kImageCount ? fImages[index] : QPixmap();
}

TDataModuleQuenvar* DataModuleQuenvar() {
    return gModule;
}

void CreateDataModuleQuenvar() {
    if (!gModule)
        gModule = new TDataModuleQuenvar();
}

void DestroyDataModuleQuenvar() {
    delete gModule;
    gModule = nullptr;
}
