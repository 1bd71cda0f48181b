// make_icon_source <icon text> <output .cpp> <resource id> <function>: writes a source file
// whose function registers the icon's pixels as the program's icon resource of that id.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "tools/ToolFiles.h"
#include "tools/icon/IconText.h"

int main(int argc, char** argv) {
    if (argc != 5) {
        fprintf(stderr, "usage: make_icon_source <icon text> <output .cpp> <resource id> <function>\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        fprintf(stderr, "make_icon_source: cannot read %s\n", argv[1]);
        return 1;
    }
    std::stringstream text;
    text << in.rdbuf();
    CIconImage icon;
    std::string error;
    if (!ParseIconText(text.str(), &icon, &error)) {
        fprintf(stderr, "make_icon_source: %s: %s\n", argv[1], error.c_str());
        return 1;
    }

    std::ostringstream source;
    source << "// Made by make_icon_source from " << argv[1] << "; edit that file, not this one.\n"
           << "#include <cstdint>\n\n#include \"winapi/window/WinLayer.h\"\n\nnamespace {\nconst uint8_t kPixels[] = {";
    for (size_t i = 0; i < icon.rgba.size(); ++i)
        source << (i % 16 ? " " : "\n    ") << static_cast<int>(icon.rgba[i]) << ",";
    source << "\n};\n}  // namespace\n\nvoid " << argv[4] << "() {\n    winapi::RegisterIconResource(" << argv[3]
           << ", " << icon.width << ", " << icon.height << ", kPixels);\n}\n";

    const std::string written = source.str();
    return WriteToolOutput("make_icon_source", argv[2], written.data(), written.size()) ? 0 : 1;
}
