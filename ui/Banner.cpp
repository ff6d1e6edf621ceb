#include "ui/Banner.h"

#include <QFontMetrics>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace quorrel {

Banner::Banner(QWidget* parent) : QLabel(parent) {
    setPixmap(Picture());
    setScaledContents(true);
    setCursor(Qt::PointingHandCursor);
    setToolTip(QStringLiteral("打开使用帮助"));
}

QPixmap Banner::Picture() {
    QPixmap picture(kPictureWidth, kPictureHeight);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);

    // Deep blue to teal background with a few soft diagonal bands.
    QLinearGradient background(0, 0, kPictureWidth, kPictureHeight);
    background.setColorAt(0.0, QColor(0x12, 0x2b, 0x5c));
    background.setColorAt(0.6, QColor(0x1d, 0x5f, 0x8a));
    background.setColorAt(1.0, QColor(0x22, 0x8b, 0x8d));
    painter.fillRect(picture.rect(), background);
    painter.setPen(Qt::NoPen);
    for (int i = 0; i < 5; ++i) {
        QPainterPath band;
        int x = 380 + i * 70;
        band.moveTo(x, 0);
        band.lineTo(x + 40, 0);
        band.lineTo(x - 10, kPictureHeight);
        band.lineTo(x - 50, kPictureHeight);
        band.closeSubpath();
        painter.fillPath(band, QColor(255, 255, 255, 14 + i * 4));
    }

    // The mark: a ring with a tail, drawn over a small disc.
    painter.setBrush(QColor(0xf2, 0xa5, 0x1a));
    painter.drawEllipse(QPointF(45, 45), 30, 30);
    QPen ring(QColor(0x12, 0x2b, 0x5c), 7, Qt::SolidLine, Qt::RoundCap);
    painter.setPen(ring);
    painter.setBrush(Qt::NoBrush);
    painter.drawEllipse(QPointF(43, 43), 14, 14);
    painter.drawLine(QPointF(52, 52), QPointF(62, 62));

    QFont title = painter.font();
    title.setPixelSize(30);
    title.setBold(true);
    painter.setFont(title);
    painter.setPen(Qt::white);
    painter.drawText(QRect(92, 8, 620, 44), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("QuorrelPHP 代码生成器 2.0"));

    // The subtitle shrinks until it fits whatever font the desktop supplies.
    const QString tagline = QStringLiteral("建模项目、类与成员，生成 MySQL 建表语句和 PHP+Smarty 管理后台 · 点击查看帮助");
    const QRect taglineBox(94, 52, 620, 28);
    QFont subtitle = painter.font();
    subtitle.setBold(false);
    for (int size = 15; size >= 10; --size) {
        subtitle.setPixelSize(size);
        if (QFontMetrics(subtitle).horizontalAdvance(tagline) <= taglineBox.width())
            break;
    }
    painter.setFont(subtitle);
    painter.setPen(QColor(0xd8, 0xec, 0xf5));
    painter.drawText(taglineBox, Qt::AlignLeft | Qt::AlignVCenter, tagline);
    painter.end();
    return picture;
}

void Banner::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    QLabel::mouseReleaseEvent(event);
}

} // namespace quorrel
