#pragma once

#include <QObject>
#include <QPointer>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QLineEdit;

// One "%" specifier of an edit's format text, such as "%i{n1x100}", "%s{l32}", "%h" or "%n,".
struct CvEditSpec {
    char kind = 's';     // 's' text, 'h' hex, 'i' signed, 'u' unsigned, 'f' real, 'n' list
    char delimiter = 0;  // "%n" only: the character between the list's numbers
    std::optional<std::string> min;  // "n<number>", as written
    std::optional<std::string> max;  // "x<number>", as written
    int length = -1;                 // "l<int>": typing limit; with "f" the exact length
    int width = -1;                  // "w<int>": how many characters may be typed
    char advance = 0;                // "e<char>": typing it moves the focus to the next edit
    bool autoAdvance = false;        // "a": the focus moves on when the width is reached
    bool exactLength = false;        // "f"
    bool notEmpty = false;           // a bare "n"

    // The most characters the user may have typed into the edit, or -1 for no limit.
    int typingLimit() const;
};

// What a keystroke does to an edit under a constraint.
enum class CvKeyVerdict { Accept, Reject, Advance };

// The outcome of checking an edit's text when the user leaves it: code 0, or the common status
// code -3..-7 with its message text, placeholders filled.
struct CvEditCheck {
    int code = 0;
    std::string message;
    explicit operator bool() const { return code == 0; }
};

// An edit format text parsed into its specifiers and the literal texts between them. The
// constraint is pure: it knows no widget, so the binding layer and tests use it directly.
class CvEditConstraint {
  public:
    // Throws CvCommonException -2 "(CvCommon) Bad format specifier of edit's constraint!" when
    // the text has no specifier or one that cannot be parsed ("%%" is a literal percent sign).
    explicit CvEditConstraint(std::string_view format);

    const std::string& format() const { return format_; }
    int count() const { return static_cast<int>(specifiers_.size()); }
    const CvEditSpec& specifier(int index) const { return specifiers_.at(index); }
    // count() + 1 texts: before the first specifier, between each two, after the last.
    const std::vector<std::string>& literals() const { return literals_; }

    // Splits a value into one text per specifier on the literal texts; a literal that is not
    // found leaves the pieces after it empty and the rest of the value in the current piece.
    std::vector<std::string> split(std::string_view value) const;
    // The reverse of split: literals and pieces interleaved; missing pieces count as empty.
    std::string join(const std::vector<std::string>& pieces) const;

    // Whether the character may be typed into edit `index` at all (hex digits only for "%h",
    // digits and a sign for "%i", and so on).
    static bool isAllowedCharacter(const CvEditSpec& specifier, char32_t c);
    // Typing c into `text`, replacing `selectedLength` selected characters.
    static CvKeyVerdict checkKey(const CvEditSpec& specifier, std::u32string_view text,
                                 int selectedLength, char32_t c);
    // The rules checked when the user leaves the edit (text in UTF-8).
    static CvEditCheck checkText(const CvEditSpec& specifier, std::string_view text);

  private:
    std::string format_;
    std::vector<CvEditSpec> specifiers_;
    std::vector<std::string> literals_;
};

// Enforces a specifier's typing rule on a line edit: refused keys (and pastes) beep through
// platform::ui() and change nothing; the advance character and a reached width with flag "a"
// move the focus to the next edit. It never cuts text that the program sets.
class CvEditFilter : public QObject {
    Q_OBJECT
  public:
    // Installs itself on the edit, which becomes its parent.
    CvEditFilter(QLineEdit* edit, CvEditSpec specifier);

    QLineEdit* edit() const { return edit_; }
    const CvEditSpec& specifier() const { return specifier_; }
    // The edit that receives the focus on advance (none: the focus stays).
    void setNext(QLineEdit* next);

    // Attaches one filter per specifier of the constraint to the edits, chained for advance;
    // throws CvCommonException -2 when the counts differ.
    static std::vector<CvEditFilter*> attach(const CvEditConstraint& constraint,
                                             const std::vector<QLineEdit*>& edits);

  signals:
    void advanced(QLineEdit* from);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void onTextEdited(const QString& text);
    void showContextMenu(const QPoint& globalPos);
    void moveOn();
    bool acceptsInsertion(const QString& inserted) const;

    QLineEdit* edit_;
    CvEditSpec specifier_;
    QPointer<QLineEdit> next_;
    QString lastText_;  // the text before the user's latest change
};
