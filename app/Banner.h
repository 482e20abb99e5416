#pragma once

#include <QWidget>
#include <array>

// The main window's banner: a picture of the access point drawn by our own code, with its three
// status lamps (power, LAN, wireless LAN). A lit lamp is green, an unlit one black.
class TBanner : public QWidget {
    Q_OBJECT
  public:
    enum Lamp { Power = 0, Lan = 1, Wireless = 2 };

    explicit TBanner(QWidget* parent = nullptr);

    void SetLamp(Lamp lamp, bool lit);
    void SetAllLamps(bool lit);
    bool Lit(Lamp lamp) const { return lit_[lamp]; }

    QSize sizeHint() const override { return {600, 210}; }

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    void paintDevice(class QPainter& painter, const QRectF& body) const;
    std::array<bool, 3> lit_{};
};
