#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <vector>

class QWidget;

// The one seam between the module and the desktop: modal boxes, file dialogs, the beep, the
// end of the application, blocking waits and the PC clock. The Qt implementation is installed by
// default; tests install the scripted one, which records every box and answers scripted choices.
namespace platform {

enum class BoxButtons { Ok, OkCancel };
enum class BoxResult { Ok, Cancel };

struct BoxRecord {
    QString caption;
    QString text;
    BoxButtons buttons;
};

class Ui {
  public:
    virtual ~Ui() = default;
    virtual BoxResult messageBox(QWidget* parent, const QString& caption, const QString& text,
                                 BoxButtons buttons) = 0;
    // filter in the original form ".dcf document|*.dcf|All Files|*.*"; empty result = cancelled.
    virtual QString openFileName(QWidget* parent, const QString& filter,
                                 const QString& defaultExt) = 0;
    virtual QString saveFileName(QWidget* parent, const QString& filter,
                                 const QString& defaultExt) = 0;
    virtual void beep() = 0;
    // Ends the application with the exit code (the real one exits the process).
    virtual void terminate(int exitCode) = 0;
    // Blocks the user-interface thread for the time (scaled) while still delivering no events.
    virtual void blockingWait(int milliseconds) = 0;
    virtual QDateTime now() = 0;
};

// The installed implementation (the Qt one unless a test installed another). Installing null
// puts the Qt one back.
Ui& ui();
void installUi(std::unique_ptr<Ui> ui);

// ".dcf document|*.dcf|All Files|*.*" -> ".dcf document (*.dcf);;All Files (*.*)"
QString toQtFilter(const QString& filter);

// The test double: records boxes, answers OK/Cancel boxes with the queued results (Ok when none
// is queued; an OK-only box answers Ok and leaves the queue alone),
// returns queued file names, counts beeps and records terminate() instead of exiting.
class ScriptedUi : public Ui {
  public:
    // Installs a fresh one in place of the current implementation and returns it.
    static ScriptedUi* install();

    std::vector<BoxRecord> boxes;
    std::vector<BoxResult> answers;    // consumed front first
    QStringList openNames, saveNames;  // consumed front first; empty = cancelled
    int beeps = 0;
    int terminatedWith = -1;
    std::vector<int> waits;
    QDateTime clock;                              // invalid = the real clock
    std::function<void(const BoxRecord&)> onBox;  // called before answering

    BoxResult messageBox(QWidget*, const QString& caption, const QString& text,
                         BoxButtons buttons) override;
    QString openFileName(QWidget*, const QString&, const QString&) override;
    QString saveFileName(QWidget*, const QString&, const QString&) override;
    void beep() override { ++beeps; }
    void terminate(int exitCode) override { terminatedWith = exitCode; }
    void blockingWait(int milliseconds) override { waits.push_back(milliseconds); }
    QDateTime now() override;
};

}  // namespace platform
