#include "ContactsCsv.h"

#include <cstdio>
#include <fstream>

void WriteContactsCsv(const std::filesystem::path& file, int rows)
{
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << "First Name,Last Name,Home Phone,Business Phone,Mobile Phone,E-mail Address\n";
    char line[160];
    for (int i = 0; i < rows; ++i) {
        // Scattered numbers, so that the list has real sorting to do.
        const unsigned id = static_cast<unsigned>(i) * 2654435761u % 10000000u;
        const char* lastFormat = i % 10 == 0 ? "\"Row%07u, Jr.\"" : "Row%07u";
        char last[32];
        std::snprintf(last, sizeof last, lastFormat, id);
        const int length = std::snprintf(
            line, sizeof line, "Name%07u,%s,555 %07d,,556 %07d,n%07d@x.org\n", id, last, i, i, i);
        out.write(line, length);
    }
}
