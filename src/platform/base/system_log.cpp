// The system's log: one syslog line per event, which the journal keeps under the same tag.
#include "platform/eventlog.h"

#include <string>
#include <syslog.h>

namespace wincompat {

void writeSystemLog(EventSeverity severity, const std::string& text)
{
    std::string line = text;
    for (char& c : line)
        if (c == '\n' || c == '\r')
            c = ' ';
    // Neither LOG_CONS nor LOG_PERROR: without a daemon the line is dropped, never shown to the user.
    openlog("tallyrune-update", LOG_PID, LOG_USER);
    syslog(severity == EventSeverity::Information ? LOG_INFO : LOG_WARNING, "%s", line.c_str());
    closelog();
}

} // namespace wincompat
