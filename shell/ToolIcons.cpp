#include "shell/ToolIcons.h"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

namespace tabulo {
namespace {

// All pictures are drawn on a 32 x 32 grid and scaled.
constexpr int kGrid = 32;

const QColor kOutline(0x33, 0x3d, 0x4d);

void Floppy(QPainter& p) {  // データ読み込み: a data disk with an arrow into it
    p.setPen(QPen(kOutline, 1.2));
    p.setBrush(QColor(0x2f, 0x6f, 0xb8));
    QPainterPath disk;
    disk.moveTo(4, 4);
    disk.lineTo(24, 4);
    disk.lineTo(28, 8);
    disk.lineTo(28, 28);
    disk.lineTo(4, 28);
    disk.closeSubpath();
    p.drawPath(disk);
    p.setBrush(QColor(0xd8, 0xdd, 0xe4));
    p.drawRect(QRectF(9, 4, 13, 8));
    p.setBrush(QColor(0x2f, 0x6f, 0xb8));
    p.drawRect(QRectF(17, 5.5, 3, 5));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(8, 16, 16, 12));
    p.setPen(QPen(QColor(0xd0, 0x40, 0x30), 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(QPointF(16, 17.5), QPointF(16, 25));
    p.drawLine(QPointF(12.5, 21.5), QPointF(16, 25));
    p.drawLine(QPointF(19.5, 21.5), QPointF(16, 25));
}

void Notebook(QPainter& p) {  // データ入力: a cash book and a pencil
    p.setPen(QPen(kOutline, 1.2));
    p.setBrush(QColor(0xfb, 0xf6, 0xe4));
    p.drawRect(QRectF(5, 3, 18, 26));
    p.setPen(QPen(QColor(0x7a, 0x9c, 0xc6), 1));
    for (int y = 9; y <= 25; y += 4) p.drawLine(QPointF(8, y), QPointF(20, y));
    p.setPen(QPen(QColor(0xd0, 0x40, 0x30), 1));
    p.drawLine(QPointF(10, 4), QPointF(10, 28));
    p.save();
    p.translate(22, 19);
    p.rotate(40);
    p.setPen(QPen(kOutline, 1));
    p.setBrush(QColor(0xf2, 0xb7, 0x33));
    p.drawRect(QRectF(-2.5, -12, 5, 16));
    p.setBrush(QColor(0xf0, 0xd0, 0xa8));
    QPainterPath tip;
    tip.moveTo(-2.5, 4);
    tip.lineTo(2.5, 4);
    tip.lineTo(0, 9);
    tip.closeSubpath();
    p.drawPath(tip);
    p.setBrush(QColor(0xe0, 0x80, 0x90));
    p.drawRect(QRectF(-2.5, -14, 5, 2));
    p.restore();
}

void ItemList(QPainter& p) {  // 項目別表示: a list with a magnifier
    p.setPen(QPen(kOutline, 1.2));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(3, 4, 20, 24));
    p.setBrush(QColor(0x3c, 0x9a, 0x5c));
    p.setPen(Qt::NoPen);
    for (int i = 0; i < 5; ++i) p.drawRect(QRectF(6, 8 + i * 4, 3, 2));
    p.setBrush(QColor(0x9a, 0xa4, 0xb0));
    for (int i = 0; i < 5; ++i) p.drawRect(QRectF(11, 8 + i * 4, 9, 2));
    p.setPen(QPen(kOutline, 2.4, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(QColor(0xcf, 0xe6, 0xf8, 200));
    p.drawEllipse(QPointF(22, 20), 5.5, 5.5);
    p.drawLine(QPointF(26, 24), QPointF(29.5, 27.5));
}

void Master(QPainter& p) {  // マスター登録: index cards of the items
    p.setPen(QPen(kOutline, 1.2));
    p.setBrush(QColor(0xf5, 0xd3, 0x8a));
    p.drawRect(QRectF(8, 3, 20, 16));
    p.setBrush(QColor(0xfd, 0xe9, 0xb8));
    p.drawRect(QRectF(5, 8, 20, 16));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(2, 13, 20, 16));
    p.setPen(QPen(QColor(0x7a, 0x9c, 0xc6), 1.2));
    p.drawLine(QPointF(5, 19), QPointF(19, 19));
    p.drawLine(QPointF(5, 23), QPointF(19, 23));
    p.setPen(QPen(QColor(0xd0, 0x40, 0x30), 1.6));
    p.drawLine(QPointF(5, 16), QPointF(12, 16));
}

void Bankbook(QPainter& p) {  // 預金データ入力: a bankbook and a coin
    p.setPen(QPen(kOutline, 1.2));
    p.setBrush(QColor(0x2e, 0x8b, 0x7a));
    p.drawRoundedRect(QRectF(3, 5, 20, 24), 2, 2);
    p.setBrush(QColor(0xe8, 0xf3, 0xf0));
    p.drawRect(QRectF(6, 9, 14, 5));
    p.setBrush(QColor(0xf2, 0xc2, 0x3a));
    p.drawEllipse(QPointF(23, 22), 7, 7);
    QFont f(QStringLiteral("IPAGothic"));
    f.setPixelSize(10);
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(0x7a, 0x55, 0x05));
    p.drawText(QRectF(16, 15, 14, 14), Qt::AlignCenter, QStringLiteral("¥"));
}

void Gear(QPainter& p) {  // 環境設定: a gear
    QPainterPath gear;
    const QPointF c(16, 16);
    const int teeth = 8;
    for (int i = 0; i < teeth * 2; ++i) {
        const double a0 = (i - 0.5) * M_PI / teeth, a1 = (i + 0.5) * M_PI / teeth;
        const double r = (i % 2 == 0) ? 13.5 : 10.5;
        QPointF p0 = c + QPointF(r * qCos(a0), r * qSin(a0));
        QPointF p1 = c + QPointF(r * qCos(a1), r * qSin(a1));
        if (i == 0) gear.moveTo(p0); else gear.lineTo(p0);
        gear.lineTo(p1);
    }
    gear.closeSubpath();
    gear.addEllipse(c, 4.5, 4.5);
    gear.setFillRule(Qt::OddEvenFill);
    p.setPen(QPen(kOutline, 1.2));
    QLinearGradient g(0, 0, 32, 32);
    g.setColorAt(0, QColor(0xc8, 0xd0, 0xda));
    g.setColorAt(1, QColor(0x78, 0x86, 0x98));
    p.setBrush(g);
    p.drawPath(gear);
}

void PrinterPicture(QPainter& p) {  // プリンター設定: a printer
    p.setPen(QPen(kOutline, 1.2));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(9, 3, 14, 9));
    p.setBrush(QColor(0x8c, 0x96, 0xa4));
    p.drawRoundedRect(QRectF(3, 11, 26, 12), 2, 2);
    p.setBrush(QColor(0x5c, 0x66, 0x74));
    p.drawRect(QRectF(7, 19, 18, 3));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(9, 21, 14, 8));
    p.setPen(QPen(QColor(0x7a, 0x9c, 0xc6), 1));
    p.drawLine(QPointF(11, 24), QPointF(21, 24));
    p.drawLine(QPointF(11, 26.5), QPointF(19, 26.5));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x40, 0xc0, 0x60));
    p.drawEllipse(QPointF(25, 15), 1.5, 1.5);
}

void Exit(QPainter& p) {  // 終了: a door with an arrow leading out
    p.setPen(QPen(kOutline, 1.2));
    p.setBrush(QColor(0xa8, 0x6a, 0x3a));
    p.drawRect(QRectF(5, 3, 15, 26));
    p.setBrush(QColor(0xe9, 0xe3, 0xd8));
    QPainterPath open;
    open.moveTo(5, 3);
    open.lineTo(13, 6);
    open.lineTo(13, 31);
    open.lineTo(5, 29);
    open.closeSubpath();
    p.drawPath(open);
    p.setPen(QPen(QColor(0xd0, 0x30, 0x30), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(QPointF(16, 16), QPointF(29, 16));
    p.drawLine(QPointF(24.5, 11.5), QPointF(29, 16));
    p.drawLine(QPointF(24.5, 20.5), QPointF(29, 16));
}

void Chart(QPainter& p) {  // 月毎の項目別集計: a bar chart
    p.setPen(QPen(kOutline, 1.2));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(3, 3, 26, 26));
    const QColor colours[] = {QColor(0x2f, 0x6f, 0xb8), QColor(0x3c, 0x9a, 0x5c),
                              QColor(0xf2, 0xb7, 0x33), QColor(0xd0, 0x40, 0x30)};
    const double heights[] = {10, 16, 8, 20};
    for (int i = 0; i < 4; ++i) {
        p.setBrush(colours[i]);
        p.drawRect(QRectF(6 + i * 5.5, 26 - heights[i], 4, heights[i]));
    }
}

void Magnifier(QPainter& p) {  // 検索: a page of the books under a magnifier
    p.setPen(QPen(kOutline, 1.2));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4, 3, 18, 24));
    p.setPen(QPen(QColor(0x9a, 0xa4, 0xb0), 1.6));
    for (int i = 0; i < 5; ++i) p.drawLine(QPointF(7, 8 + i * 4), QPointF(19, 8 + i * 4));
    p.setPen(QPen(kOutline, 2.6, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(QColor(0xff, 0xe8, 0x8a, 200));
    p.drawEllipse(QPointF(18, 15), 7, 7);
    p.drawLine(QPointF(23, 20), QPointF(29, 27));
}

void Clock(QPainter& p) {  // 履歴: a page of the books with a clock turning back
    p.setPen(QPen(kOutline, 1.2));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(3, 3, 18, 24));
    p.setPen(QPen(QColor(0x9a, 0xa4, 0xb0), 1.6));
    for (int i = 0; i < 4; ++i) p.drawLine(QPointF(6, 8 + i * 4), QPointF(18, 8 + i * 4));
    p.setPen(QPen(kOutline, 1.6));
    p.setBrush(QColor(0xd8, 0xea, 0xff));
    p.drawEllipse(QPointF(20, 20), 8, 8);
    p.setPen(QPen(kOutline, 1.8, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(20, 20), QPointF(20, 15));
    p.drawLine(QPointF(20, 20), QPointF(23.5, 22));
    p.setPen(QPen(QColor(0xd0, 0x40, 0x30), 1.8, Qt::SolidLine, Qt::RoundCap));
    p.drawArc(QRectF(10, 10, 20, 20), 100 * 16, 70 * 16);
    p.drawLine(QPointF(12.2, 15.5), QPointF(10.5, 18.5));
    p.drawLine(QPointF(12.2, 15.5), QPointF(15.2, 16.6));
}

QPixmap Draw(int index, int size) {
    QPixmap pm(size, size);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.scale(static_cast<double>(size) / kGrid, static_cast<double>(size) / kGrid);
    switch (index) {
    case 0: Floppy(p); break;
    case 1: Notebook(p); break;
    case 2: ItemList(p); break;
    case 3: Master(p); break;
    case 4: Bankbook(p); break;
    case 5: Gear(p); break;
    case 6: PrinterPicture(p); break;
    case 7: Exit(p); break;
    case 9: Magnifier(p); break;
    case 10: Clock(p); break;
    default: Chart(p); break;
    }
    return pm;
}

}  // namespace

QIcon ToolIcon(int index) {
    QIcon icon;
    for (int size : {16, 24, 32, 48}) icon.addPixmap(Draw(index, size));
    return icon;
}

QPixmap ProgramIcon(int size) { return Draw(1, size); }

QIcon SearchToolIcon() { return ToolIcon(9); }

QIcon HistoryToolIcon() { return ToolIcon(10); }

}  // namespace tabulo
