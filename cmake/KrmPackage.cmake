# The Debian package (`cpack -G DEB` in the build folder): whatever `cmake --install` installs, with the
# package dependencies worked out from the binaries by dpkg-shlibdeps and a postinst that reloads the udev
# rules. Configure with -DCMAKE_INSTALL_PREFIX=/usr so the udev rule and the zsh completion land where
# Debian's udev and zsh look; ./test.sh --package does that and checks the result.

set(KRM_PACKAGE_NAME krmconfig)
set(KRM_PACKAGE_MAINTAINER "KRM configurator maintainers <maintainers@krm-mouse.example>" CACHE STRING
    "Maintainer named in the Debian package")

set(CPACK_PACKAGE_NAME ${KRM_PACKAGE_NAME})
set(CPACK_PACKAGE_VENDOR "KRM configurator maintainers")
set(CPACK_PACKAGE_CONTACT ${KRM_PACKAGE_MAINTAINER})
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "configurator of KRM gaming mice")
set(CPACK_PACKAGE_DESCRIPTION
    "krmconfig reads the configuration of a KRM gaming mouse (chip variants R210B
and R230B) over USB HID and writes every change back the moment it is made: DPI
levels and report rate, button functions and combo keys, lighting, macros,
rapid-fire keys, gun presets and fire macros. krmctl does the same from a
terminal, and a simulated mouse lets both run without one. In the background
(krmconfig --background, or the krmctl watch user service) it shows the mouse's
own DPI and profile switches on screen and switches the profile per game. A
udev rule gives the user at the desktop access to the mouse.")
set(CPACK_PACKAGE_HOMEPAGE_URL "https://www.krm-mouse.example")
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_PACKAGE_NAME ${KRM_PACKAGE_NAME})
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION utils)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_EXTRA
    ${CMAKE_SOURCE_DIR}/packaging/debian/postinst ${CMAKE_SOURCE_DIR}/packaging/debian/postrm
    ${CMAKE_SOURCE_DIR}/packaging/debian/conffiles)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
# The captions of the window are drawn with these fonts.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-dejavu-core, fonts-wqy-microhei")

include(CPack)
