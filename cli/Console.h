// The two output streams of tern-flash, shared by the threads of one command: results go to
// `out`, errors to `err`. Every call writes whole lines under one lock, so the discovery
// worker, the progress drawn by the main thread and the signal watcher never interleave
// inside a line. The play thread never writes here: a call may wait as long as the terminal.
#pragma once

#include <mutex>
#include <ostream>
#include <string_view>

namespace tern::cli {

class Console {
public:
    Console(std::ostream& out, std::ostream& err) : m_out(out), m_err(err) {}
    Console(const Console&) = delete;
    Console& operator=(const Console&) = delete;

    void Out(std::string_view line);
    void Err(std::string_view line);
    // Redraws the progress bar line in place (carriage return, no newline); the next whole
    // line written to either stream first ends it.
    void Redraw(std::string_view text);
    // Ends the redrawn line, if one is open.
    void EndRedrawnLine();

private:
    void EndRedrawnLineLocked();

    std::mutex m_mutex;
    std::ostream& m_out;
    std::ostream& m_err;
    bool m_lineOpen = false;
};

}  // namespace tern::cli
