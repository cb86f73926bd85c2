# The Debian package: `cpack -G DEB` in a build folder (scripts/package does it all) gives
# velmora_<version>_<arch>.deb with the program, its desktop entry and its icons.
set(CPACK_GENERATOR "DEB")
set(CPACK_PACKAGE_NAME "velmora")
set(CPACK_PACKAGE_VENDOR "Tessaloy")
set(CPACK_PACKAGE_CONTACT "Tessaloy <velmora@tessaloy.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "Tray utility that keeps installed anti-virus definitions up to date")
set(CPACK_PACKAGE_DESCRIPTION
    "Velmora sits in the notification area and, on a timer or on request, downloads the\n\
newest published definitions package, checks its MD5 digest against the vendor's\n\
hash list, runs it silently and confirms that the new definitions arrived.\n\
Its settings window is in Japanese.")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION "utils")
# dpkg-shlibdeps derives the library packages (Qt 6 Core/Gui/Widgets, libcurl, OpenSSL's
# libcrypto, libstdc++) from what the binary links. Qt loads its platform plugins (xcb,
# offscreen) at run time, so dpkg-shlibdeps cannot see them: without qt6-qpa-plugins the
# tray program does not start on a desktop.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
# The settings window is in Japanese; without a CJK font it shows empty boxes.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-noto-cjk")
include(CPack)
