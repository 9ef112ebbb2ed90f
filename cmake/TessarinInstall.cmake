# cmake --install: the program in bin/, the plug-in module and the host library it shares with
# the program in lib/tessarin/ (private to the program, not for other programs to link), the
# documentation in share/doc/Tessarin/. The installed program finds the module through
# TESSARIN_MODULE_RELATIVE_DIR, the module's folder relative to the program's; both find the
# host library through their run paths.

install(TARGETS tessarin RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS tessarin_module tessarin_host LIBRARY DESTINATION ${TESSARIN_INSTALL_MODULE_DIR})
set_target_properties(tessarin PROPERTIES INSTALL_RPATH "$ORIGIN/${TESSARIN_MODULE_RELATIVE_DIR}")
set_target_properties(tessarin_module tessarin_host PROPERTIES INSTALL_RPATH "$ORIGIN")
install(FILES README.md DESTINATION ${CMAKE_INSTALL_DOCDIR})
install(DIRECTORY docs/ DESTINATION ${CMAKE_INSTALL_DOCDIR} FILES_MATCHING PATTERN "*.md")
