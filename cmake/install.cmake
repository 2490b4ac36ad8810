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

set(CPACK_PACKAGE_NAME verdamo)
set(CPACK_PACKAGE_VENDOR "The Verdamo developers")
set(CPACK_PACKAGE_CONTACT "The Verdamo developers <verdamo@verdamo.org>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "database of the plants and garden works of a garden")
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Verdamo keeps the plants of a home garden (names, family, type, place, care advice,
dates, price, notes and a picture), the garden works with the materials bought
for them, a catalogue of plant names and the lists of families and types. It
filters, searches, counts and prints, and speaks Danish, English, Norwegian,
Swedish and German.")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_HOMEPAGE "https://verdamo.org")
# Libraries from dpkg-shlibdeps; what the program loads at run time is named here.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
# (libqt6gui6 brings the X11 platform plugin and the JPEG reader.)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "qt6-translations-l10n, fonts-liberation")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "xdg-utils, qt6-wayland")
include(CPack)
