#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "library/snmp/CvSNMPSession.h"
#include "library/snmp/CvSNMPVarList.h"

// One SNMP request over a variable list, with its own copy of the device and security settings.
// Synchronous operations block until the answer or the time-out; asynchronous ones return at once
// and complete later on the UI thread through a posted event, never inside the call that sent
// them. Destroying the request cancels what is outstanding: no completion runs afterwards.
//
// SNMP failures (error statuses, time-outs, USM reports) are returned as CvSNMPError; failures of
// the access layer itself (an invalid address, a text that does not convert) throw
// CvSNMPException from synchronous calls, and from asynchronous ones are returned as false with
// the failure posted to the completion (it never runs inside the call).
class CvSNMPRequest {
  public:
    using Completion = std::function<void(const CvSNMPError&)>;

    CvSNMPRequest();  // copies CvSNMPSession::Defaults(); one retry
    ~CvSNMPRequest();
    CvSNMPRequest(const CvSNMPRequest&) = delete;
    CvSNMPRequest& operator=(const CvSNMPRequest&) = delete;

    CvSNMPSettings Settings;  // Settings.timeout in units of 10 ms (scaled by the time scale)
    int Retries = 1;
    CvSNMPVarList VarList;

    // Reads the readable items: one get for SVT_SV (".0" appended) and MVT_SV (OIDs as written),
    // a get-next walk for tables (one row per round trip, rows into VarList.Rows()). On success
    // VarList.Values() (scalars) or VarList.Rows() (tables) hold the new values.
    CvSNMPError Get();
    // Sends the sendable items' current VarList.Values() with the write community: for tables
    // (except the index columns) at the given instance suffix, for SVT_SV at ".0", for MVT_SV as
    // written. No sendable item: a set without variables. leftOut names items (indexes into
    // VarList) that stay out however they are marked.
    CvSNMPError Set(const std::string& instance = "", const std::vector<int>& leftOut = {});

    // Asynchronous forms: true once sent. VarList is updated just before the completion runs; a
    // walk buffers its rows and writes them whole at its end, so two walks never interleave.
    bool GetAsync(Completion done);
    bool SetAsync(Completion done, const std::string& instance = "",
                  const std::vector<int>& leftOut = {});

    // Asked before each further row of an asynchronous walk; false ends the walk with code 0 and
    // the rows read so far.
    std::function<bool()> ContinueWalk;

    bool Busy() const;  // an asynchronous operation is outstanding
    void Cancel();      // drops every outstanding operation; no completion runs for them

    // The page's result routine; the bound request layer calls it in its order of completion.
    void SetResultRoutine(std::function<void(const CvSNMPError&)> routine) {
        result_ = std::move(routine);
    }
    const std::function<void(const CvSNMPError&)>& ResultRoutine() const { return result_; }

  private:
    CvSNMPError getNow();
    // How long a synchronous operation may wait for the device: time-out times tries.
    long long wait() const;

    struct Impl;
    std::unique_ptr<Impl> impl_;
    std::function<void(const CvSNMPError&)> result_;
};

// One action of the user on a page: its creation, a Refresh, a Save with its re-reads. Once a
// synchronous request of the action finds the device silent (a time-out, not an error answer),
// each later synchronous request of the action whose wait (time-out times tries) is no longer
// than the longest silent wait so far ends at once with that time-out instead of waiting for it
// in turn, which held the window for minutes; a request allowed longer is still sent. The next
// action asks the device again. Asynchronous requests go out as ever. Opened while an action of
// the same event-loop level is open, it joins that one; a modal loop in between (a message box,
// a countdown) runs actions of its own.
class CvSNMPAction {
  public:
    CvSNMPAction();
    ~CvSNMPAction();
    CvSNMPAction(const CvSNMPAction&) = delete;
    CvSNMPAction& operator=(const CvSNMPAction&) = delete;

  private:
    bool opened_ = false;
};
