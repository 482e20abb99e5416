#include "app/Banner.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace {

const char* const LampNames[] = {"Power", "LAN", "WLAN"};

QColor lampColor(bool lit) {
    return lit ? QColor(40, 220, 70) : QColor(10, 10, 10);
}

}  // namespace

TBanner::TBanner(QWidget* parent) : QWidget(parent) {
    setFixedSize(sizeHint());
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TBanner::SetLamp(Lamp lamp, bool lit) {
    if (lit_[lamp] == lit) return;
    lit_[lamp] = lit;
    update();
}

void TBanner::SetAllLamps(bool lit) {
    for (int lamp = Power; lamp <= Wireless; ++lamp) SetLamp(static_cast<Lamp>(lamp), lit);
}

void TBanner::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area = rect();

    QLinearGradient sky(area.topLeft(), area.bottomLeft());
    sky.setColorAt(0, QColor(18, 52, 96));
    sky.setColorAt(1, QColor(8, 22, 44));
    painter.fillRect(area, sky);

    // Radio waves behind the device, fading outwards.
    const QPointF antennaTip(150, 66);
    for (int ring = 1; ring <= 3; ++ring) {
        painter.setPen(QPen(QColor(120, 180, 255, 190 - ring * 45), 3));
        const qreal r = ring * 15;
        painter.drawArc(QRectF(antennaTip.x() - r, antennaTip.y() - r, 2 * r, 2 * r), 30 * 16,
                        120 * 16);
    }

    paintDevice(painter, QRectF(40, 108, 250, 80));

    painter.setPen(Qt::white);
    QFont title = font();
    title.setPointSizeF(26);
    title.setBold(true);
    painter.setFont(title);
    painter.drawText(QRectF(320, 50, 270, 50), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("VRA-2260"));
    QFont subtitle = font();
    subtitle.setPointSizeF(11);
    painter.setFont(subtitle);
    painter.setPen(QColor(190, 215, 245));
    painter.drawText(QRectF(322, 100, 270, 24), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Wireless Access Point"));
    painter.drawText(QRectF(322, 124, 270, 24), Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Device Management Module"));
}

void TBanner::paintDevice(QPainter& painter, const QRectF& body) const {
    // Antenna.
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(60, 64, 72));
    painter.drawRoundedRect(QRectF(144, 66, 12, body.top() - 66 + 6), 5, 5);

    QLinearGradient shell(body.topLeft(), body.bottomLeft());
    shell.setColorAt(0, QColor(236, 239, 244));
    shell.setColorAt(1, QColor(176, 184, 196));
    painter.setBrush(shell);
    painter.setPen(QPen(QColor(90, 98, 110), 1.5));
    painter.drawRoundedRect(body, 14, 14);

    // The lamp strip along the front.
    const QRectF strip(body.left() + 18, body.top() + 22, body.width() - 36, 40);
    painter.setBrush(QColor(58, 62, 70));
    painter.setPen(Qt::NoPen);
    painter.drawRoundedRect(strip, 8, 8);

    QFont label = font();
    label.setPointSizeF(8);
    label.setBold(true);
    painter.setFont(label);
    const qreal step = strip.width() / 3;
    for (int lamp = Power; lamp <= Wireless; ++lamp) {
        const QPointF centre(strip.left() + step * (lamp + 0.5), strip.top() + 14);
        const QColor colour = lampColor(lit_[lamp]);
        QRadialGradient glow(centre - QPointF(2, 2), 9);
        glow.setColorAt(0, lit_[lamp] ? colour.lighter(170) : QColor(70, 70, 70));
        glow.setColorAt(1, colour);
        painter.setBrush(glow);
        painter.setPen(QPen(QColor(20, 20, 20), 1));
        painter.drawEllipse(centre, 7, 7);
        painter.setPen(QColor(225, 228, 234));
        painter.drawText(QRectF(centre.x() - step / 2, strip.top() + 22, step, 16), Qt::AlignCenter,
                         QString::fromLatin1(LampNames[lamp]));
    }
}
