#pragma once

#include "pages/common/PageForm.h"
#include "pages/tools/TrafficCounters.h"

// Status \ Stats \ Ethernet: the Ethernet interface's counters. Clear holds the window until the
// device has answered, then reads again; a refused clear's reason stays shown.
class TFM_Static : public TrafficCounterPage {
    Q_OBJECT

  public:
    explicit TFM_Static(QWidget* owner = nullptr);

    void Btn_ClearClick() override;

  private:
    ActionOutcome clear_;
};

extern TFM_Static* FM_Static;
