// Writes application icon 128 as a PNG of the size given, for the desktop's icon theme.
#include <QImage>
#include <cstdio>
#include <cstdlib>

#include "res/AppIcon.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s SIZE OUTPUT.png\n", argv[0]);
        return 1;
    }
    const int size = std::atoi(argv[1]);
    if (size < 16 || size > 1024 || !tern::res::RenderAppIcon(size).save(argv[2], "PNG")) {
        std::fprintf(stderr, "%s: cannot write the icon\n", argv[2]);
        return 1;
    }
    return 0;
}
