# kelvane-scan on Linux: the program, its man page and bash completion, its documentation,
# and the Debian package made of them.

# Debian's documentation folder is named after the package.
set(doc_dir ${CMAKE_INSTALL_DATAROOTDIR}/doc/${CPACK_PACKAGE_NAME})

# Man pages and changelogs are installed compressed, as Debian's policy asks; -n keeps the
# time out of the archive, so that the package is the same for the same sources.
function(kelvane_gzip source name)
    set(plain ${CMAKE_CURRENT_BINARY_DIR}/${name})
    add_custom_command(OUTPUT ${plain}.gz
        COMMAND ${CMAKE_COMMAND} -E copy ${source} ${plain}
        COMMAND gzip -9nf ${plain}
        DEPENDS ${source}
        VERBATIM
    )
endfunction()

configure_file(${PROJECT_SOURCE_DIR}/docs/kelvane-scan.1.in kelvane-scan.1.in @ONLY)
kelvane_gzip(${CMAKE_CURRENT_BINARY_DIR}/kelvane-scan.1.in kelvane-scan.1)
kelvane_gzip(${CMAKE_CURRENT_SOURCE_DIR}/debian/changelog changelog)
add_custom_target(kelvane_compressed_docs
    DEPENDS ${CMAKE_CURRENT_BINARY_DIR}/kelvane-scan.1.gz ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz)
set(KELVANE_SHIPPED_TARGETS kelvane-scan kelvane_compressed_docs)

install(TARGETS kelvane-scan RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(FILES ${CMAKE_CURRENT_BINARY_DIR}/kelvane-scan.1.gz
        DESTINATION ${CMAKE_INSTALL_MANDIR}/man1)
install(FILES bash-completion/kelvane-scan
        DESTINATION ${CMAKE_INSTALL_DATAROOTDIR}/bash-completion/completions)
install(FILES ${PROJECT_SOURCE_DIR}/README.md debian/copyright
              ${CMAKE_CURRENT_BINARY_DIR}/changelog.gz
        DESTINATION ${doc_dir})

set(CPACK_GENERATOR DEB)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION admin)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)
set(CPACK_PACKAGE_DESCRIPTION [=[
Kelvane cleans web and script files (*.htm *.html *.hta *.vbs *.htt by
default) of a script virus that appends a block of script lines to them.
kelvane-scan finds each block by its signature, cuts it out and gives the
file back its permissions, owner and times; every step is logged, and every
scan ends with a report. It can preview a scan, keep a copy of every file
it changes and put those copies back.]=])
