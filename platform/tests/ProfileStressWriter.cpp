// Writes keys of an initialisation file through ProfileFile, for the tests that run several
// writers at once or kill a writer in the middle of its work.
//   ProfileStressWriter distinct <file> <prefix> <count>   one key per write: <prefix><i> = i
//   ProfileStressWriter rounds <file> <keys>               forever: every key = round number
#include "ProfileFile.h"

#include <cstdlib>
#include <string>

int main(int argc, char** argv)
{
    if (argc < 4)
        return 2;
    const std::string mode = argv[1];
    platform::ProfileFile file(argv[2]);
    if (mode == "distinct" && argc == 5) {
        const int count = std::atoi(argv[4]);
        for (int i = 0; i < count; ++i) {
            if (file.WriteInt("Keys", std::string(argv[3]) + std::to_string(i), i))
                return 1;
        }
        return 0;
    }
    if (mode == "rounds") {
        const int keys = std::atoi(argv[3]);
        for (int round = 1;; ++round) {
            auto error = file.Update([&](platform::ProfileDocument& document) {
                for (int key = 0; key < keys; ++key)
                    document.WriteString("Keys", "k" + std::to_string(key),
                                         "round" + std::to_string(round));
            });
            if (error)
                return 1;
        }
    }
    return 2;
}
