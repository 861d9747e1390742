// Writes a generated contact export, or reads one from start to end as the import wizard
// does and prints the number of records, so that a script can time the reader against other
// tools on the same file.
#include "ContactsCsv.h"
#include "CsvSource.h"

#include <cstdio>
#include <string>

namespace {

int Scan(const char* path)
{
    CsvSource source;
    if (!source.Open(path)) {
        std::fprintf(stderr, "cannot read %s\n", path);
        return 1;
    }
    unsigned long long records = 0;
    std::string record;
    while (source.ReadLine(record))
        ++records;
    std::printf("%llu\n", records);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string command = argc >= 3 ? argv[1] : "";
    if (command == "scan" && argc == 3)
        return Scan(argv[2]);
    if (command == "generate" && (argc == 3 || argc == 4)) {
        WriteContactsCsv(argv[2], argc == 4 ? std::stoi(argv[3]) : 1000000);
        return 0;
    }
    std::fprintf(stderr, "usage: %s generate <file.csv> [rows] | scan <file.csv>\n", argv[0]);
    return 2;
}
