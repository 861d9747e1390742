# Installs the build into fresh prefixes of the user's own and checks what a user gets: one folder
# with the programs and their help, where the programs keep telmo.ini (no mark of a shared
# installation, nothing on the PATH), a launcher and an autostart entry that start the tray
# program in that folder, and the icon. Expects BUILD_DIR, WORK_DIR, FOLDER (below the prefix),
# APP_ID (the launcher's name) and EXPECTED (the files the folder holds beside help/).

function(install_into prefix)
    execute_process(COMMAND "${CMAKE_COMMAND}" --install "${BUILD_DIR}" --prefix "${prefix}"
        RESULT_VARIABLE result OUTPUT_VARIABLE output ERROR_VARIABLE output)
    if(NOT result EQUAL 0)
        message(FATAL_ERROR "cmake --install --prefix ${prefix} failed:\n${output}")
    endif()
endfunction()

function(expect_file file)
    if(NOT EXISTS "${file}")
        message(FATAL_ERROR "Not installed: ${file}")
    endif()
endfunction()

function(expect_line file line)
    file(READ "${file}" text)
    string(FIND "\n${text}" "\n${line}\n" found)
    if(found EQUAL -1)
        message(FATAL_ERROR "${file} lacks the line\n${line}\nIt reads:\n${text}")
    endif()
endfunction()

function(expect_same_content a b)
    file(SHA256 "${a}" hash_a)
    file(SHA256 "${b}" hash_b)
    if(NOT hash_a STREQUAL hash_b)
        message(FATAL_ERROR "${a} and ${b} differ")
    endif()
endfunction()

# expect_launchers(<prefix> <Exec value> <Path value>)
function(expect_launchers prefix exec path)
    set(launcher "${prefix}/share/applications/${APP_ID}.desktop")
    set(autostart "${prefix}/share/telmo/autostart/${APP_ID}.desktop")
    foreach(line "[Desktop Entry]" "Type=Application" "Name=Telmo" "Icon=telmo" "Terminal=false"
            "Exec=${exec}" "Path=${path}")
        expect_line("${launcher}" "${line}")
    endforeach()
    expect_same_content("${launcher}" "${autostart}")
    foreach(entry "${launcher}" "${autostart}")
        execute_process(COMMAND "${VALIDATE}" "${entry}" RESULT_VARIABLE result
            OUTPUT_VARIABLE output ERROR_VARIABLE output)
        if(NOT result EQUAL 0)
            message(FATAL_ERROR "desktop-file-validate rejects ${entry}:\n${output}")
        endif()
    endforeach()
endfunction()

# The freedesktop.org validator reads the launchers as the desktops will; without it a broken
# entry would pass unseen.
find_program(VALIDATE desktop-file-validate)
if(NOT VALIDATE)
    message(FATAL_ERROR "desktop-file-validate is not installed (Debian package desktop-file-utils;"
        " scripts/setup.sh installs every package the tests need)")
endif()

file(REMOVE_RECURSE "${WORK_DIR}")

# A plain prefix: the folder's contents, the icon, the launchers.
set(prefix "${WORK_DIR}/plain")
set(folder "${prefix}/${FOLDER}")
install_into("${prefix}")
file(GLOB installed RELATIVE "${folder}" "${folder}/*")
list(SORT installed)
set(wanted ${EXPECTED} help)
list(SORT wanted)
if(NOT installed STREQUAL wanted)
    message(FATAL_ERROR "${folder} holds [${installed}], not [${wanted}]")
endif()
if(EXISTS "${prefix}/bin")
    message(FATAL_ERROR "An installation of the user's own put programs on the PATH")
endif()
foreach(program IN LISTS EXPECTED)
    if(NOT program MATCHES "\\.CHM$")
        execute_process(COMMAND test -x "${folder}/${program}" RESULT_VARIABLE not_executable)
        if(not_executable)
            message(FATAL_ERROR "${folder}/${program} is not executable")
        endif()
    endif()
endforeach()
foreach(page index.html telmo.css dialing.html troubleshooting.html images/128.svg)
    expect_file("${folder}/help/${page}")
endforeach()
expect_same_content("${prefix}/share/icons/hicolor/scalable/apps/telmo.svg"
    "${folder}/help/images/128.svg")
expect_launchers("${prefix}" "${folder}/telmo" "${folder}")

# Installing again, as an update does, keeps the user's phone book and replaces the launchers of
# an installation made before they were named by the id.
file(WRITE "${folder}/telmo.ini" "[General]\nCount=0\n")
file(WRITE "${prefix}/share/applications/telmo.desktop" "")
file(WRITE "${prefix}/share/telmo/autostart/telmo.desktop" "")
install_into("${prefix}")
file(READ "${folder}/telmo.ini" phone_book)
if(NOT phone_book STREQUAL "[General]\nCount=0\n")
    message(FATAL_ERROR "A second install changed telmo.ini")
endif()
file(GLOB launchers "${prefix}/share/applications/*" "${prefix}/share/telmo/autostart/*")
list(LENGTH launchers count)
if(NOT count EQUAL 2)
    message(FATAL_ERROR "A second install left the launchers [${launchers}]")
endif()

# A folder whose path holds a blank and a percent sign: Exec quotes the program and doubles the
# percent sign, as the launcher format asks; Path takes the folder as it is.
set(prefix "${WORK_DIR}/with blank 100%")
set(folder "${prefix}/${FOLDER}")
install_into("${prefix}")
expect_file("${folder}/help/index.html")
string(REPLACE "%" "%%" exec_folder "${folder}")
expect_launchers("${prefix}" "\"${exec_folder}/telmo\"" "${folder}")

file(REMOVE_RECURSE "${WORK_DIR}")
