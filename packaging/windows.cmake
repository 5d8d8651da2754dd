# Kelvane for Windows: the window, the command, the manual and a short README, in a zip.

# Windows' own editor wants CR LF line ends.
configure_file(windows/README.txt.in README.txt @ONLY NEWLINE_STYLE CRLF)
set(KELVANE_SHIPPED_TARGETS Kelvane kelvane-scan)

install(TARGETS Kelvane kelvane-scan RUNTIME DESTINATION .)
install(FILES ${PROJECT_SOURCE_DIR}/docs/kelvane.html ${CMAKE_CURRENT_BINARY_DIR}/README.txt
        DESTINATION .)

set(CPACK_GENERATOR ZIP)
set(CPACK_PACKAGE_FILE_NAME Kelvane-${PROJECT_VERSION}-${KELVANE_WINE_ARCH})
