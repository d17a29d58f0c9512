// SPDX-License-Identifier: MIT
#pragma once
#include <QString>
#include <string>

#include "console/generic_vb_diag.h"
#include "console/qt_host.h"

namespace qvm {

// --poll: Quick Setup's actions polled for a while, each sample recorded as "Record to CSV while
// polling" does when a file is given.
struct TimedPoll {
  int seconds = 0;
  // The polling interval typed into the console; 0 keeps the console's.
  int intervalMs = 0;
  QString csvFile;
};

// Starts polling on the connected console. `answers` is the host's answer hook in force, put
// back once the recording's file was taken. False, with the reason on stderr, when polling or
// the recording did not start.
bool StartTimedPoll(GenericVbDiag& console, QtHost& host, const QtHost::AnswerHook& answers,
                    const TimedPoll& poll);

// Stops polling and the recording; says on stderr how many samples went to the file. False when
// polling had stopped before (the link was lost) or the file was not written whole.
bool StopTimedPoll(GenericVbDiag& console, const TimedPoll& poll);

// Polls for the whole time in an event loop of its own, then stops: StartTimedPoll, the wait,
// StopTimedPoll. The wait ends early when polling stops by itself.
bool RunTimedPoll(GenericVbDiag& console, QtHost& host, const QtHost::AnswerHook& answers,
                  const TimedPoll& poll);

}  // namespace qvm
