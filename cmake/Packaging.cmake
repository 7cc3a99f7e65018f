# How Tabulo lives on a Debian desktop: the install rules for the menu entry, the
# icon, the AppStream metadata and the documents, and the CPack set-up that turns an
# install into a .deb (scripts/package.sh). The executable and the shipped layouts
# and help pages install from their own folders (shell/, FORM/, help/).

set(TABULO_APP_ID "jp.tabulo.Tabulo")
set(tabulo_desktop_dir "${PROJECT_SOURCE_DIR}/desktop")

if(TARGET tabulo-cli)
    install(TARGETS tabulo-cli RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endif()

install(FILES "${tabulo_desktop_dir}/${TABULO_APP_ID}.desktop"
        DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES "${tabulo_desktop_dir}/${TABULO_APP_ID}.metainfo.xml"
        DESTINATION ${CMAKE_INSTALL_DATADIR}/metainfo)
install(FILES "${tabulo_desktop_dir}/icons/tabulo.svg"
        DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
foreach(size 48 256)
    install(FILES "${tabulo_desktop_dir}/icons/${size}x${size}/tabulo.png"
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
endforeach()

# Debian wants the changelog and the manual page compressed with gzip -9n
# (no name or time stamp, so that the package builds the same every time).
find_program(TABULO_GZIP gzip REQUIRED)
set(tabulo_doc_out "${PROJECT_BINARY_DIR}/desktop")
add_custom_command(
    OUTPUT "${tabulo_doc_out}/changelog.gz" "${tabulo_doc_out}/tabulo.1.gz"
           "${tabulo_doc_out}/tabulo-cli.1.gz"
    COMMAND ${CMAKE_COMMAND} -E make_directory "${tabulo_doc_out}"
    COMMAND sh -c "'${TABULO_GZIP}' -9nc '${tabulo_desktop_dir}/changelog' > '${tabulo_doc_out}/changelog.gz'"
    COMMAND sh -c "'${TABULO_GZIP}' -9nc '${tabulo_desktop_dir}/tabulo.1' > '${tabulo_doc_out}/tabulo.1.gz'"
    COMMAND sh -c "'${TABULO_GZIP}' -9nc '${tabulo_desktop_dir}/tabulo-cli.1' > '${tabulo_doc_out}/tabulo-cli.1.gz'"
    DEPENDS "${tabulo_desktop_dir}/changelog" "${tabulo_desktop_dir}/tabulo.1"
            "${tabulo_desktop_dir}/tabulo-cli.1"
    VERBATIM)
add_custom_target(tabulo_docs ALL
    DEPENDS "${tabulo_doc_out}/changelog.gz" "${tabulo_doc_out}/tabulo.1.gz"
            "${tabulo_doc_out}/tabulo-cli.1.gz")
install(FILES "${tabulo_doc_out}/tabulo.1.gz" DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
if(TARGET tabulo-cli)
    install(FILES "${tabulo_doc_out}/tabulo-cli.1.gz" DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
endif()
install(FILES "${tabulo_doc_out}/changelog.gz" "${tabulo_desktop_dir}/copyright"
        DESTINATION ${CMAKE_INSTALL_DATADIR}/doc/tabulo)

# The package. Its library dependencies are computed by dpkg-shlibdeps from the
# installed executable; the fonts the layouts are drawn for are added by name, since
# no library links them.
set(TABULO_PACKAGE_MAINTAINER "Tabulo developers <tabulo@example.org>"
    CACHE STRING "Maintainer field of the Debian package")
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME tabulo)
set(CPACK_PACKAGE_VENDOR "The Tabulo developers")
set(CPACK_PACKAGE_VERSION "${PROJECT_VERSION}")
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
set(CPACK_STRIP_FILES ON)
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY
    "cash book and blue-return statement for a small business")
# CPack puts the summary above this text as the description's first line.
set(CPACK_DEBIAN_PACKAGE_DESCRIPTION
    "Tabulo keeps the year's cash book of a small Japanese business or sole
proprietor who files the blue-return statement (aoiro shinkoku): dated lines
with a running cash balance, an item master of 50 items and up to 20 bank
deposit accounts. It totals the year per item and month, prints the cash book
and the summaries, and prints pages 1 to 3 of the statement onto the
pre-printed forms. Everything on screen and on paper is Japanese.")
# A native package: the version is the program's own, with no Debian revision, and the
# changelog is /usr/share/doc/tabulo/changelog.gz.
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_MAINTAINER "${TABULO_PACKAGE_MAINTAINER}")
set(CPACK_DEBIAN_PACKAGE_SECTION misc)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_DEPENDS "fonts-ipafont-mincho, fonts-ipafont-gothic")
# Qt's own dialogs in Japanese; the input methods are the user's choice.
set(CPACK_DEBIAN_PACKAGE_RECOMMENDS "qt6-translations-l10n")
set(CPACK_DEBIAN_PACKAGE_SUGGESTS "ibus-mozc | fcitx5-mozc, fcitx5-frontend-qt6, qt6-wayland")
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_DEBIAN_COMPRESSION_TYPE xz)
include(CPack)
