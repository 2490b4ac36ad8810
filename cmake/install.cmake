# SPDX-License-Identifier: GPL-3.0-or-later
# Installation on the usual Linux layout, and the Debian package made from it.
include(GNUInstallDirs)

set(VERDAMO_SHARE_DIR ${CMAKE_INSTALL_DATADIR}/verdamo)
set(VERDAMO_APP_ID org.verdamo.Verdamo)

install(TARGETS verdamo RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The program looks for these in ../share/verdamo beside its own folder.
install(DIRECTORY ${PROJECT_SOURCE_DIR}/resources/Languages ${PROJECT_SOURCE_DIR}/resources/Help
        DESTINATION ${VERDAMO_SHARE_DIR})
if(EXISTS ${PROJECT_SOURCE_DIR}/resources/Billeder)
    install(DIRECTORY ${PROJECT_SOURCE_DIR}/resources/Billeder DESTINATION ${VERDAMO_SHARE_DIR})
endif()
install(FILES ${PROJECT_SOURCE_DIR}/resources/desktop/${VERDAMO_APP_ID}.desktop
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/resources/desktop/${VERDAMO_APP_ID}.metainfo.xml
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(DIRECTORY ${VERDAMO_ICON_DIR} DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)

# The licence in machine-readable form, the change log and the manual page, the last two
# compressed without name or time stamp, so the same sources give the same package.
set(VERDAMO_DOC_DIR ${CMAKE_INSTALL_DATADIR}/doc/verdamo)
set(doc_build ${CMAKE_BINARY_DIR}/doc)
configure_file(${PROJECT_SOURCE_DIR}/resources/man/verdamo.1.in ${doc_build}/verdamo.1 @ONLY)
add_custom_command(
    OUTPUT ${doc_build}/verdamo.1.gz ${doc_build}/changelog.gz
    COMMAND sh -c "gzip -9nc \"$1\" >\"$2\"" sh ${doc_build}/verdamo.1 ${doc_build}/verdamo.1.gz
    COMMAND sh -c "gzip -9nc \"$1\" >\"$2\"" sh ${PROJECT_SOURCE_DIR}/resources/debian/changelog
        ${doc_build}/changelog.gz
    DEPENDS ${doc_build}/verdamo.1 ${PROJECT_SOURCE_DIR}/resources/debian/changelog
    VERBATIM)
add_custom_target(verdamo_docs ALL DEPENDS ${doc_build}/verdamo.1.gz ${doc_build}/changelog.gz)
install(FILES ${PROJECT_SOURCE_DIR}/resources/debian/copyright ${doc_build}/changelog.gz
        DESTINATION ${VERDAMO_DOC_DIR})
install(FILES ${doc_build}/verdamo.1.gz DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_PACKAGE_NAME verdamo)
set(CPACK_PACKAGE_VENDOR "The Verdamo developers")
set(CPACK_PACKAGE_CONTACT "The Verdamo developers <verdamo@verdamo.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "database of the plants and garden works of a garden")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Verdamo keeps the plants of a home garden (names, family, type, place, care
advice, dates, price, notes and a picture), the garden works with the materials
bought for them, a catalogue of plant names and the lists of plant families and
types. It filters, searches, counts and prints, and speaks Danish, English,
Norwegian, Swedish and German.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://verdamo.org")
# The program is shipped stripped. No dbgsym package: the one CPack 3.25 makes lists its file
# under the build folder in its md5sums. The unstripped program stays in the build folder,
# with the same build id, for reading a crash report.
set(CPACK_STRIP_FILES ON)
# Libraries from dpkg-shlibdeps; what the program loads at run time is named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# (libqt6gui6 brings the X11 platform plugin and the JPEG reader.)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-translations-l10n, fonts-liberation")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, qt6-wayland")
include(CPack)
