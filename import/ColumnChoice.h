#pragma once

// The source column chosen for each field of a phone book entry: a 0-based index among the
// header's names, -1 when no column is assigned.
struct ColumnChoice
{
    int name = -1;
    int lastName = -1;
    int home = -1;
    int work = -1;
    int cell = -1;
    int fax = -1;
    int beeper = -1;

    bool operator==(const ColumnChoice&) const = default;
};
