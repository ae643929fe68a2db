# Install tree and the Debian package. Everything a desktop expects of a
# program: the programs, the fax printer's backend and queue description,
# help pages, shipped cover templates, icons in the hicolor theme, the
# desktop entry with the fax types it opens, AppStream metainfo and manual
# pages. `scripts/package` builds the package with CPack.
include(GNUInstallDirs)

set(CORVANE_APP_ID org.corvane.Corvane)
set(CORVANE_DATA_DIR ${CMAKE_INSTALL_DATADIR}/corvane)

install(TARGETS corvane corvane-fax corvane-modem RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The print system runs a backend as root only when only root may run it;
# it then becomes the job's user itself.
install(TARGETS corvane-cups-backend RUNTIME DESTINATION lib/cups/backend
        PERMISSIONS OWNER_READ OWNER_WRITE OWNER_EXECUTE)
install(FILES data/cups/corvane-fax.ppd DESTINATION ${CORVANE_DATA_DIR})
install(PROGRAMS scripts/install-printer DESTINATION ${CORVANE_DATA_DIR})

install(DIRECTORY src/app/resources/help/ DESTINATION ${CORVANE_DATA_DIR}/help)
# Cover templates as data/covers/ generates them, copied into the program
# directory's Covers/ at start when missing; the program finds them at
# ../share/corvane/covers from its executable.
install(DIRECTORY ${CMAKE_BINARY_DIR}/share/corvane/covers/ DESTINATION ${CORVANE_DATA_DIR}/covers)

install(DIRECTORY data/icons/hicolor DESTINATION ${CMAKE_INSTALL_DATADIR}/icons)
install(FILES data/${CORVANE_APP_ID}.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES data/${CORVANE_APP_ID}.metainfo.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES data/man/corvane-fax.1 data/man/corvane-modem.1
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)

set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME corvane)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "Corvane developers <corvane@localhost>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "Desktop fax program for fax modems")
set(CPACK_PACKAGE_DESCRIPTION "Sends faxes with cover sheets, receives faxes, keeps \
outgoing and received lists and a phone book, views and prints faxes, and takes in \
documents from any program through its fax printer.")
set(CPACK_STRIP_FILES ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION comm)
# Shared libraries are found by dpkg-shlibdeps; these are used at run time
# without being linked: the desktop and picture plugins of Qt, Ghostscript
# for PostScript, the fonts templates name.
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS
    "qt6-qpa-plugins, qt6-image-formats-plugins, ghostscript, fonts-liberation")
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "cups, cups-client")
include(CPack)
