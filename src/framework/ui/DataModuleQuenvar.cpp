#include "DataModuleQuenvar.h"

#include <QPainter>
#include <QPainterPath>

namespace {
TDataModuleQuenvar* gModule = nullptr;

// Simple glyphs, one per meaning of the list; index 3 is kept but shown nowhere.
void Draw(QPainter& p, int index) {
    const QColor green(0x2e, 0x8b, 0x3d), red(0xc0, 0x39, 0x2b), blue(0x29, 0x6f, 0xc1),
        grey(0x5f, 0x63, 0x68), amber(0xe0, 0x9b, 0x1a);
    auto pen = [&](const QColor& c, qreal w = 2) {
        p.setPen(QPen(c, w, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.setBrush(Qt::NoBrush);
    };
    auto page = [&](const QColor& c) {
        pen(c, 1.2);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(3.5, 1.5, 9, 13));
    };
    switch (index) {
    case 0: // new sub-record: plus
    case 8: // new sheet: page with plus
        if (index == 8)
            page(grey);
        pen(green, 2.2);
        p.drawLine(QPointF(8, 4), QPointF(8, 12));
        p.drawLine(QPointF(4, 8), QPointF(12, 8));
        break;
    case 1: // close the card: arrow back
        pen(blue);
        p.drawLine(QPointF(13, 8), QPointF(4, 8));
        p.drawLine(QPointF(4, 8), QPointF(8, 4));
        p.drawLine(QPointF(4, 8), QPointF(8, 12));
        break;
    case 2: // delete a sheet: bin
    case 6: // delete a sub-record
        pen(index == 2 ? red : grey, 1.5);
        p.drawRect(QRectF(4.5, 5.5, 7, 9));
        p.drawLine(QPointF(3, 4), QPointF(13, 4));
        p.drawLine(QPointF(6.5, 2.5), QPointF(9.5, 2.5));
        break;
    case 4: // export to spreadsheet: grid with arrow
        pen(green, 1.2);
        p.drawRect(QRectF(1.5, 1.5, 10, 10));
        p.drawLine(QPointF(1.5, 5), QPointF(11.5, 5));
        p.drawLine(QPointF(6, 1.5), QPointF(6, 11.5));
        pen(blue, 2);
        p.drawLine(QPointF(9, 13), QPointF(14, 13));
        p.drawLine(QPointF(14, 13), QPointF(14, 8));
        break;
    case 5: // show the card
        page(blue);
        pen(blue, 1);
        for (int y : {5, 8, 11})
            p.drawLine(QPointF(5.5, y), QPointF(10.5, y));
        break;
    case 7: // modify the sheet: pencil
    case 9: // set / modify
        pen(index == 7 ? amber : blue, 2.2);
        p.drawLine(QPointF(3, 13), QPointF(12, 4));
        pen(grey, 1.2);
        p.drawLine(QPointF(2.5, 13.5), QPointF(4.5, 13.5));
        break;
    case 10: // close the window: door
        pen(grey, 1.5);
        p.drawRect(QRectF(4.5, 1.5, 8, 13));
        p.setBrush(grey);
        p.drawEllipse(QPointF(10, 8), 0.8, 0.8);
        break;
    case 12: // search and pick: magnifier
        pen(blue, 2);
        p.drawEllipse(QPointF(6.5, 6.5), 4, 4);
        p.drawLine(QPointF(9.5, 9.5), QPointF(14, 14));
        break;
    case 13: // cancel: red cross
        pen(red, 2.4);
        p.drawLine(QPointF(4, 4), QPointF(12, 12));
        p.drawLine(QPointF(12, 4), QPointF(4, 12));
        break;
    case 14: // save: disk
        pen(blue, 1.2);
        p.setBrush(QColor(0xd6, 0xe6, 0xf7));
        p.drawRect(QRectF(2.5, 2.5, 11, 11));
        p.setBrush(Qt::white);
        p.drawRect(QRectF(5, 2.5, 6, 4));
        break;
    case 15: // release: flag
        pen(grey, 1.5);
        p.drawLine(QPointF(4, 2), QPointF(4, 14));
        p.setPen(Qt::NoPen);
        p.setBrush(green);
        p.drawPolygon(QPolygonF({QPointF(4.5, 2.5), QPointF(13, 5), QPointF(4.5, 8)}));
        break;
    case 16: // confirm: green tick
        pen(green, 2.4);
        p.drawLine(QPointF(3, 8.5), QPointF(6.5, 12));
        p.drawLine(QPointF(6.5, 12), QPointF(13, 4));
        break;
    case 17: // duplicate: two pages
        pen(grey, 1.2);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(1.5, 1.5, 8, 10));
        p.drawRect(QRectF(6.5, 4.5, 8, 10));
        break;
    case 18: // pick a date: calendar
        pen(grey, 1.2);
        p.setBrush(Qt::white);
        p.drawRect(QRectF(1.5, 3.5, 13, 11));
        p.setBrush(red);
        p.drawRect(QRectF(1.5, 3.5, 13, 3));
        break;
    case 19: // suspend: pause
        p.setPen(Qt::NoPen);
        p.setBrush(amber);
        p.drawRect(QRectF(4, 3, 3, 10));
        p.drawRect(QRectF(9, 3, 3, 10));
        break;
    case 20: // choose a file: folder
        pen(amber, 1.2);
        p.setBrush(QColor(0xf6, 0xd3, 0x7a));
        p.drawPolygon(QPolygonF({QPointF(1.5, 4), QPointF(6, 4), QPointF(7.5, 5.5),
                                 QPointF(14.5, 5.5), QPointF(14.5, 13.5), QPointF(1.5, 13.5)}));
        break;
    case 21: // photos: camera
        pen(grey, 1.2);
        p.setBrush(QColor(0xdd, 0xdd, 0xdd));
        p.drawRect(QRectF(1.5, 4.5, 13, 9));
        p.setBrush(blue);
        p.drawEllipse(QPointF(8, 9), 2.8, 2.8);
        break;
    case 11: // refresh a list: circular arrow
        pen(blue, 1.6);
        p.drawArc(QRectF(3, 3, 10, 10), 90 * 16, 270 * 16);
        p.drawLine(QPointF(8, 3), QPointF(11, 1));
        p.drawLine(QPointF(8, 3), QPointF(11, 5.5));
        break;
    default: // 3: a neutral dot
        p.setPen(Qt::NoPen);
        p.setBrush(grey);
        p.drawEllipse(QPointF(8, 8), 3, 3);
        break;
    }
}
} // namespace

TDataModuleQuenvar::TDataModuleQuenvar() {
    setObjectName(QStringLiteral("DataModuleQuenvar"));
}

QPixmap TDataModuleQuenvar::Image(int index) {
    if (fImages.empty()) {
        for (int i = 0; i < kImageCount; ++i) {
            QPixmap pm(16, 16);
            pm.fill(Qt::transparent);
            QPainter p(&pm);
            p.setRenderHint(QPainter::Antialiasing);
            Draw(p, i);
            fImages.push_back(pm);
        }
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
