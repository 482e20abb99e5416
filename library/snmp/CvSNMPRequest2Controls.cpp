#include "library/snmp/CvSNMPRequest2Controls.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QWidget>
#include <algorithm>
#include <exception>
#include <utility>

#include "library/common/CvEditConstraint.h"
#include "library/common/CvException.h"
#include "library/common/CvMessages.h"
#include "library/snmp/CvEdit.h"
#include "library/snmp/CvListView.h"
#include "library/snmp/CvStatusBar.h"
#include "platform/Environment.h"
#include "platform/Ui.h"

namespace cv_detail {
RequestHolder::RequestHolder() : request_(std::make_unique<CvSNMPRequest>()) {}
RequestHolder::~RequestHolder() = default;
}  // namespace cv_detail

namespace {

bool isIntegerSyntax(int syntax) {
    return syntax == SYN_BOOLEAN || syntax == SYN_INTEGER || syntax == SYN_COUNTER ||
           syntax == SYN_GAUGE || syntax == SYN_TIMETICKS;
}

bool isUndecodableAnswer(int code) {
    return code == -507 || code == -516;
}

// A routine of the page that throws must not unwind into the request layer's event delivery.
template <typename Fn>
void guarded(QWidget* owner, Fn&& fn) {
    try {
        fn();
    } catch (const std::exception& e) {
        platform::ui().messageBox(owner, QApplication::applicationDisplayName(),
                                  QString::fromStdString(e.what()), platform::BoxButtons::Ok);
    }
}

}  // namespace

CvSNMPRequest2Controls::CvSNMPRequest2Controls(QWidget* owner)
    : QObject(nullptr), VarList(request_->VarList), owner_(owner) {
    Timeout = request_->Settings.timeout;
}

CvSNMPRequest2Controls::~CvSNMPRequest2Controls() {
    // Answers that arrive after the page is gone must not reach its controls or routines.
    request_->Cancel();
}

void CvSNMPRequest2Controls::SetLogTarget(CvStatusBar* statusBar) {
    logTarget_ = statusBar;
}

bool CvSNMPRequest2Controls::Busy() const {
    return readsInFlight_ > 0 || setsInFlight_ > 0 || request_->Busy();
}

void CvSNMPRequest2Controls::runHook(Hook hook) {
    if (hook) hook();
}

void CvSNMPRequest2Controls::callResult(const CvSNMPError& error) {
    if (request_->ResultRoutine()) request_->ResultRoutine()(error);
}

bool CvSNMPRequest2Controls::Get() {
    if (!Enabled) return false;
    lastWasSet_ = false;
    return Mode == 0 ? getSync() : getAsync();
}

bool CvSNMPRequest2Controls::getSync() {
    runHook(BeforeGetHook);
    request_->Settings.timeout = Timeout;
    const std::vector<int> items = readableItems();
    CvSNMPError error = request_->Get();
    if (error.Code == 0) {
        ReadSucceeded(items);
        FillControls();
    }
    runHook(AfterGetHook);
    callResult(error);
    return error.Code == 0;
}

bool CvSNMPRequest2Controls::getAsync() {
    runHook(BeforeGetHook);
    request_->Settings.timeout = Timeout;
    request_->ContinueWalk = [this] { return Enabled; };
    auto sent = std::make_shared<bool>(true);
    ++readsInFlight_;
    bool issued = false;
    try {
        issued =
            request_->GetAsync([this, sent, items = readableItems()](const CvSNMPError& error) {
                completeGet(error, *sent, items);
            });
    } catch (...) {
        --readsInFlight_;
        throw;
    }
    if (!issued) *sent = false;
    return issued;
}

void CvSNMPRequest2Controls::completeGet(const CvSNMPError& error, bool sent,
                                         const std::vector<int>& items) {
    --readsInFlight_;
    // The error box, or a page handler that the filled controls notify, may delete this request.
    QPointer<QObject> alive(this);
    CvSNMPError outcome = error;
    if (error.Code == 0) {
        ReadSucceeded(items);
        try {
            FillControls();
        } catch (const CvException& e) {
            outcome = {e.code(), e.what()};
        } catch (const std::exception& e) {
            outcome = {-528, e.what()};
        }
        if (outcome.Code != 0) WriteLog(outcome.Message);
    } else if (sent && isUndecodableAnswer(error.Code)) {
        // The device answered, but with a value the item cannot hold: that is an error of
        // processing the answer, not an SNMP failure.
        WriteLog(error.Message);
    }
    if (alive && finish(outcome, sent, AfterGetHook, OnAfterGet)) emit Settled();
}

bool CvSNMPRequest2Controls::finish(const CvSNMPError& outcome, bool sent, Hook afterHook,
                                    Closure closure) {
    QPointer<QObject> alive(this);
    guarded(owner_, [&] {
        if (outcome.Code == 0) runHook(afterHook);
        if (alive && (outcome.Code == 0 || !sent)) callResult(outcome);
    });
    if (alive && closure) guarded(owner_, [&] { closure(this, outcome); });
    return !alive.isNull();
}

bool CvSNMPRequest2Controls::Set(bool reread, bool prepare, const char* /*text*/) {
    if (!Enabled) return false;
    lastWasSet_ = true;
    withheld_ = false;
    nothingLeft_ = false;
    if (Mode == 0) {
        runHook(BeforeSetHook);
        std::string instance = prepareSet(prepare);
        return setSync(reread, instance);
    }
    runHook(BeforeSetHook);
    std::string instance;
    try {
        instance = prepareSet(prepare);
    } catch (const CvException& e) {
        postUnsentSet({e.code(), e.what()});
        return false;
    }
    if (nothingLeft_) {
        postUnsentSet(unreadOutcome());
        return false;
    }
    return setAsync(reread, instance);
}

std::string CvSNMPRequest2Controls::prepareSet(bool prepare) {
    std::string instance;
    if (VarList.IsTable()) {
        if (selectedRow_ < 0 || selectedRow_ >= static_cast<int>(VarList.Rows().size()))
            throw CvSNMPException(-515, CvMessages::text(-515));
        instance = VarList.Rows()[selectedRow_].instance;
    }
    unread_.clear();
    if (prepare) CollectControls();
    std::vector<std::string>& values = VarList.Values();
    values.resize(VarList.Count());
    bool anyLeft = false;
    for (int i = 0; i < VarList.Count(); ++i) {
        if (values[i].empty() && isIntegerSyntax(VarList.GetItem(i).syntax)) values[i] = "0";
        const bool carried =
            isSendable(VarList.GetItem(i)) && !(VarList.IsTable() && i < VarList.KeyCount());
        anyLeft |= carried && std::find(unread_.begin(), unread_.end(), i) == unread_.end();
    }
    withheld_ = !unread_.empty();
    // A page whose own marks leave nothing to send still sends its empty set.
    nothingLeft_ = withheld_ && !anyLeft;
    return instance;
}

bool CvSNMPRequest2Controls::setSync(bool reread, const std::string& instance) {
    request_->Settings.timeout = Timeout;
    CvSNMPError error = nothingLeft_ ? unreadOutcome() : request_->Set(instance, unread_);
    const bool sent = error.Code == 0;
    if (sent && withheld_) error = unreadOutcome();
    runHook(AfterSetHook);
    callResult(error);
    if (reread && VarList.IsTable() && Enabled) getSync();
    return error.Code == 0;
}

bool CvSNMPRequest2Controls::setAsync(bool reread, const std::string& instance) {
    request_->Settings.timeout = Timeout;
    auto sent = std::make_shared<bool>(true);
    ++setsInFlight_;
    bool issued = false;
    try {
        issued = request_->SetAsync(
            [this, sent, reread, leftOut = withheld_](const CvSNMPError& error) {
                // What went out was accepted, but the set as a whole was not made: its result
                // routine hears of it as of a set that could not be sent whole.
                if (error.Code == 0 && leftOut)
                    completeSet(unreadOutcome(), false, reread, true);
                else
                    completeSet(error, *sent, reread, error.Code == 0);
            },
            instance, unread_);
    } catch (...) {
        --setsInFlight_;
        throw;
    }
    if (!issued) *sent = false;
    return issued;
}

void CvSNMPRequest2Controls::postUnsentSet(const CvSNMPError& error) {
    ++setsInFlight_;
    // Posted to this object, so it is dropped with the request like any other completion.
    QMetaObject::invokeMethod(
        this, [this, error] { completeSet(error, false, false, false); }, Qt::QueuedConnection);
}

CvSNMPError CvSNMPRequest2Controls::unreadOutcome() {
    return {kUnreadCode, CvMessages::text(kUnreadCode)};
}

void CvSNMPRequest2Controls::completeSet(const CvSNMPError& error, bool sent, bool reread,
                                         bool accepted) {
    --setsInFlight_;
    QPointer<QObject> alive(this);
    if (!finish(error, sent, AfterSetHook, OnAfterSet)) return;
    // A read the page started from its closure already brings the table; a second one would
    // only repeat it.
    if (accepted && reread && VarList.IsTable() && readsInFlight_ == 0 && Enabled)
        guarded(owner_, [&] { getAsync(); });
    if (alive) emit Settled();
}

std::vector<int> CvSNMPRequest2Controls::readableItems() const {
    std::vector<int> items;
    for (int i = 0; i < VarList.Count(); ++i)
        if (isReadable(VarList.GetItem(i))) items.push_back(i);
    return items;
}

std::string CvSNMPRequest2Controls::LogLine(const std::string& error) const {
    std::string names;
    for (int i = 0; i < VarList.Count(); ++i) {
        const CvSNMPVarItem& item = VarList.GetItem(i);
        if (!isReadable(item)) continue;
        if (!names.empty()) names += ", ";
        names += platform::fromLatin1(item.name).toStdString();
    }
    std::string line = CvMessages::snmpMsg(lastWasSet_ ? 2 : 1);
    line = CvMessages::fill(line, "[ERROR]", error);
    line = CvMessages::fill(line, "[VARLIST]", names);
    return CvMessages::fill(
        line, "[TIME]", platform::ui().now().toString(QStringLiteral("hh:mm:ss")).toStdString());
}

void CvSNMPRequest2Controls::WriteLog(const std::string& error) {
    // Message texts are kept as UTF-8 once read from their 8-bit files.
    QString line = QString::fromStdString(LogLine(error));
    if (logTarget_) {
        logTarget_->ShowText(line);
        return;
    }
    platform::ui().messageBox(owner_, QString::fromStdString(platform::programFileName()), line,
                              platform::BoxButtons::Ok);
}

// ---------------------------------------------------------------------------------------------
// Bindings to edits, combo boxes, labels, check boxes and the list view.

namespace {

[[noreturn]] void fail(int code) {
    throw CvSNMPException(code, CvMessages::text(code));
}

std::string toOctets(const QString& text) {
    std::string octets;
    if (!platform::toLatin1(text, octets)) fail(-509);
    return octets;
}

std::string hexOf(const std::string& octets) {
    static const char digits[] = "0123456789ABCDEF";
    std::string hex;
    for (unsigned char c : octets) {
        hex += digits[c >> 4];
        hex += digits[c & 15];
    }
    return hex;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string octetsOfHex(const std::string& hex) {
    if (hex.size() % 2 != 0) fail(-510);
    std::string octets;
    for (size_t i = 0; i < hex.size(); i += 2) {
        int high = hexDigit(hex[i]), low = hexDigit(hex[i + 1]);
        if (high < 0 || low < 0) fail(-510);
        octets += static_cast<char>(high * 16 + low);
    }
    return octets;
}

bool isStringSyntax(int syntax) {
    return syntax == SYN_OCTETSTRING || syntax == SYN_DISPLAYSTRING;
}

// Items a list view keeps in zero-width columns ahead of the listed ones.
bool isHiddenKind(const CvSNMPVarItem& item) {
    bool writeOnly = (item.access & ACC_WRITEONLY) && !(item.access & ACC_READONLY);
    return writeOnly || (item.access & (ACC_HIDDEN | ACC_INVALID));
}

// Whether a control's content is a value of the device's or a choice is kept on the control, not
// on one binding: a page that reads a control through one request and writes it through another
// sends what that read brought.
const char* const kKnownProperty = "vraKnownValue";

bool isKnownControl(const QWidget* control) {
    return control && control->property(kKnownProperty).toBool();
}

void markKnownControl(QWidget* control, bool known) {
    if (control) control->setProperty(kKnownProperty, known);
}

}  // namespace

struct CvSNMPRequest2Edits::Binding {
    enum Kind { Edit, Combo, Label, Check } kind;
    int item;
    QPointer<QComboBox> combo;
    QPointer<QLabel> label;
    QPointer<QCheckBox> check;
    std::vector<QPointer<CvEdit>> edits;
    std::shared_ptr<const CvEditConstraint> constraint;
    // The controls whose content is the value sent (a label's caption is the page's own).
    std::vector<QWidget*> valueControls() const {
        std::vector<QWidget*> controls;
        if (combo) controls.push_back(combo);
        if (check) controls.push_back(check);
        for (const auto& edit : edits)
            if (edit) controls.push_back(edit);
        return controls;
    }

    bool known() const {
        for (QWidget* control : valueControls())
            if (!isKnownControl(control)) return false;
        return true;
    }
    void markKnown(bool known) const {
        for (QWidget* control : valueControls()) markKnownControl(control, known);
    }

    // Content that no read filled and nobody chose: not the device's.
    bool unread(const CvSNMPVarItem& it) const {
        return kind != Label && !known() && isReadable(it) && isSendable(it);
    }

    // Writes a value into the control; display is its text through the option list.
    void show(const CvSNMPVarItem& it, const std::string& value, const QString& display) {
        switch (kind) {
            case Combo:
                if (combo)
                    combo->setCurrentIndex(it.options ? it.options->IndexOfValue(value) : -1);
                break;
            case Label:
                if (label) label->setText(display);
                break;
            case Check:
                if (check) check->setChecked(checkState(value));
                break;
            case Edit:
                showInEdits(it, value);
                break;
        }
        markKnown(true);
    }

    // The control's content as a value of the item; the current value when it has none.
    std::string collect(const CvSNMPVarItem& it, const std::string& current) const {
        switch (kind) {
            case Combo: {
                int index = combo ? combo->currentIndex() : -1;
                return index >= 0 && it.options && index < it.options->Count()
                           ? std::to_string(it.options->Value(index))
                           : std::string();
            }
            case Label:
                if (!label) return current;
                return it.options ? it.options->ToValue(toOctets(label->text()))
                                  : toOctets(label->text());
            case Check:
                return check ? (check->isChecked() ? "1" : "0") : current;
            case Edit:
                return collectFromEdits(it);
        }
        return current;
    }

    static bool checkState(const std::string& value) {
        bool ok = false;
        long long number = QString::fromStdString(value).trimmed().toLongLong(&ok);
        if (!ok) fail(-516);
        return number > 0;
    }

    bool isHex(size_t edit) const {
        return constraint->specifier(static_cast<int>(edit)).kind == 'h';
    }

    void showInEdits(const CvSNMPVarItem& it, const std::string& value) {
        std::vector<std::string> pieces =
            constraint->count() > 1 ? constraint->split(value) : std::vector<std::string>{value};
        for (size_t i = 0; i < edits.size(); ++i) {
            if (!edits[i]) continue;
            std::string piece = i < pieces.size() ? pieces[i] : std::string();
            // A MAC address already arrives as its twelve digits.
            if (isHex(i) && it.syntax != SYN_MACADDRESS) piece = hexOf(piece);
            edits[i]->SetText(platform::fromLatin1(piece));
        }
    }

    std::string collectFromEdits(const CvSNMPVarItem& it) const {
        std::vector<std::string> pieces;
        for (size_t i = 0; i < edits.size(); ++i) {
            std::string piece = edits[i] ? toOctets(edits[i]->text()) : "";
            if (isHex(i) && isStringSyntax(it.syntax)) piece = octetsOfHex(piece);
            pieces.push_back(std::move(piece));
        }
        if (constraint->count() > 1) return constraint->join(pieces);
        return pieces.empty() ? std::string() : pieces.front();
    }
};

CvSNMPRequest2Edits::CvSNMPRequest2Edits(QWidget* owner) : CvSNMPRequest2Controls(owner) {}

CvSNMPRequest2Edits::~CvSNMPRequest2Edits() = default;

void CvSNMPRequest2Edits::bindingCheck(int item, QWidget* control) {
    VarList.GetItem(item);  // throws -504 for an index past the list
    if (!control) fail(-512);
}

void CvSNMPRequest2Edits::AssociateComboBox(int item, QComboBox* comboBox) {
    bindingCheck(item, comboBox);
    const CvOptionList* options = VarList.GetItem(item).options;
    if (!options) fail(-518);
    comboBox->setEditable(false);
    comboBox->clear();
    for (int i = 0; i < options->Count(); ++i)
        comboBox->addItem(platform::fromLatin1(options->Text(i)));
    // Nothing is chosen until the device's value is known.
    comboBox->setCurrentIndex(-1);
    auto binding =
        std::make_unique<Binding>(Binding{Binding::Combo, item, comboBox, {}, {}, {}, {}});
    // An index the page sets counts as chosen, as one the user picks does; a page that copies a
    // value nobody read takes that back with MarkDerived.
    connect(comboBox, &QComboBox::activated, this, [comboBox] { markKnownControl(comboBox, true); });
    connect(comboBox, &QComboBox::currentIndexChanged, this, [comboBox](int index) {
        if (index >= 0) markKnownControl(comboBox, true);
    });
    bindings_.push_back(std::move(binding));
}

void CvSNMPRequest2Edits::AssociateEdit(int item, const char* format,
                                        std::initializer_list<CvEdit*> edits) {
    auto constraint = std::make_shared<const CvEditConstraint>(format ? format : "");
    if (constraint->count() != static_cast<int>(edits.size()))
        throw CvCommonException(-2, CvMessages::text(-2));
    for (CvEdit* edit : edits) bindingCheck(item, edit);
    const int syntax = VarList.GetItem(item).syntax;
    Binding binding{Binding::Edit, item, {}, {}, {}, {}, constraint};
    CvEditFilter* previousFilter = nullptr;
    int index = 0;
    for (CvEdit* edit : edits) {
        CvEditSpec specifier = constraint->specifier(index);
        // A MAC address takes exactly its twelve digits.
        if (specifier.kind == 'h' && syntax == SYN_MACADDRESS && specifier.length < 0)
            specifier.length = 12;
        // A page that binds an edit again must not stack a second typing filter on it.
        for (CvEditFilter* stale : edit->findChildren<CvEditFilter*>(Qt::FindDirectChildrenOnly))
            delete stale;
        auto* filter = new CvEditFilter(edit, specifier);
        if (previousFilter) previousFilter->setNext(edit);
        edit->SetConstraint(constraint, index);
        // Only the user's typing makes an edit's text chosen: a text the page writes may be a
        // copy of one nobody read.
        connect(edit, &QLineEdit::textEdited, this, [edit] { markKnownControl(edit, true); });
        binding.edits.emplace_back(edit);
        previousFilter = filter;
        ++index;
    }
    bindings_.push_back(std::make_unique<Binding>(std::move(binding)));
}

void CvSNMPRequest2Edits::AssociateLabel(int item, QLabel* label) {
    bindingCheck(item, label);
    bindings_.push_back(
        std::make_unique<Binding>(Binding{Binding::Label, item, {}, label, {}, {}, {}}));
}

void CvSNMPRequest2Edits::AssociateCheckBox(int item, QCheckBox* checkBox) {
    bindingCheck(item, checkBox);
    const CvSNMPVarItem& it = VarList.GetItem(item);
    if (!it.options && it.syntax != SYN_BOOLEAN) fail(-517);
    auto binding =
        std::make_unique<Binding>(Binding{Binding::Check, item, {}, {}, checkBox, {}, {}});
    connect(checkBox, &QCheckBox::toggled, this, [checkBox] { markKnownControl(checkBox, true); });
    bindings_.push_back(std::move(binding));
}

void CvSNMPRequest2Edits::AssociateListView(CvListView* listView, bool selectFirst) {
    if (!listView) fail(-512);
    if (listView_) disconnect(listView_, nullptr, this, nullptr);
    listView_ = listView;
    selectFirst_ = selectFirst;
    listView->MakeReport();
    buildColumns();
    connect(listView, &CvListView::Selected, this, &CvSNMPRequest2Edits::onRowSelected);
    // Without a selected row the next Set has no row to write.
    connect(listView, &CvListView::SelectionCleared, this, [this] { selectedRow_ = -1; });
}

void CvSNMPRequest2Edits::buildColumns() {
    columnItems_.clear();
    for (int pass = 0; pass < 2; ++pass) {
        for (int i = 0; i < VarList.Count(); ++i) {
            if (isHiddenKind(VarList.GetItem(i)) == (pass == 0)) columnItems_.push_back(i);
        }
    }
    if (!listView_ || listView_->ColumnCount() >= VarList.Count()) return;
    listView_->setColumnCount(0);
    for (int item : columnItems_) {
        const CvSNMPVarItem& it = VarList.GetItem(item);
        listView_->AddColumn(platform::fromLatin1(it.name), isHiddenKind(it) ? 0 : 100);
    }
}

QString CvSNMPRequest2Edits::CellText(int item, const std::string& value) const {
    const CvOptionList* options = VarList.GetItem(item).options;
    return platform::fromLatin1(options ? options->ToText(value) : value);
}

bool CvSNMPRequest2Edits::AcceptRow(const CvSNMPRow& /*row*/, int /*tableRow*/) {
    return true;
}

void CvSNMPRequest2Edits::BuildListRow(const CvSNMPRow& row, int /*tableRow*/, QString& caption,
                                       QStringList& subItems) {
    QStringList cells;
    for (int item : columnItems_)
        cells << CellText(item, item < static_cast<int>(row.values.size()) ? row.values[item] : "");
    caption = cells.isEmpty() ? QString() : cells.takeFirst();
    subItems = cells;
}

const CvSNMPRow* CvSNMPRequest2Edits::rowAt(int tableRow) const {
    const std::vector<CvSNMPRow>& rows = VarList.IsTable() ? VarList.Rows() : scalarRow_;
    return tableRow >= 0 && tableRow < static_cast<int>(rows.size()) ? &rows[tableRow] : nullptr;
}

void CvSNMPRequest2Edits::FillControls() {
    if (!listView_) {
        selectedRow_ = -1;
        if (!VarList.IsTable()) showValues(VarList.Values());
        return;
    }
    fillListView();
}

void CvSNMPRequest2Edits::fillListView() {
    if (static_cast<int>(columnItems_.size()) != VarList.Count()) buildColumns();
    scalarRow_.clear();
    if (!VarList.IsTable()) {
        bool anyReadable = false;
        for (int i = 0; i < VarList.Count(); ++i) anyReadable |= isReadable(VarList.GetItem(i));
        if (anyReadable) scalarRow_.push_back(CvSNMPRow{"", VarList.Values()});
    }
    const std::vector<CvSNMPRow>& rows = VarList.IsTable() ? VarList.Rows() : scalarRow_;
    selectedRow_ = -1;
    filling_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{filling_};
    listView_->ClearRows();
    for (int i = 0; i < static_cast<int>(rows.size()); ++i) {
        if (!AcceptRow(rows[i], i)) continue;
        QString caption;
        QStringList subItems;
        BuildListRow(rows[i], i, caption, subItems);
        listView_->AddRow(caption, subItems, i);
    }
    if (selectFirst_ && listView_->RowCount() > 0) listView_->SelectRow(0);
    // Raised here rather than in the selection handler: an exception must not unwind through
    // Qt's signal delivery.
    if (std::exception_ptr error = std::exchange(fillError_, nullptr))
        std::rethrow_exception(error);
}

void CvSNMPRequest2Edits::onRowSelected(int row) {
    const CvSNMPRow* source = listView_ ? rowAt(listView_->RowTag(row)) : nullptr;
    if (!source) return;
    selectedRow_ = listView_->RowTag(row);
    std::vector<std::string>& values = VarList.Values();
    values = source->values;
    values.resize(VarList.Count());
    try {
        showValues(values);
    } catch (const std::exception& e) {
        // An error while a read fills the list belongs to that read.
        if (filling_)
            fillError_ = std::current_exception();
        else
            WriteLog(e.what());
    }
}

void CvSNMPRequest2Edits::showValues(const std::vector<std::string>& values) {
    for (const auto& binding : bindings_) {
        const CvSNMPVarItem& item = VarList.GetItem(binding->item);
        // Index columns are never read, but every row brings their values in its instance.
        bool isKey = VarList.IsTable() && binding->item < VarList.KeyCount();
        if (!isReadable(item) && !isKey) continue;
        const std::string value =
            binding->item < static_cast<int>(values.size()) ? values[binding->item] : std::string();
        binding->show(item, value, CellText(binding->item, value));
    }
}

void CvSNMPRequest2Edits::CollectControls() {
    std::vector<std::string>& values = VarList.Values();
    values.assign(VarList.Count(), std::string());
    if (const CvSNMPRow* row = listView_ ? rowAt(selectedRow_) : nullptr) {
        for (size_t i = 0; i < row->values.size() && i < values.size(); ++i)
            values[i] = row->values[i];
    }
    std::vector<bool> unread(VarList.Count(), false);
    for (const auto& binding : bindings_) {
        const CvSNMPVarItem& item = VarList.GetItem(binding->item);
        std::string& value = values[binding->item];
        value = binding->collect(item, value);
        unread[binding->item] = binding->unread(item);  // the control whose value is sent
    }
    for (int i = 0; i < VarList.Count(); ++i)
        if (unread[i]) unread_.push_back(i);
}

void CvSNMPRequest2Edits::MarkChosen(QWidget* control) {
    MarkDerived(control, true);
}

void CvSNMPRequest2Edits::MarkDerived(QWidget* control, bool fromKnownValues) {
    markKnownControl(control, fromKnownValues);
}

bool CvSNMPRequest2Edits::IsKnown(const QWidget* control) {
    return isKnownControl(control);
}

// Only a success counts: a failed re-read leaves what an earlier read of this visit brought,
// which is still the device's value, and a page that selects it again before a set (Qt reports
// no change) must not find it withheld.
void CvSNMPRequest2Edits::ReadSucceeded(const std::vector<int>& items) {
    for (const auto& binding : bindings_)
        if (std::find(items.begin(), items.end(), binding->item) != items.end())
            binding->markKnown(true);
}
