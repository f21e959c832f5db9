# A Debian package of the installed files: `cpack -G DEB` in a build folder. The runtime
# dependencies come from dpkg-shlibdeps; the copyright file, the changelog and the compressed man
# pages are what Debian's policy asks of every package.
set(CPACK_PACKAGE_NAME stretchwerk)
set(CPACK_PACKAGE_VENDOR "The Stretchwerk developers")
set(CPACK_PACKAGE_CONTACT "The Stretchwerk developers <stretchwerk@users.noreply.github.com>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "change the duration and pitch of recorded audio")
set(CPACK_PACKAGE_DESCRIPTION
    "Stretchwerk changes the duration and the pitch of recorded audio independently
of each other: a batch list of files, each with its own pitch shift and new
duration, time, pitch and formant curves drawn over the waveform, and results
written as new files named after their settings. The package holds the desktop
application and the command-line tool stretchwerk-cli.")
set(CPACK_PACKAGE_FILE_NAME
    "${CPACK_PACKAGE_NAME}_${PROJECT_VERSION}_amd64")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_ARCHITECTURE amd64)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://github.com/stretchwerk/stretchwerk")
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Loaded at run time, so dpkg-shlibdeps cannot see it: Qt's X11 and Wayland platform plugins.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# The directories cpack would otherwise list with group write permission.
set(CPACK_INSTALL_DEFAULT_DIRECTORY_PERMISSIONS
    OWNER_READ OWNER_WRITE OWNER_EXECUTE GROUP_READ GROUP_EXECUTE WORLD_READ WORLD_EXECUTE)
include(CPack)
