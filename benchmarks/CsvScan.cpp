// Reads a CSV file from start to end as the import wizard does and prints the number of
// records, so that a script can time the reader against other tools on the same file.
#include "CsvSource.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <file.csv>\n", argv[0]);
        return 2;
    }
    CsvSource source;
    if (!source.Open(argv[1])) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    unsigned long long records = 0;
    std::string record;
    while (source.ReadLine(record))
        ++records;
    std::printf("%llu\n", records);
    return 0;
}
