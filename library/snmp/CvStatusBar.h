#pragma once

#include <QLabel>
#include <QList>
#include <QString>
#include <QWidget>

class QHBoxLayout;

// A status bar that shows either one simple text or a row of panels. Pages without panels write
// their outcome texts as the simple text; pages with panels write them to panel 0. ShowText()
// follows that rule, and so do the error lines of the requests that log here.
class CvStatusBar : public QWidget {
    Q_OBJECT
  public:
    explicit CvStatusBar(QWidget* parent = nullptr);

    // The text shown while the bar has no panels.
    void SetSimpleText(const QString& text);
    QString SimpleText() const;

    // Appends a panel (width in pixels; -1 stretches) and returns its label.
    QLabel* AddPanel(int width = -1);
    // The panels in order; Panels()[0]->setText("...") writes panel 0.
    const QList<QLabel*>& Panels() const { return panels_; }
    int PanelCount() const { return static_cast<int>(panels_.size()); }
    // Text of panel i, or an empty text when there is no such panel.
    QString PanelText(int index) const;

    // Writes an outcome text: the simple text without panels, panel 0 with panels.
    void ShowText(const QString& text);
    // What ShowText() last wrote where it writes (simple text or panel 0).
    QString ShownText() const;

  private:
    QHBoxLayout* layout_;
    QLabel* simple_;
    QList<QLabel*> panels_;
};
