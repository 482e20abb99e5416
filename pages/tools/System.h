#pragma once

#include <QDialog>
#include <QPointer>
#include <memory>

class QComboBox;
class QFrame;
class QLabel;
class QPushButton;
class CvStatusBar;
class TFM_Waiting;
class CvSNMPRequest2Edits;

// Tools \ System: restarts the access point or restores its factory settings, each after a
// confirmation, and covers the restart that follows with the countdown.
class TFM_Sytem : public QDialog {
    Q_OBJECT

  public:
    explicit TFM_Sytem(QWidget* owner = nullptr);
    ~TFM_Sytem() override;

    QFrame* Panel1;
    QLabel* Label1;
    QLabel* Label2;
    QPushButton* Button1;
    QPushButton* Button2;
    QComboBox* CB_Restart;
    QComboBox* CB_Restore;
    CvStatusBar* StatusBar;

    std::unique_ptr<CvSNMPRequest2Edits> reqRestartReset;

    void FormCreate();
    void Button1Click();
    void Button2Click();

  private:
    // The two operations differ only in which item goes out and what the countdown says.
    struct Operation {
        int sentItem;
        int keptOutItem;
        QComboBox* combo;
        const char* title;
        const char* secondLine;  // null keeps the countdown's own
    };
    void buildControls();
    void runOperation(const Operation& operation);

    // The countdown of the operation in flight.
    QPointer<TFM_Waiting> countdown_;
};

extern TFM_Sytem* FM_Sytem;
