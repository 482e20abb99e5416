#include "pages/tools/About.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/Banner.h"
#include "app/Main.h"
#include "pages/common/PageForm.h"

TAboutForm::TAboutForm(QWidget* owner) : QDialog(owner) {
    setWindowTitle("Help\\About");
    setSingleBorder(this);

    Label1 = new QLabel(this);
    QFont bold = Label1->font();
    bold.setBold(true);
    Label1->setFont(bold);
    Label2 = new QLabel("Release Version:", this);
    La_FwVer = new QLabel("v3.00", this);
    Label4 = new QLabel("R06(2009/05/05)", this);
    QPalette red = Label4->palette();
    red.setColor(QPalette::WindowText, Qt::red);
    Label4->setPalette(red);
    Label4->hide();
    Label3 = new QLabel("Configures and monitors the access point over SNMP and TFTP.", this);

    // The main window's picture of the access point.
    TBanner banner;
    Image1 = new QLabel(this);
    Image1->setPixmap(banner.grab());
    Image1->setFixedSize(Image1->sizeHint());

    BT_Ok = new QPushButton("OK", this);
    BT_Ok->installEventFilter(this);
    connect(BT_Ok, &QPushButton::clicked, this, [this] { BT_OkClick(); });

    auto* version = new QGridLayout;
    version->addWidget(Label2, 0, 0);
    version->addWidget(La_FwVer, 0, 1);
    version->addWidget(Label4, 0, 2);
    version->setColumnStretch(3, 1);
    auto* whole = new QVBoxLayout(this);
    whole->setContentsMargins(16, 16, 16, 12);
    whole->addWidget(Image1, 0, Qt::AlignHCenter);
    whole->addWidget(Label1);
    whole->addLayout(version);
    whole->addWidget(Label3);
    whole->addWidget(BT_Ok, 0, Qt::AlignHCenter);
    whole->setSizeConstraint(QLayout::SetFixedSize);
    // Keeps the box's size when the release label appears.
    QSizePolicy keep = Label4->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    Label4->setSizePolicy(keep);

    Label1->setText(QString::fromLatin1(ModelName) + " Management Module");
    BT_Ok->setFocus();
}

void TAboutForm::BT_OkClick() {
    accept();
}

bool TAboutForm::BT_OkKeyDown(int key, Qt::KeyboardModifiers shift) {
    if (key != Qt::Key_F3 || !(shift & Qt::ShiftModifier) || !(shift & Qt::AltModifier))
        return false;
    Label4->show();
    return true;
}

bool TAboutForm::eventFilter(QObject* watched, QEvent* event) {
    if (watched == BT_Ok && event->type() == QEvent::KeyPress) {
        const auto* press = static_cast<QKeyEvent*>(event);
        if (BT_OkKeyDown(press->key(), press->modifiers())) return true;
    }
    return QDialog::eventFilter(watched, event);
}
