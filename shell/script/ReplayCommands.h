#pragma once
// The commands of kelvane-headless that recordings (TRecorder) are written in, besides the
// input commands they share with hand-written scripts:
//   recorded PROGRAM VERSION FORM   the recording's origin: another version or another form
//                                   than the one replaying it is an error; from here on the
//                                   timers fall due only as "ticks" lines say
//   ticks MS [NAME[*N]]...          MS milliseconds pass in which exactly these timer messages
//                                   are dispatched, in this order (NAME*N: N in a row)
//   keydown KEY CHAR [MODIFIERS]    one key-down message: KEY a key's name as "key" takes it
//                                   or its code ("-" or 0: a character alone), CHAR U+XXXX or
//                                   "-" for none
//   keyup KEY [MODIFIERS]           one key-up message
//   mouseleave                      the mouse left the window
//   activate, deactivate            the window gained or lost the focus
//   expect PATH VALUE               the property's value is VALUE, in the notation of "get"
//   expect-frame SHA256             the window's picture has this fingerprint
// A failed check is an error naming what differs.
#include <iosfwd>
#include <string>

class TCommonCustomForm;
class TPlatformWindow;
class TScriptHost;

/// The commands of recordings (recorded, ticks, keydown, keyup, expect, expect-frame, ...).
class THeadlessReplay {
 public:
  static bool IsCommand(const std::string& Command);
  void Run(const std::string& Command, const std::string& Rest, TCommonCustomForm& Form, TPlatformWindow& Window,
           TScriptHost& Host);
};
