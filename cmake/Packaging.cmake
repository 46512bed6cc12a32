# A Debian package of the installed tree: cpack -G DEB in the build folder.
# The package installs under /usr. The player's files are inside the program,
# so nothing else needs to be found at run time; the copyright file
# (share/doc/kest/copyright, res/copyright.in) carries Ruffle's licences.
set(CPACK_PACKAGE_NAME kest)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Kest developers <kest@example.invalid>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Viewer and packer of single-file electronic magazines")
# Lines of at most 80 characters, as Debian's control files ask.
set(CPACK_PACKAGE_DESCRIPTION "Kest packs a folder of Flash movies, pictures and a manifest into one
executable file, a magazine that opens itself in a window when run. Movies
play in Ruffle inside a WebKitGTK view; Ruffle is built into the program.")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# Magazines set their Chinese text in the system's fonts, and name Windows
# fonts that have metric-compatible stand-ins. Their sound leaves the web
# engine through GStreamer, which needs its sink for the desktop's sound
# server: without one a minimal desktop plays them silent.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS
    "fonts-noto-cjk | fonts-wqy-microhei, fonts-liberation2, gstreamer1.0-pulseaudio | gstreamer1.0-pipewire")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
include(CPack)
