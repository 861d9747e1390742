# Writes the launcher of the Telmo folder at install time, when the real folder is known (an
# install may choose its prefix then). Expects TELMO_FOLDER, TELMO_DESKTOP_TEMPLATE and
# TELMO_DESKTOP_OUTPUT.

# A value as the desktop entry format stores text: a backslash is written twice.
function(telmo_desktop_string text result)
    string(REPLACE "\\" "\\\\" text "${text}")
    set(${result} "${text}" PARENT_SCOPE)
endfunction()

# The program as the one argument of Exec: enclosed in double quotes (with ", `, $ and \
# escaped) when it holds a character that the format reserves; a % is always doubled.
function(telmo_desktop_exec program result)
    if(program MATCHES "[ \t\n\"'\\\\><~|&;$*?#()`]")
        string(REPLACE "\\" "\\\\" program "${program}")
        string(REPLACE "\"" "\\\"" program "${program}")
        string(REPLACE "`" "\\`" program "${program}")
        string(REPLACE "$" "\\$" program "${program}")
        set(program "\"${program}\"")
    endif()
    string(REPLACE "%" "%%" program "${program}")
    telmo_desktop_string("${program}" program)
    set(${result} "${program}" PARENT_SCOPE)
endfunction()

telmo_desktop_exec("${TELMO_FOLDER}/telmo" TELMO_DESKTOP_EXEC)
telmo_desktop_string("${TELMO_FOLDER}" TELMO_DESKTOP_PATH)
configure_file("${TELMO_DESKTOP_TEMPLATE}" "${TELMO_DESKTOP_OUTPUT}" @ONLY)
