#include "cli/Console.h"

namespace tern::cli {

void Console::Out(std::string_view line) {
    std::lock_guard lock(m_mutex);
    EndRedrawnLineLocked();
    m_out << line << '\n' << std::flush;
}

void Console::Err(std::string_view line) {
    std::lock_guard lock(m_mutex);
    EndRedrawnLineLocked();
    m_err << line << '\n' << std::flush;
}

void Console::Redraw(std::string_view text) {
    std::lock_guard lock(m_mutex);
    m_out << '\r' << text << std::flush;
    m_lineOpen = true;
}

void Console::EndRedrawnLine() {
    std::lock_guard lock(m_mutex);
    EndRedrawnLineLocked();
}

void Console::EndRedrawnLineLocked() {
    if (m_lineOpen) {
        m_out << '\n' << std::flush;  // before anything goes to the other stream
        m_lineOpen = false;
    }
}

}  // namespace tern::cli
