// Writes the Windows executable's resource script from the program's own resource data: the
// dialog templates, the string table, icon 128, the manifest and the version block. The
// dialogs are described once, in DialogTemplates.cpp; this is how the Windows build gets them.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <string_view>

#include "res/DialogTemplates.h"
#include "res/Strings.h"
#include "res/resource.h"

namespace {

using namespace tern::platform;

// A string as a resource-script literal.
std::string Quoted(std::string_view text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"') {
            out += "\"\"";
        } else if (c == '\\') {
            out += "\\\\";
        } else {
            out += c;
        }
    }
    return out + "\"";
}

// Joins the names of the bits set, or gives `none` when there are none.
class Flags {
public:
    void Add(bool set, const char* name) {
        if (set) {
            m_text += (m_text.empty() ? "" : " | ") + std::string(name);
        }
    }
    std::string Text(const char* none = "0") const { return m_text.empty() ? none : m_text; }

private:
    std::string m_text;
};

const char* ClassName(ControlKind kind) {
    switch (kind) {
        case ControlKind::Edit:
            return "Edit";
        case ControlKind::PushButton:
            return "Button";
        case ControlKind::ProgressBar:
            return "msctls_progress32";
        case ControlKind::Static:
        case ControlKind::Icon:
            break;
    }
    return "Static";
}

std::string ControlStyle(const ControlTemplate& c) {
    const uint32_t s = c.styles;
    Flags f;
    switch (c.kind) {
        case ControlKind::Static:
            f.Add(s & kStyleRight, "SS_RIGHT");
            f.Add(s & kStyleCenter, "SS_CENTER");
            f.Add(s & kStyleVCenter, "SS_CENTERIMAGE");
            break;
        case ControlKind::Icon:
            f.Add(true, "SS_ICON");
            break;
        case ControlKind::Edit:
            f.Add(s & kStyleReadOnly, "ES_READONLY");
            f.Add(s & kStyleAutoHScroll, "ES_AUTOHSCROLL");
            break;
        case ControlKind::PushButton:
            f.Add(true, (s & kStyleDefaultButton) ? "BS_DEFPUSHBUTTON" : "BS_PUSHBUTTON");
            break;
        case ControlKind::ProgressBar:
            f.Add(s & kStyleSmooth, "PBS_SMOOTH");
            break;
    }
    f.Add(s & kStyleBorder, "WS_BORDER");
    f.Add(s & kStyleGroup, "WS_GROUP");
    f.Add(s & kStyleTabStop, "WS_TABSTOP");
    f.Add(s & kStyleDisabled, "WS_DISABLED");
    return f.Text();
}

std::string ControlExStyle(const ControlTemplate& c) {
    Flags f;
    f.Add(c.styles & kStyleStaticEdge, "WS_EX_STATICEDGE");
    f.Add(c.styles & kStyleSunken, "WS_EX_CLIENTEDGE");
    return f.Text();
}

void WriteDialog(std::ostream& out, const DialogTemplate& t) {
    Flags style;
    style.Add(true, "DS_SETFONT");
    style.Add(t.styles & kDialogModalFrame, "DS_MODALFRAME");
    style.Add(t.styles & kDialog3DLook, "DS_3DLOOK");
    style.Add(true, "WS_POPUP");
    style.Add(t.styles & kDialogCaption, "WS_CAPTION");
    style.Add(t.styles & kDialogSystemMenu, "WS_SYSMENU");
    style.Add(t.styles & kDialogMinimizeBox, "WS_MINIMIZEBOX");
    Flags exStyle;
    exStyle.Add(t.styles & kDialogAppWindow, "WS_EX_APPWINDOW");
    exStyle.Add(t.styles & kDialogStaticEdge, "WS_EX_STATICEDGE");

    out << t.id << " DIALOGEX 0, 0, " << t.cx << ", " << t.cy << "\n"
        << "STYLE " << style.Text() << "\n"
        << "EXSTYLE " << exStyle.Text() << "\n"
        << "CAPTION " << Quoted(t.title) << "\n"
        << "FONT " << t.fontPointSize << ", " << Quoted(t.fontFamily) << ", 400, 0, 0x1\n"
        << "BEGIN\n";
    for (const ControlTemplate& c : t.controls) {
        // An icon control's text is the number of the icon resource it shows.
        const std::string text =
            c.kind == ControlKind::Icon ? std::to_string(c.iconId) : Quoted(c.text);
        out << "  CONTROL " << text << ", " << c.id << ", " << Quoted(ClassName(c.kind)) << ", "
            << ControlStyle(c) << ", " << c.x << ", " << c.y << ", " << c.cx << ", " << c.cy << ", "
            << ControlExStyle(c) << "\n";
    }
    out << "END\n\n";
}

void WriteStrings(std::ostream& out) {
    out << "STRINGTABLE\nBEGIN\n";
    for (int id : {IDS_ABOUTBOX, IDS_APP_TITLE}) {
        out << "  " << id << ", " << Quoted(tern::res::LoadString(id)) << "\n";
    }
    out << "END\n\n";
}

// "1.0.0.0" as the version block's "1,0,0,0"; false unless it is four numbers.
bool VersionNumbers(const std::string& version, std::string& numbers) {
    int parts[4];
    char end = 0;
    if (std::sscanf(version.c_str(), "%d.%d.%d.%d%c", &parts[0], &parts[1], &parts[2], &parts[3],
                    &end) != 4) {
        return false;
    }
    numbers.clear();
    for (int i = 0; i < 4; ++i) {
        if (parts[i] < 0 || parts[i] > 65535) {
            return false;
        }
        numbers += (i ? "," : "") + std::to_string(parts[i]);
    }
    return true;
}

void WriteVersion(std::ostream& out, const std::string& version, const std::string& numbers) {
    const std::string title = Quoted(tern::res::LoadString(IDS_APP_TITLE));
    out << "1 VERSIONINFO\n"
        << "FILEVERSION " << numbers << "\n"
        << "PRODUCTVERSION " << numbers << "\n"
        << "FILEFLAGSMASK 0x3F\nFILEFLAGS 0x0\nFILEOS VOS_NT_WINDOWS32\n"
        << "FILETYPE VFT_APP\nFILESUBTYPE VFT2_UNKNOWN\n"
        << "BEGIN\n"
        << "  BLOCK \"StringFileInfo\"\n  BEGIN\n    BLOCK \"040904B0\"\n    BEGIN\n"
        << "      VALUE \"FileDescription\", " << title << "\n"
        << "      VALUE \"FileVersion\", " << Quoted(version) << "\n"
        << "      VALUE \"InternalName\", \"tern-update\"\n"
        << "      VALUE \"OriginalFilename\", \"tern-update.exe\"\n"
        << "      VALUE \"ProductName\", " << title << "\n"
        << "      VALUE \"ProductVersion\", " << Quoted(version) << "\n"
        << "    END\n  END\n"
        << "  BLOCK \"VarFileInfo\"\n  BEGIN\n    VALUE \"Translation\", 0x409, 1200\n  END\n"
        << "END\n";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s OUTPUT.rc VERSION ICON.ico MANIFEST\n", argv[0]);
        return 1;
    }
    std::string numbers;
    if (!VersionNumbers(argv[2], numbers)) {
        std::fprintf(stderr, "%s: not a version of four numbers\n", argv[2]);
        return 1;
    }
    std::ostringstream rc;
    rc << "// Made by make-rc from the program's resource data; changes here are lost.\n"
       << "#include <windows.h>\n#include <commctrl.h>\n\n";
    WriteDialog(rc, tern::res::MainDialogTemplate());
    WriteDialog(rc, tern::res::AboutDialogTemplate());
    WriteStrings(rc);
    rc << IDR_MAINFRAME << " ICON " << Quoted(argv[3]) << "\n"
       << "1 24 " << Quoted(argv[4]) << "\n\n";
    WriteVersion(rc, argv[2], numbers);

    std::ofstream file(argv[1], std::ios::binary);
    file << rc.str();
    file.close();
    if (!file) {
        std::fprintf(stderr, "%s: cannot write the resource script\n", argv[1]);
        return 1;
    }
    return 0;
}
