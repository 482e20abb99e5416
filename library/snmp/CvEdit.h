#pragma once

#include <QLineEdit>
#include <QString>
#include <memory>

class CvEditConstraint;

// An edit with the input rules of a "%" format specifier. The rules limit what the user types
// (a refused keystroke beeps) and are checked when the focus leaves the edit; text that the
// program writes is never cut, so a device value longer than the typing limit is shown whole.
class CvEdit : public QLineEdit {
    Q_OBJECT
  public:
    explicit CvEdit(QWidget* parent = nullptr);
    ~CvEdit() override;

    // The rules for this edit: the specifier of the constraint at `specifier` (shared with the
    // binding that made it); null removes them. Typing is filtered by the CvEditFilter the binding
    // attaches.
    void SetConstraint(std::shared_ptr<const CvEditConstraint> constraint, int specifier = 0);
    const CvEditConstraint* Constraint() const { return constraint_.get(); }

    // Writes a text as the program does: fires no textEdited and ignores the typing rules.
    void SetText(const QString& text);
    QString Text() const { return text(); }

    // Checks the whole text against the rules; false shows a "Warning" box with the rule's
    // message and puts the focus back. Runs when the focus leaves the edit.
    bool CheckOnLeave();

  protected:
    void focusOutEvent(QFocusEvent* event) override;

  private:
    std::shared_ptr<const CvEditConstraint> constraint_;
    int specifier_ = 0;
    bool checking_ = false;
};
