#include "platform/Terminal.h"

#include <windows.h>

#include "backend/CodePage.h"

#include <iostream>
#include <streambuf>
#include <string>

namespace tern::platform {
namespace {

// How many of `text`'s bytes end on a whole UTF-8 sequence: a sequence cut short at the end
// waits for the rest, so that a character is never written in two halves.
size_t WholeSequences(const std::string& text) {
    const size_t size = text.size();
    // A sequence is at most four bytes: its lead byte is among the last three, or it is whole.
    for (size_t back = 1; back <= 3 && back <= size; ++back) {
        const auto byte = static_cast<unsigned char>(text[size - back]);
        if ((byte & 0xC0) == 0x80) {
            continue;  // a continuation byte: the lead is further back
        }
        const size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
        return length > back ? size - back : size;
    }
    return size;
}

// Writes the program's text to a console as its characters (WriteConsoleW): a console reads
// bytes in its own code page, which is seldom the program's. The program's code page is UTF-8
// where the system honours its manifest, else the machine's ANSI code page.
class ConsoleTextBuffer final : public std::streambuf {
public:
    explicit ConsoleTextBuffer(HANDLE console) : m_console(console), m_utf8(GetACP() == CP_UTF8) {}

protected:
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof())) {
            return traits_type::not_eof(c);
        }
        const char byte = traits_type::to_char_type(c);
        return xsputn(&byte, 1) == 1 ? c : traits_type::eof();
    }
    std::streamsize xsputn(const char* text, std::streamsize count) override {
        m_pending.append(text, static_cast<size_t>(count));
        // Text that nobody flushes is written in pieces of a bounded size.
        return m_pending.size() < kPieceBytes || WriteWholeSequences() ? count : 0;
    }
    int sync() override { return WriteWholeSequences() ? 0 : -1; }

private:
    static constexpr size_t kPieceBytes = 4096;

    bool WriteWholeSequences() {
        const size_t whole = m_utf8 ? WholeSequences(m_pending) : m_pending.size();
        if (whole == 0) {
            return true;
        }
        // Bytes that are not text in the code page show as U+FFFD.
        const std::wstring wide = Wide(std::string_view(m_pending).substr(0, whole));
        m_pending.erase(0, whole);
        for (size_t done = 0; done < wide.size();) {
            DWORD written = 0;
            if (!WriteConsoleW(m_console, wide.data() + done,
                               static_cast<DWORD>(wide.size() - done), &written, nullptr) ||
                written == 0) {
                return false;
            }
            done += written;
        }
        return true;
    }

    const HANDLE m_console;
    const bool m_utf8;
    std::string m_pending;
};

void ShowOnConsole(DWORD which, std::ostream& stream) {
    const HANDLE handle = GetStdHandle(which);
    DWORD mode = 0;
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE || !GetConsoleMode(handle, &mode)) {
        return;  // a file or a pipe takes the bytes as they are
    }
    stream.flush();
    // Never destroyed: the streams are flushed once more after every static object has gone.
    stream.rdbuf(new ConsoleTextBuffer(handle));
}

}  // namespace

bool StandardOutputIsTerminal() {
    // Only a console has a console mode; a file or a pipe refuses the call.
    DWORD mode = 0;
    return GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode) != 0;
}

void IgnoreBrokenPipe() {
    // A write to a closed pipe fails here already; no signal ends the process.
}

bool StandardOutputReaderGone() {
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if (out == nullptr || out == INVALID_HANDLE_VALUE || GetFileType(out) != FILE_TYPE_PIPE) {
        return false;
    }
    // Writing nothing still fails on a pipe whose reading end has been closed.
    DWORD written = 0;
    if (WriteFile(out, "", 0, &written, nullptr)) {
        return false;
    }
    const DWORD error = GetLastError();
    return error == ERROR_NO_DATA || error == ERROR_BROKEN_PIPE;
}

void ShowUtf8OnConsole() {
    ShowOnConsole(STD_OUTPUT_HANDLE, std::cout);
    ShowOnConsole(STD_ERROR_HANDLE, std::cerr);
}

void StopAsJobControlWould() {
    // A console has no job control: there is nothing to stop as.
}

}  // namespace tern::platform
