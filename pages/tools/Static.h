#pragma once

#include "pages/tools/TrafficCounters.h"

// Status \ Stats \ Ethernet: the Ethernet interface's counters. Clear holds the window until the
// device has answered, then reads again.
class TFM_Static : public TrafficCounterPage {
    Q_OBJECT

  public:
    explicit TFM_Static(QWidget* owner = nullptr);

    void Btn_ClearClick() override;
};

extern TFM_Static* FM_Static;
