#pragma once

#include <string>
#include <string_view>

namespace scalectl {

// The driver reports a failure by its code and writes the cause into its log. scalectl marks where the log
// ends before each driver call; when the call fails, the error lines written since the mark are its cause.
// The log is shared with other programs that use the driver, so a line of theirs written in the same
// moment can show up too; a log level above "error" leaves the cause empty.

// Remembers the end of the driver's log as it is now.
void MarkLog();

// The error lines written since the last mark, without their time stamps, levels, unit prefixes and the
// driver's own "ended with" summaries, joined by "; "; empty when there are none.
std::string LoggedCause();

// One logged message as shown: "[time] [error] Norvell::Balvex::Driver::unit, Class::Call(...), text" becomes
// "text"; lines that are not error or critical, and the summary lines, give "".
std::string CauseOfLogLine(std::string_view line);

// Control characters (C0, DEL and C1) as \xNN, so a stored text cannot drive the user's terminal.
std::string EscapeControls(std::string_view text);

}  // namespace scalectl
