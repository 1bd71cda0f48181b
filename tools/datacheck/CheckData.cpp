// check_data <game root>: the game root checked against what the game looks up, one line per
// problem on the standard error, each naming the file and the line or block. Exit status 0
// when clean, 1 with problems, 2 for a bad command line. Nothing in the root is written.
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "tools/datacheck/DataCheck.h"

int main(int argc, char** argv) {
    if (argc != 2 || !argv[1][0]) {
        fprintf(stderr, "usage: check_data <game root>\n");
        return 2;
    }
    // The game's paths are relative to its root, and so are the ones its scripts name.
    if (chdir(argv[1]) != 0) {
        fprintf(stderr, "check_data: cannot enter the game root %s: %s\n", argv[1], strerror(errno));
        return 1;
    }
    const std::vector<std::string> problems = CheckGameRoot(GameLookups());
    for (const std::string& problem : problems)
        fprintf(stderr, "%s\n", problem.c_str());
    if (problems.empty())
        return 0;
    fprintf(stderr, "check_data: %zu problem%s in %s\n", problems.size(), problems.size() == 1 ? "" : "s", argv[1]);
    return 1;
}
