// SPDX-License-Identifier: GPL-2.0-or-later
#include "pictures.h"

#include <QFile>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

namespace trackmill::pictures {

namespace {

const QSize kToolbarSize(50, 40);

QColor tone(const QColor& c, bool highlighted)
{
    return highlighted ? c.lighter(135) : c;
}

QPixmap blank(const QSize& size)
{
    QPixmap pix(size);
    pix.fill(Qt::transparent);
    return pix;
}

void drawRefresh(QPainter& p, bool hi)
{
    const QColor c = tone(QColor(30, 120, 200), hi);
    const QRectF box(12, 7, 26, 26);
    p.setPen(QPen(c, 4.5, Qt::SolidLine, Qt::FlatCap));
    p.drawArc(box, 60 * 16, 280 * 16);
    // Arrow head at the open end of the arc (60 degrees).
    const QPointF tip(box.center().x() + 13 * qCos(qDegreesToRadians(60.0)),
                      box.center().y() - 13 * qSin(qDegreesToRadians(60.0)));
    QPainterPath head;
    head.moveTo(tip + QPointF(-7, -6));
    head.lineTo(tip + QPointF(6, -1));
    head.lineTo(tip + QPointF(-3, 8));
    head.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    p.drawPath(head);
}

void drawDisc(QPainter& p, const QPointF& centre, qreal r, bool hi)
{
    QRadialGradient g(centre, r);
    g.setColorAt(0.0, tone(QColor(235, 235, 245), hi));
    g.setColorAt(0.6, tone(QColor(180, 200, 230), hi));
    g.setColorAt(1.0, tone(QColor(150, 160, 200), hi));
    p.setPen(QPen(QColor(90, 100, 130), 1));
    p.setBrush(g);
    p.drawEllipse(centre, r, r);
    p.setBrush(Qt::white);
    p.drawEllipse(centre, r / 4, r / 4);
}

void drawWav(QPainter& p, bool hi)
{
    drawDisc(p, QPointF(17, 20), 13, hi);
    QPainterPath wave;
    wave.moveTo(22, 20);
    for (int x = 0; x <= 22; ++x)
        wave.lineTo(22 + x, 20 - 9 * qSin(x / 22.0 * 2 * M_PI * 1.5) * (1 - x / 40.0));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(tone(QColor(0, 140, 70), hi), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawPath(wave);
}

void drawMp3(QPainter& p, bool hi)
{
    drawDisc(p, QPointF(17, 20), 13, hi);
    const QColor c = tone(QColor(180, 40, 40), hi);
    p.setPen(QPen(c, 2.5));
    p.drawLine(QPointF(33, 29), QPointF(33, 8));
    p.drawLine(QPointF(44, 26), QPointF(44, 5));
    p.setPen(Qt::NoPen);
    p.setBrush(c);
    QPolygonF beam{QPointF(32, 8), QPointF(45, 5), QPointF(45, 10), QPointF(32, 13)};
    p.drawPolygon(beam);
    p.drawEllipse(QPointF(30, 30), 4.5, 3.5);
    p.drawEllipse(QPointF(41, 27), 4.5, 3.5);
}

// The disc and a staircase of bars narrowing to the right: the same sound
// in less room.
void drawFlac(QPainter& p, bool hi)
{
    drawDisc(p, QPointF(17, 20), 13, hi);
    const QColor c = tone(QColor(40, 90, 170), hi);
    p.setPen(QPen(c.darker(140), 1));
    p.setBrush(c);
    const qreal heights[] = {24, 19, 14, 9};
    for (int i = 0; i < 4; ++i)
        p.drawRect(QRectF(29 + i * 4.5, 32 - heights[i], 3.5, heights[i]));
}

void drawFreeDb(QPainter& p, bool hi)
{
    const QPointF c(25, 20);
    const qreal r = 16;
    QRadialGradient g(c - QPointF(5, 5), r * 1.4);
    g.setColorAt(0, tone(QColor(140, 200, 255), hi));
    g.setColorAt(1, tone(QColor(20, 90, 180), hi));
    p.setPen(QPen(tone(QColor(10, 60, 130), hi), 1.5));
    p.setBrush(g);
    p.drawEllipse(c, r, r);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255, 200), 1.2));
    p.drawEllipse(c, r * 0.45, r);
    p.drawLine(QPointF(c.x(), c.y() - r), QPointF(c.x(), c.y() + r));
    p.drawLine(QPointF(c.x() - r, c.y()), QPointF(c.x() + r, c.y()));
    p.drawLine(QPointF(c.x() - r * 0.85, c.y() - 8), QPointF(c.x() + r * 0.85, c.y() - 8));
    p.drawLine(QPointF(c.x() - r * 0.85, c.y() + 8), QPointF(c.x() + r * 0.85, c.y() + 8));
}

void drawSettings(QPainter& p, bool hi)
{
    const QPointF c(25, 20);
    QPainterPath gear;
    const int teeth = 8;
    for (int i = 0; i < teeth * 2; ++i) {
        const qreal a = i * M_PI / teeth;
        const qreal r1 = (i % 2 == 0) ? 16 : 12;
        const qreal a0 = a - M_PI / teeth / 2, a1 = a + M_PI / teeth / 2;
        const QPointF p0 = c + QPointF(r1 * qCos(a0), r1 * qSin(a0));
        const QPointF p1 = c + QPointF(r1 * qCos(a1), r1 * qSin(a1));
        if (i == 0)
            gear.moveTo(p0);
        else
            gear.lineTo(p0);
        gear.lineTo(p1);
    }
    gear.closeSubpath();
    QPainterPath hole;
    hole.addEllipse(c, 5.5, 5.5);
    QLinearGradient g(0, 4, 0, 36);
    g.setColorAt(0, tone(QColor(170, 175, 185), hi));
    g.setColorAt(1, tone(QColor(95, 100, 115), hi));
    p.setPen(QPen(QColor(60, 60, 70), 1));
    p.setBrush(g);
    p.drawPath(gear.subtracted(hole));
}

void drawId3(QPainter& p, bool hi)
{
    QPainterPath tag;
    tag.moveTo(6, 20);
    tag.lineTo(16, 8);
    tag.lineTo(44, 8);
    tag.lineTo(44, 32);
    tag.lineTo(16, 32);
    tag.closeSubpath();
    QLinearGradient g(0, 8, 0, 32);
    g.setColorAt(0, tone(QColor(255, 220, 120), hi));
    g.setColorAt(1, tone(QColor(230, 160, 40), hi));
    p.setPen(QPen(QColor(150, 95, 20), 1.5));
    p.setBrush(g);
    p.drawPath(tag);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(15, 20), 2.5, 2.5);
    QFont f = p.font();
    f.setPixelSize(12);
    f.setBold(true);
    p.setFont(f);
    p.setPen(QColor(110, 60, 0));
    p.drawText(QRectF(19, 8, 25, 24), Qt::AlignCenter, QStringLiteral("ID3"));
}

void drawAbout(QPainter& p, bool hi)
{
    const QPointF c(25, 20);
    QRadialGradient g(c - QPointF(4, 4), 20);
    g.setColorAt(0, tone(QColor(120, 170, 255), hi));
    g.setColorAt(1, tone(QColor(30, 70, 170), hi));
    p.setPen(QPen(QColor(20, 40, 110), 1.5));
    p.setBrush(g);
    p.drawEllipse(c, 16, 16);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(25, 12), 2.6, 2.6);
    p.drawRoundedRect(QRectF(22.5, 17, 5, 13), 1.5, 1.5);
}

QPixmap checkBox(bool ticked)
{
    QPixmap pix = blank(QSize(15, 15));
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(ticked ? QColor(0, 110, 40) : QColor(150, 150, 150), 1));
    p.setBrush(ticked ? QColor(220, 250, 225) : QColor(250, 250, 250));
    p.drawRoundedRect(QRectF(0.5, 0.5, 14, 14), 2, 2);
    if (ticked) {
        p.setPen(QPen(QColor(0, 150, 50), 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawPolyline(QPolygonF{QPointF(3.5, 7.5), QPointF(6.5, 11), QPointF(12, 3.5)});
    }
    return pix;
}

}

QPixmap toolbarPicture(Command command, bool highlighted)
{
    QPixmap pix = blank(kToolbarSize);
    QPainter p(&pix);
    p.setRenderHint(QPainter::Antialiasing);
    switch (command) {
    case Command::Refresh: drawRefresh(p, highlighted); break;
    case Command::Wav: drawWav(p, highlighted); break;
    case Command::Mp3: drawMp3(p, highlighted); break;
    case Command::Flac: drawFlac(p, highlighted); break;
    case Command::FreeDb: drawFreeDb(p, highlighted); break;
    case Command::Settings: drawSettings(p, highlighted); break;
    case Command::Id3: drawId3(p, highlighted); break;
    case Command::About: drawAbout(p, highlighted); break;
    }
    return pix;
}

QIcon toolbarIcon(Command command)
{
    QIcon icon;
    icon.addPixmap(toolbarPicture(command, false), QIcon::Normal);
    icon.addPixmap(toolbarPicture(command, true), QIcon::Active);
    return icon;
}

QPixmap selectedRow() { return checkBox(true); }
QPixmap unselectedRow() { return checkBox(false); }

QPixmap selectAll()
{
    QPixmap pix = blank(QSize(16, 16));
    QPainter p(&pix);
    p.drawPixmap(0, 0, checkBox(true).scaled(11, 11, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    p.drawPixmap(5, 5, checkBox(true).scaled(11, 11, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    return pix;
}

QPixmap selectNone()
{
    QPixmap pix = blank(QSize(16, 16));
    QPainter p(&pix);
    p.drawPixmap(0, 0, checkBox(false).scaled(11, 11, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    p.drawPixmap(5, 5, checkBox(false).scaled(11, 11, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    return pix;
}

QString flagsDir()
{
    return QStringLiteral("/usr/share/flags/countries/16x11");
}

QPixmap flag(const QString& stem)
{
    const QString path = flagsDir() + QLatin1Char('/') + stem + QStringLiteral(".png");
    return QFile::exists(path) ? QPixmap(path) : QPixmap();
}

}
