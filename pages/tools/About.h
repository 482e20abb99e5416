#pragma once

#include <QDialog>

class QLabel;
class QPushButton;

// Help \ About: the module's name and release. The release label stays hidden until Shift+Alt+F3
// is pressed on the OK button, for support staff who ask which build a user has.
class TAboutForm : public QDialog {
    Q_OBJECT

  public:
    explicit TAboutForm(QWidget* owner = nullptr);

    QLabel *Label1, *Label2, *La_FwVer, *Label4, *Label3, *Image1;
    QPushButton* BT_Ok;

    void BT_OkClick();
    // True when the key was taken (it revealed the release label).
    bool BT_OkKeyDown(int key, Qt::KeyboardModifiers shift);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
