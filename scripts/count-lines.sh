#!/usr/bin/env bash
# Lines of C++ in the tests against lines of C++ in the code: lines that are neither blank nor
# only a // comment, in the .cpp and .h files git knows. A file is a test's when a folder on its
# path is named tests or test.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
git ls-files -z '*.cpp' '*.h' | xargs -0 awk '
    !/^[[:space:]]*($|\/\/)/ { if (FILENAME ~ /(^|\/)tests?\//) tests++; else code++ }
    END { printf "tests %d, code %d: tests are %.1f%% of the code\n", tests, code, 100 * tests / code }'
