#pragma once

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <exception>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "library/snmp/CvSNMPRequest.h"
#include "library/snmp/CvSNMPVarList.h"

class QWidget;
class QComboBox;
class QLabel;
class QCheckBox;
class CvEdit;
class CvListView;
class CvStatusBar;
class CvEditConstraint;

namespace cv_detail {
// Owns the embedded request ahead of the members that refer to it.
struct RequestHolder {
    RequestHolder();
    ~RequestHolder();
    std::unique_ptr<CvSNMPRequest> request_;
};
}  // namespace cv_detail

// A request bound to form controls: Get reads the device into the controls, Set collects the
// controls into the items and writes them. Mode 1 (the default) is asynchronous: Get and Set
// return once the request is issued and the outcome arrives later, on the UI thread, in this
// order: controls filled, after hook, result routine, closure, then the re-read that follows a
// set. Mode 0 blocks until the answer or the time-out.
class CvSNMPRequest2Controls : public QObject, private cv_detail::RequestHolder {
    Q_OBJECT
  public:
    using Closure = std::function<void(CvSNMPRequest2Controls* sender, const CvSNMPError& error)>;
    using Hook = void (*)();

    explicit CvSNMPRequest2Controls(QWidget* owner);
    ~CvSNMPRequest2Controls() override;  // cancels what is outstanding; nothing runs afterwards
    CvSNMPRequest2Controls(const CvSNMPRequest2Controls&) = delete;
    CvSNMPRequest2Controls& operator=(const CvSNMPRequest2Controls&) = delete;

    // The embedded request: device settings, retries, the result routine (SetResultRoutine).
    CvSNMPRequest& request() { return *request_; }
    const CvSNMPRequest& request() const { return *request_; }

    int Mode = 1;         // 0 synchronous, 1 asynchronous
    int Timeout = 100;    // units of 10 ms; copied into the request at each Get and Set
    bool Enabled = true;  // cleared: Get and Set send nothing and return false; a walk stops

    Closure OnAfterGet;  // asynchronous get ended (success or failure); a walk calls it once
    Closure OnAfterSet;  // asynchronous set ended (success or failure)

    Hook BeforeGetHook = nullptr;  // before every Get
    Hook BeforeSetHook = nullptr;  // before every Set
    Hook AfterGetHook = nullptr;   // after a synchronous get, or an asynchronous one that succeeded
    Hook AfterSetHook = nullptr;   // after a synchronous set, or an asynchronous one that succeeded

    // The items and their values: the embedded request's list. Pages assign a new list
    // (VarList = CvSNMPVarList(table, type, keys)) and change access words
    // (VarList.GetItem(i).access = 6) before a set.
    CvSNMPVarList& VarList;

    // An operation of this request is in flight.
    bool Busy() const;

    // Reads the items into the bound controls. Synchronous: true on success, false on an SNMP
    // failure; a failure of the access layer (or a value a control cannot take) throws
    // CvSNMPException. Asynchronous: true once issued (false when it cannot be sent).
    bool Get();
    // Writes the writable items. prepare: first clears every value and collects the bound
    // controls (and the selected list-view row) into the items. reread: reads a table list again
    // afterwards. text is accepted and ignored. Results as for Get.
    // A prepared set leaves out each item bound to an edit, combo box or check box whose content
    // no read of this visit has brought (every read of it failed, or none has come yet) and that
    // neither the user nor the page has chosen: an empty edit, combo or box there is no value of
    // the device's, and writing it as "", 0 or 0.0.0.0 would overwrite the device's setting.
    // The rest goes out; the set then ends with kUnreadCode unless the rest failed. When nothing
    // is left to send, nothing is sent.
    bool Set(bool reread, bool prepare, const char* text = "");
    static constexpr int kUnreadCode = -513;
    // The outcome of a set that left a value out as unread: kUnreadCode and its text.
    static CvSNMPError unreadOutcome();
    // The last Set left out an item as unread (and perhaps sent the rest).
    bool Withheld() const { return withheld_; }

    // Where error lines of asynchronous answers go; null shows them in a message box captioned
    // with the program's file name.
    void SetLogTarget(CvStatusBar* statusBar);

    // The table row (index into VarList.Rows()) that the next Set writes; -1 when none is.
    int SelectedTableRow() const { return selectedRow_; }

  signals:
    // An asynchronous Get or Set has ended and its routines, closure and any re-read it started
    // have run: Busy() now tells whether more answers are still out.
    void Settled();

  protected:
    // Shows the values just read in the bound controls (or rows in the list view).
    virtual void FillControls() = 0;
    // Copies the bound controls' contents into VarList.Values() before a set with prepare, and
    // names in unread_ the items that set leaves out (see Set).
    virtual void CollectControls() = 0;
    // A read of these items (indexes into VarList) has succeeded.
    virtual void ReadSucceeded(const std::vector<int>& items) = 0;

    // The line written to the log target for an error met while an answer was processed (UTF-8,
    // as the message texts are).
    std::string LogLine(const std::string& error) const;
    void WriteLog(const std::string& error);

    int selectedRow_ = -1;
    std::vector<int> unread_;

  private:
    bool getSync();
    bool getAsync();
    bool setSync(bool reread, const std::string& instance);
    bool setAsync(bool reread, const std::string& instance);
    // Collects the controls when asked and returns the instance the set writes.
    std::string prepareSet(bool prepare);
    void postUnsentSet(const CvSNMPError& error);
    std::vector<int> readableItems() const;
    void completeGet(const CvSNMPError& error, bool sent, const std::vector<int>& items);
    // accepted: the device took what was sent (the table may be read again).
    void completeSet(const CvSNMPError& error, bool sent, bool reread, bool accepted);
    void callResult(const CvSNMPError& error);
    // The after hook and result routine (on success, or when nothing was sent), then the
    // closure; false when one of them destroyed this request.
    bool finish(const CvSNMPError& outcome, bool sent, Hook afterHook, Closure closure);
    static void runHook(Hook hook);

    QPointer<QWidget> owner_;
    QPointer<CvStatusBar> logTarget_;
    int readsInFlight_ = 0;
    int setsInFlight_ = 0;
    bool lastWasSet_ = false;
    bool withheld_ = false;
    bool nothingLeft_ = false;
};

// The request bound to edits, combo boxes, labels, check boxes and one list view, each control
// bound to one item by its index in VarList. Writing a control from here fires no page handler
// (pages listen to activated, textEdited and clicked); a list-view selection notifies always.
class CvSNMPRequest2Edits : public CvSNMPRequest2Controls {
    Q_OBJECT
  public:
    explicit CvSNMPRequest2Edits(QWidget* owner);
    ~CvSNMPRequest2Edits() override;

    // A drop-down list filled with the item's option texts in list order: index i stands for
    // the list's i-th value. Throws -518 without an option list, -504 for a bad index.
    void AssociateComboBox(int item, QComboBox* comboBox);
    // One edit per "%" specifier of the format ("%s", "%h", "%i", "%u", "%f", "%n<delimiter>",
    // with rules in braces); literal text between specifiers splits and joins the value.
    // Throws "(CvCommon) Bad format specifier of edit's constraint!" for a bad format.
    void AssociateEdit(int item, const char* format, std::initializer_list<CvEdit*> edits);
    void AssociateEdit(int item, const char* format, CvEdit* edit) {
        AssociateEdit(item, format, {edit});
    }
    // The caption shows the item's value text after each read; a set sends the caption.
    void AssociateLabel(int item, QLabel* label);
    // Checked when the value is above 0; a set sends 1 or 0. Throws -517 for an item without
    // option list and without boolean syntax.
    void AssociateCheckBox(int item, QCheckBox* checkBox);
    // The list view shows one row per table row; selecting a row (by user or code) loads it into
    // the other bound controls and makes it the row the next Set writes. selectFirst selects
    // row 0 after each read.
    void AssociateListView(CvListView* listView, bool selectFirst);
    // The page has given this bound control its value itself (a fixed value, or one it decided
    // from read or chosen values), perhaps the one it already showed: later sets send it even
    // when no read brought it. A text the page writes into an edit is not chosen until marked; an
    // index it sets in a combo box and a box it checks are.
    static void MarkChosen(QWidget* control);
    // The page has written into this bound control a value it copied or computed from others:
    // it counts as known only when those were (IsKnown), so a copy of a value nobody read is
    // never sent.
    static void MarkDerived(QWidget* control, bool fromKnownValues);
    // The control's content came from a read of this visit, the user or the page's choice.
    static bool IsKnown(const QWidget* control);

  protected:
    // Extension points for requests that list only some rows or caption them differently.
    // Whether a table row (index into VarList.Rows()) gets a list-view row.
    virtual bool AcceptRow(const CvSNMPRow& row, int tableRow);
    // The caption and sub-items of the list-view row for a table row; by default the cells of
    // the list's columns in column order.
    virtual void BuildListRow(const CvSNMPRow& row, int tableRow, QString& caption,
                              QStringList& subItems);
    // The display text of one item's value: the option list's text when there is one.
    QString CellText(int item, const std::string& value) const;

    void FillControls() override;
    void CollectControls() override;
    void ReadSucceeded(const std::vector<int>& items) override;

  private:
    struct Binding;
    void bindingCheck(int item, QWidget* control);
    void showValues(const std::vector<std::string>& values);
    void fillListView();
    void onRowSelected(int row);
    void buildColumns();
    // The row behind a list-view row: a table row, or the one row of a scalar list.
    const CvSNMPRow* rowAt(int tableRow) const;

    std::vector<std::unique_ptr<Binding>> bindings_;
    QPointer<CvListView> listView_;
    bool selectFirst_ = false;
    std::vector<int> columnItems_;
    std::vector<CvSNMPRow> scalarRow_;
    bool filling_ = false;
    std::exception_ptr fillError_;  // met by the selection handler while a read fills the list
};
