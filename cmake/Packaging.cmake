# The Debian package, made by CPack's DEB generator (scripts/package runs it). It holds exactly
# what the install rules install, so `cmake --install` and the package put the same files in the
# same places. Maintainer and homepage are the project's placeholder addresses, as in the about
# dialog, until real ones exist.

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME skedula)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_VENDOR "Skedula")
set(CPACK_PACKAGE_CONTACT "Skedula <skedula@example.org>")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://www.skedula.example.org/")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "watch a radio receiver's S-meter on a schedule")
# Debian's description format: CPack indents these lines and turns the empty one into " .".
set(CPACK_PACKAGE_DESCRIPTION
    "Skedula keeps a watch list of up to ten entries: the minutes to look at (a
time pattern such as 1?:30), a frequency, a mode, an S-meter threshold and an
alarm sound. While the watch runs, it tunes the receiver at the due minutes,
reads the S-meter three times over ten seconds and, when all three readings
reach the threshold, writes a report into its log and its report file and
plays the alarm.

It reaches the radio through Hamlib's rigctld (a Hamlib radio on a serial
port, FLRig, or a rigctld on another computer) or through the remote control
of the SDR receiver gqrx. Without a radio it demonstrates itself on Hamlib's
dummy radio. The user interface is in German.")

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT) # skedula_1.0.0_amd64.deb
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_PACKAGE_SECTION hamradio)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
# The libraries come from what the binary actually links (dpkg-shlibdeps); rigctld is named by
# hand because Skedula starts it as a program and reaches every radio through it.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "libhamlib-utils")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "gqrx-sdr")
# Stripped the way Debian strips, once the files are staged (plain strip keeps .comment).
set(CPACK_SKEDULA_STRIP ${CMAKE_STRIP})
set(CPACK_PRE_BUILD_SCRIPTS ${CMAKE_CURRENT_LIST_DIR}/DebianStrip.cmake)
# Debian wants 0755 for every directory, whatever the umask of the machine that builds.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
set(CPACK_SOURCE_GENERATOR "")

include(CPack)
