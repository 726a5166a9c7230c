#pragma once

#include <string>

#include "settings_store.h"

// What the editor says, in its own words, about a save: the same words in
// the window's message boxes and on the console.
namespace settings {

struct SaveMessage {
    enum Kind {
        None,     // saved, and the filter reads it all
        Notice,   // saved, but the filter reads a value only in part
        Refusal,  // a text that the file cannot hold: nothing saved
        Failure,  // the file could not be written: nothing saved
    } kind = None;
    std::wstring text;  // one line of what happened, then why or what to do
};

// The message for a save's report. (A save that another program's change
// stopped is a question, which the caller asks.)
SaveMessage DescribeSave(const ProtectionSettings& settings, const SaveReport& report);

// For each value the filter reads only in part, a line beginning with a
// line break that says so: for a list, how many items it reads, of how
// many, and the first it leaves out.
std::wstring FilterReadingLines(const ProtectionSettings& settings, const FilterReading& reading);

// A text as a message names it: shortened when long, on one line, in quotes.
std::wstring Quoted(const std::wstring& text);

}  // namespace settings
