#pragma once

#include "pages/tools/TrafficCounters.h"

class CvSNMPRequest2Controls;
struct CvSNMPError;

// Status \ Stats \ WLAN: the wireless interface's counters. Clear runs without holding the
// window: the buttons wait for the device's answer, and the counters show 0 once it accepted.
class TFM_StatWLAN : public TrafficCounterPage {
    Q_OBJECT

  public:
    explicit TFM_StatWLAN(QWidget* owner = nullptr);

    void Btn_ClearClick() override;
    void OnClearSet(CvSNMPRequest2Controls* sender, const CvSNMPError& outcome);
};

extern TFM_StatWLAN* FM_StatWLAN;
