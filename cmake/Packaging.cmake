# `make package`: a Debian package of the optimised build (cpack -G DEB in
# build/release), holding what the install rules install: both programs, the
# desktop entry, the icon and the manual page of korvex-batch. Its dependencies
# are read from the shared libraries the programs link (dpkg-shlibdeps).

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME korvex)
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGE_VENDOR "KORVEX")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "${PROJECT_DESCRIPTION}")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "KORVEX recognises individual tortoises on photographs of their ventral shell. The seam "
    "junctions are clicked in a fixed order, the seam lengths standardised and stored in a "
    "tab-separated .tor data file, and every stored animal is ranked by its distance to the "
    "one measured, so that recaptured animals are found over the years. korvex-batch runs "
    "the same analyses from the command line.")
set(CPACK_PACKAGE_CONTACT "KORVEX developers")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)

set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION science)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# What the linked libraries do not name: the X11 platform plugin, without which
# the window cannot open, and the fonts the window is laid out for.
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-qpa-plugins")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "fonts-liberation2")

include(CPack)
