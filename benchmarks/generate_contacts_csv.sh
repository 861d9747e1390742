#!/usr/bin/env bash
# Writes a contact export of N rows (default 1,000,000, about 60 MB) to the given file: a
# header, then rows of which every tenth has a quoted name holding a comma.
set -euo pipefail
out=${1:?usage: generate_contacts_csv.sh <file> [rows]}
rows=${2:-1000000}
awk -v rows="$rows" 'BEGIN {
    print "First Name,Last Name,Home Phone,Business Phone,Mobile Phone,E-mail Address"
    for (i = 0; i < rows; i++) {
        last = (i % 10 == 0) ? sprintf("\"Row%07d, Jr.\"", i) : sprintf("Row%07d", i)
        printf "Name%07d,%s,555 %07d,,556 %07d,n%07d@x.org\n", i, last, i, i, i
    }
}' >"$out"
