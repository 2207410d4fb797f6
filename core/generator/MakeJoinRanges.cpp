// Writes the units that may join as ranges, "{first, last},", one per line, into the file named
// by its argument, for the program to build its table from without asking the boundary finder.
#include "core/JoinTable.h"

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 2)
        return 2;
    std::FILE *out = std::fopen(argv[1], "w");
    if (!out)
        return 1;
    const std::array<unsigned char, 0x10000> table = JoinTable::learn();
    for (unsigned c = 0; c < 0x10000;) {
        if (!table[c]) {
            ++c;
            continue;
        }
        unsigned last = c;
        while (last + 1 < 0x10000 && table[last + 1])
            ++last;
        std::fprintf(out, "{0x%04X, 0x%04X},\n", c, last);
        c = last + 1;
    }
    return std::fclose(out) == 0 ? 0 : 1;
}
