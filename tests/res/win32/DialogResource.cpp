#include "tests/res/win32/DialogResource.h"

#include <cctype>

namespace tern::test {
namespace {

// Reads little-endian fields, failing (not reading past the end) once the data runs out.
class Reader {
public:
    explicit Reader(const std::vector<uint8_t>& data) : m_data(data) {}

    bool ok() const { return m_ok; }
    uint16_t Word() {
        if (!Need(2)) {
            return 0;
        }
        const uint16_t v = static_cast<uint16_t>(m_data[m_at] | (m_data[m_at + 1] << 8));
        m_at += 2;
        return v;
    }
    uint32_t Dword() {
        const uint32_t low = Word();
        return low | (static_cast<uint32_t>(Word()) << 16);
    }
    int16_t Short() { return static_cast<int16_t>(Word()); }
    uint8_t Byte() {
        if (!Need(1)) {
            return 0;
        }
        return m_data[m_at++];
    }
    // A zero-ended UTF-16 string; every character here is ASCII.
    std::string Text() {
        std::string out;
        for (uint16_t c = Word(); m_ok && c != 0; c = Word()) {
            out += c < 0x80 ? static_cast<char>(c) : '?';
        }
        return out;
    }
    // A name or a resource number (0xFFFF then the number); no name is the empty string.
    std::string NameOrNumber(int& number) {
        number = -1;
        if (!Need(2)) {
            return {};
        }
        if (m_data[m_at] == 0xFF && m_data[m_at + 1] == 0xFF) {
            m_at += 2;
            number = Word();
            return {};
        }
        return Text();
    }
    void AlignDword() { m_at = (m_at + 3) & ~size_t{3}; }
    void Skip(size_t n) {
        if (Need(n)) {
            m_at += n;
        }
    }
    bool AtEnd() const { return m_at >= m_data.size(); }

private:
    bool Need(size_t n) {
        if (m_data.size() < n || m_at > m_data.size() - n) {
            m_ok = false;
        }
        return m_ok;
    }

    const std::vector<uint8_t>& m_data;
    size_t m_at = 0;
    bool m_ok = true;
};

std::string PredefinedClass(int atom) {
    switch (atom) {
        case 0x80:
            return "button";
        case 0x81:
            return "edit";
        case 0x82:
            return "static";
        default:
            return "#" + std::to_string(atom);
    }
}

std::string Lower(std::string s) {
    for (char& c : s) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return s;
}

}  // namespace

std::optional<DialogResource> ParseDialogResource(const std::vector<uint8_t>& data) {
    Reader r(data);
    if (r.Word() != 1 || r.Word() != 0xFFFF) {
        return std::nullopt;  // not an extended template
    }
    DialogResource d;
    r.Dword();  // help id
    d.exStyle = r.Dword();
    d.style = r.Dword();
    const uint16_t count = r.Word();
    d.x = r.Short();
    d.y = r.Short();
    d.cx = r.Short();
    d.cy = r.Short();
    int number = 0;
    r.NameOrNumber(number);  // menu
    r.NameOrNumber(number);  // window class
    d.title = r.Text();
    if (d.style & 0x40) {  // DS_SETFONT
        d.pointSize = r.Word();
        d.weight = r.Word();
        r.Byte();  // italic
        r.Byte();  // character set
        d.font = r.Text();
    }
    for (uint16_t i = 0; i < count && r.ok(); ++i) {
        r.AlignDword();
        DialogControlResource c;
        r.Dword();  // help id
        c.exStyle = r.Dword();
        c.style = r.Dword();
        c.x = r.Short();
        c.y = r.Short();
        c.cx = r.Short();
        c.cy = r.Short();
        c.id = r.Dword();
        int atom = -1;
        c.className = Lower(r.NameOrNumber(atom));
        if (atom >= 0) {
            c.className = PredefinedClass(atom);
        }
        c.text = r.NameOrNumber(c.textOrdinal);
        r.Skip(r.Word());  // creation data
        d.controls.push_back(c);
    }
    if (!r.ok()) {
        return std::nullopt;
    }
    return d;
}

}  // namespace tern::test
