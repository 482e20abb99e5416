#include "library/common/CvEditConstraint.h"

#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDropEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>

#include "library/common/CvException.h"
#include "library/common/CvMessages.h"
#include "platform/Ui.h"

namespace {

constexpr int kBadFormat = -2;

[[noreturn]] void badFormat() {
    throw CvCommonException(kBadFormat, CvMessages::text(kBadFormat));
}

bool isDigit(char32_t c) {
    return c >= '0' && c <= '9';
}
bool isHexDigit(char32_t c) {
    return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}
bool isSign(char32_t c) {
    return c == '-' || c == '+';
}
bool isNumericKind(char kind) {
    return kind == 'i' || kind == 'u' || kind == 'f' || kind == 'n';
}

// Reads an unsigned decimal integer at format[pos]; refuses a missing or oversized number.
int readCount(std::string_view format, std::size_t& pos) {
    const std::size_t start = pos;
    long long value = 0;
    while (pos < format.size() && isDigit(format[pos])) {
        value = value * 10 + (format[pos++] - '0');
        if (value > 1000000) badFormat();
    }
    if (pos == start) badFormat();
    return static_cast<int>(value);
}

bool startsNumber(std::string_view format, std::size_t pos) {
    if (pos < format.size() && isSign(format[pos])) ++pos;
    return pos < format.size() && isDigit(format[pos]);
}

// Reads a bound such as "-5" or, for "%f", "2.5"; returned as written.
std::string readBound(std::string_view format, std::size_t& pos, char kind) {
    if (!isNumericKind(kind) || !startsNumber(format, pos)) badFormat();
    const std::size_t start = pos;
    if (isSign(format[pos])) ++pos;
    while (pos < format.size() && isDigit(format[pos])) ++pos;
    if (kind == 'f' && pos + 1 < format.size() && format[pos] == '.' && isDigit(format[pos + 1])) {
        ++pos;
        while (pos < format.size() && isDigit(format[pos])) ++pos;
    }
    return std::string(format.substr(start, pos - start));
}

// Parses "{...}" starting at the opening brace; pos ends after the closing one.
void readRules(std::string_view format, std::size_t& pos, CvEditSpec& specifier) {
    ++pos;
    while (true) {
        if (pos >= format.size()) badFormat();
        const char rule = format[pos++];
        switch (rule) {
            case '}':
                return;
            case ',':
            case ' ':
                break;
            case 'n':
                if (startsNumber(format, pos)) {
                    specifier.min = readBound(format, pos, specifier.kind);
                } else {
                    specifier.notEmpty = true;
                }
                break;
            case 'x':
                specifier.max = readBound(format, pos, specifier.kind);
                break;
            case 'l':
                specifier.length = readCount(format, pos);
                break;
            case 'w':
                specifier.width = readCount(format, pos);
                break;
            case 'e':
                if (pos >= format.size() || format[pos] == '}') badFormat();
                specifier.advance = format[pos++];
                break;
            case 'a':
                specifier.autoAdvance = true;
                break;
            case 'f':
                specifier.exactLength = true;
                break;
            default:
                badFormat();
        }
    }
}

bool validDelimiter(char c) {
    return c != 0 && c != '{' && c != '}' && c != '%' && !isDigit(c) && !isSign(c);
}

CvEditSpec readSpec(std::string_view format, std::size_t& pos) {
    CvEditSpec specifier;
    if (pos >= format.size()) badFormat();
    specifier.kind = format[pos++];
    if (std::string_view("shiufn").find(specifier.kind) == std::string_view::npos) badFormat();
    const bool rulesFirst = pos < format.size() && format[pos] == '{';
    if (rulesFirst) readRules(format, pos, specifier);
    if (specifier.kind == 'n') {
        if (pos >= format.size() || !validDelimiter(format[pos])) badFormat();
        specifier.delimiter = format[pos++];
        if (!rulesFirst && pos < format.size() && format[pos] == '{')
            readRules(format, pos, specifier);
    }
    if (specifier.min && specifier.max &&
        std::strtod(specifier.min->c_str(), nullptr) >
            std::strtod(specifier.max->c_str(), nullptr)) {
        badFormat();
    }
    return specifier;
}

// Newer Qt names the standard menu's actions; older Qt only shows the shortcut after a tab.
bool isPasteAction(const QAction* action) {
    if (action->objectName() == QLatin1String("edit-paste")) return true;
    const QString shortcut = QKeySequence(QKeySequence::Paste).toString(QKeySequence::NativeText);
    return !shortcut.isEmpty() && action->text().endsWith(QLatin1Char('\t') + shortcut);
}

int characterCount(std::string_view utf8) {
    int count = 0;
    for (const char c : utf8) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
    }
    return count;
}

CvEditCheck failure(int code) {
    return {code, CvMessages::text(code)};
}

CvEditCheck lengthFailure(int code, int length) {
    return {code, CvMessages::fill(CvMessages::text(code), "[LEN]", std::to_string(length))};
}

// Parses the whole text as a number of the kind; false when it is not one.
bool parseNumber(std::string_view text, char kind, long double& value) {
    if (text.empty()) return false;
    const std::string copy(text);
    for (const char c : copy) {
        const bool allowed = kind == 'f'
                                 ? (isDigit(c) || isSign(c) || c == '.' || c == 'e' || c == 'E')
                                 : (isDigit(c) || (kind != 'u' && isSign(c)));
        if (!allowed) return false;
    }
    char* end = nullptr;
    errno = 0;
    value = kind == 'f' ? std::strtold(copy.c_str(), &end)
                        : static_cast<long double>(std::strtoll(copy.c_str(), &end, 10));
    return end == copy.c_str() + copy.size() && errno != ERANGE && std::isfinite(value);
}

struct Range {
    long double low, high;
    std::string lowText, highText;
};

Range rangeOf(const CvEditSpec& specifier) {
    Range range;
    if (specifier.kind == 'u') {
        range = {0, 4294967295.0L, "0", "4294967295"};
    } else if (specifier.kind == 'f') {
        const double big = std::numeric_limits<double>::max();
        char text[32];
        std::snprintf(text, sizeof text, "%g", big);
        range = {-big, big, std::string("-") + text, text};
    } else {
        range = {-2147483648.0L, 2147483647.0L, "-2147483648", "2147483647"};
    }
    if (specifier.min) {
        range.low = std::strtold(specifier.min->c_str(), nullptr);
        range.lowText = *specifier.min;
    }
    if (specifier.max) {
        range.high = std::strtold(specifier.max->c_str(), nullptr);
        range.highText = *specifier.max;
    }
    return range;
}

CvEditCheck checkNumber(const CvEditSpec& specifier, std::string_view text) {
    long double value = 0;
    if (!parseNumber(text, specifier.kind == 'n' ? 'i' : specifier.kind, value)) return failure(-7);
    const Range range = rangeOf(specifier);
    if (value < range.low || value > range.high) {
        std::string message = CvMessages::fill(CvMessages::text(-5), "[MIN]", range.lowText);
        return {-5, CvMessages::fill(message, "[MAX]", range.highText)};
    }
    return {};
}

CvEditCheck checkList(const CvEditSpec& specifier, std::string_view text) {
    std::size_t start = 0;
    while (true) {
        const std::size_t end = text.find(specifier.delimiter, start);
        const CvEditCheck element = checkNumber(specifier, text.substr(start, end - start));
        if (!element || end == std::string_view::npos) return element;
        start = end + 1;
    }
}

}  // namespace

int CvEditSpec::typingLimit() const {
    if (length >= 0 && width >= 0) return std::min(length, width);
    return length >= 0 ? length : width;
}

CvEditConstraint::CvEditConstraint(std::string_view format) : format_(format) {
    std::string literal;
    std::size_t pos = 0;
    while (pos < format.size()) {
        const char c = format[pos++];
        if (c != '%') {
            literal += c;
        } else if (pos < format.size() && format[pos] == '%') {
            literal += '%';
            ++pos;
        } else {
            literals_.push_back(std::move(literal));
            literal.clear();
            specifiers_.push_back(readSpec(format, pos));
        }
    }
    literals_.push_back(std::move(literal));
    if (specifiers_.empty()) badFormat();
}

std::vector<std::string> CvEditConstraint::split(std::string_view value) const {
    std::vector<std::string> pieces(specifiers_.size());
    std::size_t pos = 0;
    if (value.substr(0, literals_.front().size()) == literals_.front()) {
        pos = literals_.front().size();
    }
    for (std::size_t i = 0; i < specifiers_.size(); ++i) {
        const std::string& after = literals_[i + 1];
        const bool last = i + 1 == specifiers_.size();
        const std::size_t end =
            (last || after.empty()) ? std::string_view::npos : value.find(after, pos);
        if (end == std::string_view::npos) {
            std::string_view rest = value.substr(std::min(pos, value.size()));
            if (last && !after.empty() && rest.ends_with(after)) rest.remove_suffix(after.size());
            pieces[i] = std::string(rest);
            break;
        }
        pieces[i] = std::string(value.substr(pos, end - pos));
        pos = end + after.size();
    }
    return pieces;
}

std::string CvEditConstraint::join(const std::vector<std::string>& pieces) const {
    std::string value = literals_.front();
    for (std::size_t i = 0; i < specifiers_.size(); ++i) {
        if (i < pieces.size()) value += pieces[i];
        value += literals_[i + 1];
    }
    return value;
}

bool CvEditConstraint::isAllowedCharacter(const CvEditSpec& specifier, char32_t c) {
    if (c < 0x20 || c == 0x7F) return false;
    switch (specifier.kind) {
        case 'h':
            return isHexDigit(c);
        case 'i':
            return isDigit(c) || isSign(c);
        case 'u':
            return isDigit(c);
        case 'f':
            return isDigit(c) || isSign(c) || c == '.' || c == 'e' || c == 'E';
        case 'n':
            return isDigit(c) || isSign(c) || c == static_cast<unsigned char>(specifier.delimiter);
        default:
            return true;
    }
}

CvKeyVerdict CvEditConstraint::checkKey(const CvEditSpec& specifier, std::u32string_view text,
                                        int selectedLength, char32_t c) {
    if (specifier.advance != 0 && c == static_cast<unsigned char>(specifier.advance)) {
        return CvKeyVerdict::Advance;
    }
    if (!isAllowedCharacter(specifier, c)) return CvKeyVerdict::Reject;
    const int limit = specifier.typingLimit();
    const int after = static_cast<int>(text.size()) - std::max(selectedLength, 0) + 1;
    if (limit >= 0 && after > limit) return CvKeyVerdict::Reject;
    return CvKeyVerdict::Accept;
}

CvEditCheck CvEditConstraint::checkText(const CvEditSpec& specifier, std::string_view text) {
    if (text.empty()) return specifier.notEmpty ? failure(-6) : CvEditCheck{};
    const int count = characterCount(text);
    if (specifier.exactLength && specifier.length >= 0 && count != specifier.length) {
        return lengthFailure(-3, specifier.length);
    }
    switch (specifier.kind) {
        case 'h':
            for (const char c : text) {
                if (!isHexDigit(static_cast<unsigned char>(c))) return failure(-7);
            }
            return {};
        case 'i':
        case 'u':
        case 'f':
            return checkNumber(specifier, text);
        case 'n':
            return checkList(specifier, text);
        default:
            return {};
    }
}

CvEditFilter::CvEditFilter(QLineEdit* edit, CvEditSpec specifier)
    : QObject(edit), edit_(edit), specifier_(std::move(specifier)) {
    edit_->installEventFilter(this);
    lastText_ = edit_->text();
    connect(edit_, &QLineEdit::textEdited, this, &CvEditFilter::onTextEdited);
    connect(edit_, &QLineEdit::textChanged, this, [this] { lastText_ = edit_->text(); });
}

void CvEditFilter::onTextEdited(const QString& text) {
    // Only growth moves on, so deleting within a full edit keeps the focus where it is.
    const int width = specifier_.width >= 0 ? specifier_.width : specifier_.typingLimit();
    const bool grew = text.size() > lastText_.size();
    lastText_ = text;
    if (specifier_.autoAdvance && grew && width >= 0 && text.size() >= width) moveOn();
}

void CvEditFilter::showContextMenu(const QPoint& globalPos) {
    // The menu's Paste bypasses the keyboard, so it is offered only for acceptable text.
    QMenu* menu = edit_->createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    const bool pasteAllowed = acceptsInsertion(QApplication::clipboard()->text());
    for (QAction* action : menu->actions()) {
        if (isPasteAction(action) && !pasteAllowed) {
            action->setEnabled(false);
        }
    }
    menu->popup(globalPos);
}

std::vector<CvEditFilter*> CvEditFilter::attach(const CvEditConstraint& constraint,
                                                const std::vector<QLineEdit*>& edits) {
    if (static_cast<int>(edits.size()) != constraint.count()) badFormat();
    std::vector<CvEditFilter*> filters;
    for (int i = 0; i < constraint.count(); ++i) {
        filters.push_back(
            new CvEditFilter(edits[i], constraint.specifier(i)));  // owned by the edit
        if (i > 0) filters[i - 1]->setNext(edits[i]);
    }
    return filters;
}

void CvEditFilter::setNext(QLineEdit* next) {
    next_ = next;
}

void CvEditFilter::moveOn() {
    emit advanced(edit_);
    if (next_) {
        next_->setFocus(Qt::OtherFocusReason);
        next_->selectAll();
    }
}

bool CvEditFilter::acceptsInsertion(const QString& inserted) const {
    const int limit = specifier_.typingLimit();
    const qsizetype after = edit_->text().size() - edit_->selectedText().size() + inserted.size();
    if (limit >= 0 && after > limit) return false;
    for (const char32_t c : inserted.toUcs4()) {
        if (!CvEditConstraint::isAllowedCharacter(specifier_, c)) return false;
    }
    return true;
}

bool CvEditFilter::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    // Other events arrive also while the edit is being destroyed, when it is no edit any more.
    if (type != QEvent::KeyPress && type != QEvent::ContextMenu && type != QEvent::Drop &&
        type != QEvent::InputMethod) {
        return false;
    }
    if (watched != edit_ || edit_->isReadOnly()) return false;
    QString inserted;
    if (type == QEvent::InputMethod) {
        // Composed and input-method text arrives without a key press; a refused commit is
        // dropped while the composition itself goes on.
        auto* input = static_cast<QInputMethodEvent*>(event);
        if (input->commitString().isEmpty() || acceptsInsertion(input->commitString())) {
            return false;
        }
        input->setCommitString(QString());
        platform::ui().beep();
        return false;
    }
    if (type == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->matches(QKeySequence::Paste)) {
            inserted = QApplication::clipboard()->text();
        } else {
            const QString text = key->text();
            if (text.isEmpty() || !text.at(0).isPrint()) return false;  // editing and navigation
            const std::u32string characters = text.toStdU32String();
            if (characters.size() == 1) {
                const int selected = static_cast<int>(edit_->selectedText().size());
                switch (CvEditConstraint::checkKey(specifier_, edit_->text().toStdU32String(),
                                                   selected, characters.front())) {
                    case CvKeyVerdict::Advance:
                        moveOn();
                        return true;
                    case CvKeyVerdict::Reject:
                        platform::ui().beep();
                        return true;
                    case CvKeyVerdict::Accept:
                        return false;
                }
            }
            // A key that carries several characters inserts them all at once.
            inserted = text;
        }
    } else if (type == QEvent::ContextMenu) {
        showContextMenu(static_cast<QContextMenuEvent*>(event)->globalPos());
        return true;
    } else {
        const QMimeData* data = static_cast<QDropEvent*>(event)->mimeData();
        if (!data || !data->hasText()) return false;
        inserted = data->text();
    }
    if (acceptsInsertion(inserted)) return false;
    platform::ui().beep();
    return true;
}
