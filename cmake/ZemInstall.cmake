# make install: the installed layout of the tool set.
#
#   bin/                                  the programs
#   lib[/<triplet>]/zem/                  the shared libraries, private to the programs
#   lib[/<triplet>]/zem/plugins/          the decoder plug-ins and the codec module
#   include/zem/                          the libraries' public headers
#   share/man/man1, man5                  the manual pages, compressed
#   share/doc/zem/examples/               the example scores
#   share/applications, mime, icons,      the player's desktop integration
#   bash-completion/completions
#
# Nothing in the system library folder, so no SONAME can clash with another
# package's; every binary finds what it links through an $ORIGIN-relative
# RUNPATH, so the tree runs from any folder and under any DESTDIR.

# `make install` builds what it installs itself (zem_install_deps), not
# every test program of `all`; so does CPack.
set(CMAKE_SKIP_INSTALL_ALL_DEPENDENCY ON)

set(ZEM_INSTALL_LIBDIR ${CMAKE_INSTALL_LIBDIR}/zem)
set(ZEM_INSTALL_PLUGINDIR ${ZEM_INSTALL_LIBDIR}/plugins)
set(ZEM_INSTALL_DOCDIR ${CMAKE_INSTALL_DATADIR}/doc/zem)
# The decoder hosts look here after their own folder: an absolute path, so a
# plug-in is never taken from the current folder.
set(ZEM_PLUGIN_DIR ${CMAKE_INSTALL_PREFIX}/${ZEM_INSTALL_PLUGINDIR})

set(zem_programs zemc zemcw zem2mid zem2midw mid2kvt zem2wav zemplay_console zemfe qzdecode kvt-ls)
set(zem_libraries zemplay zemcmain audsink tracecon)
set(zem_plugins qzwav zem_codec_ffmpeg)
foreach(list_name zem_programs zem_libraries zem_plugins)
    set(present)
    foreach(target ${${list_name}})
        if(TARGET ${target})
            list(APPEND present ${target})
        endif()
    endforeach()
    set(${list_name} ${present})
endforeach()

file(RELATIVE_PATH bin_to_lib /${CMAKE_INSTALL_BINDIR} /${ZEM_INSTALL_LIBDIR})
set_target_properties(${zem_programs} PROPERTIES INSTALL_RPATH "$ORIGIN/${bin_to_lib}")
set_target_properties(${zem_libraries} PROPERTIES INSTALL_RPATH "$ORIGIN")
# The plug-ins link no library of ours.
set_target_properties(${zem_plugins} PROPERTIES INSTALL_RPATH "")
foreach(host audsink qzdecode)
    target_compile_definitions(${host} PRIVATE ZEM_PLUGIN_DIR="${ZEM_PLUGIN_DIR}")
endforeach()

install(TARGETS ${zem_programs} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
install(TARGETS ${zem_libraries} LIBRARY DESTINATION ${ZEM_INSTALL_LIBDIR})
install(TARGETS ${zem_plugins} LIBRARY DESTINATION ${ZEM_INSTALL_PLUGINDIR})
install(FILES
    ${PROJECT_SOURCE_DIR}/compiler/include/zemcmain.h
    ${PROJECT_SOURCE_DIR}/engine/include/zemplay.h
    ${PROJECT_SOURCE_DIR}/audsink/include/audsink.h
    ${PROJECT_SOURCE_DIR}/decoders/include/qzdecoder.h
    ${PROJECT_SOURCE_DIR}/tracecon/include/tracecon.h
    DESTINATION ${CMAKE_INSTALL_INCLUDEDIR}/zem)

file(GLOB example_files ${PROJECT_SOURCE_DIR}/examples/*.kvt)
install(FILES ${example_files} ${PROJECT_SOURCE_DIR}/examples/README.md
    DESTINATION ${ZEM_INSTALL_DOCDIR}/examples)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/copyright DESTINATION ${ZEM_INSTALL_DOCDIR})

# Manual pages, compressed as Debian wants them (no name or time stamp in
# the gzip header, so the same page gives the same bytes).
file(GLOB man_pages ${PROJECT_SOURCE_DIR}/man/*.[15])
set(compressed_pages)
foreach(page ${man_pages})
    get_filename_component(page_name ${page} NAME)
    string(REGEX MATCH "[0-9]$" section ${page_name})
    set(out ${CMAKE_BINARY_DIR}/man/${page_name}.gz)
    add_custom_command(OUTPUT ${out}
        COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/man
        COMMAND gzip -9nc ${page} > ${out}
        DEPENDS ${page}
        VERBATIM)
    list(APPEND compressed_pages ${out})
    install(FILES ${out} DESTINATION ${CMAKE_INSTALL_MANDIR}/man${section})
endforeach()
# A package without a Debian revision is native: its changelog is changelog.gz.
set(changelog ${CMAKE_BINARY_DIR}/packaging/changelog.gz)
add_custom_command(OUTPUT ${changelog}
    COMMAND ${CMAKE_COMMAND} -E make_directory ${CMAKE_BINARY_DIR}/packaging
    COMMAND gzip -9nc ${PROJECT_SOURCE_DIR}/packaging/changelog > ${changelog}
    DEPENDS ${PROJECT_SOURCE_DIR}/packaging/changelog
    VERBATIM)
install(FILES ${changelog} DESTINATION ${ZEM_INSTALL_DOCDIR})

install(FILES ${PROJECT_SOURCE_DIR}/packaging/zemfe.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/zem.xml DESTINATION ${CMAKE_INSTALL_DATADIR}/mime/packages)
install(FILES ${PROJECT_SOURCE_DIR}/packaging/zemfe.svg
    DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/scalable/apps)
# bash-completion loads a command's completions from a file of its name.
foreach(program zemc zemcw zem2mid zem2midw mid2kvt zem2wav zemplay zemfe qzdecode)
    install(FILES ${PROJECT_SOURCE_DIR}/packaging/completions/zem
        DESTINATION ${CMAKE_INSTALL_DATADIR}/bash-completion/completions RENAME ${program})
endforeach()

# The build folder is a portable layout: the player finds a writable
# zemfe.ini beside itself there and keeps its settings in it.
file(MAKE_DIRECTORY ${ZEM_BIN_DIR})
file(TOUCH ${ZEM_BIN_DIR}/zemfe.ini)

# Everything the install step copies, so that `make install` builds only
# what it installs.
add_custom_target(zem_install_deps DEPENDS ${compressed_pages} ${changelog})
add_dependencies(zem_install_deps ${zem_programs} ${zem_libraries} ${zem_plugins})
