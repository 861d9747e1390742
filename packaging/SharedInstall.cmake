# At install time: an installation into the system's own prefix, /usr (a package) or /usr/local,
# which only the administrator writes, serves every user of the machine. It is marked as shared,
# so that the programs keep each user's phone book in the user's own folders, and its programs
# go on the PATH. Any other prefix is taken to be the user's own, where the programs keep the
# phone book in their folder. Expects TELMO_FOLDER (below the prefix), TELMO_MARKER and
# TELMO_PATH_LINKS (links named as the programs, pointing into the folder from the prefix's bin).
get_filename_component(prefix "${CMAKE_INSTALL_PREFIX}" ABSOLUTE)
if(prefix MATCHES "^/usr(/local)?$")
    file(INSTALL "${TELMO_MARKER}" DESTINATION "${CMAKE_INSTALL_PREFIX}/${TELMO_FOLDER}")
    file(INSTALL ${TELMO_PATH_LINKS} DESTINATION "${CMAKE_INSTALL_PREFIX}/bin")
endif()
