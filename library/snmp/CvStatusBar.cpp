#include "library/snmp/CvStatusBar.h"

#include <QHBoxLayout>

CvStatusBar::CvStatusBar(QWidget* parent)
    : QWidget(parent), layout_(new QHBoxLayout(this)), simple_(new QLabel(this)) {
    layout_->setContentsMargins(2, 1, 2, 1);
    layout_->setSpacing(2);
    // A long text is cut off at the bar's end, as a window's status bar does, instead of
    // widening a fixed-size page to the length of an error line.
    simple_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    layout_->addWidget(simple_, 1);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void CvStatusBar::SetSimpleText(const QString& text) {
    simple_->setText(text);
}

QString CvStatusBar::SimpleText() const {
    return simple_->text();
}

QLabel* CvStatusBar::AddPanel(int width) {
    auto* panel = new QLabel(this);
    panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    if (width >= 0)
        panel->setFixedWidth(width);
    else
        panel->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    // Panels line up from the left; a trailing spacer takes the room that no panel stretches
    // into, which would otherwise centre a lone fixed-width panel.
    if (panels_.isEmpty()) layout_->addStretch(0);
    layout_->insertWidget(layout_->count() - 1, panel, width < 0 ? 1 : 0);
    panels_.append(panel);
    // With panels the simple text has no place of its own.
    simple_->hide();
    return panel;
}

QString CvStatusBar::PanelText(int index) const {
    return index >= 0 && index < panels_.size() ? panels_[index]->text() : QString();
}

void CvStatusBar::ShowText(const QString& text) {
    if (panels_.isEmpty())
        SetSimpleText(text);
    else
        panels_.front()->setText(text);
}

QString CvStatusBar::ShownText() const {
    return panels_.isEmpty() ? SimpleText() : panels_.front()->text();
}
