# make deb: one Debian package of the installed layout, through CPack.
# dpkg-shlibdeps computes the package's library dependencies from the
# binaries; only what the programs open at run time by name is listed here.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME zem)
set(CPACK_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_PACKAGE_CONTACT "ZEM tool set maintainers <maintainers@zem.example>")
set(CPACK_PACKAGE_DESCRIPTION_SUMMARY "text music language compiler, MIDI exporter, renderer and players")
string(CONCAT CPACK_PACKAGE_DESCRIPTION
    "Scores are written as KVT text: one-character commands for notes, lengths,\n"
    "octaves, loops, controllers, tempo, system-exclusive messages and texts on\n"
    "up to 256 tracks.  zemc compiles them into ZEM images; zem2mid exports\n"
    "Standard MIDI Files and mid2kvt imports them back to text; zem2wav renders\n"
    "WAVE, FLAC, Ogg Vorbis, Opus or MP3 files through a General MIDI\n"
    "synthesizer; zemplay (terminal) and zemfe (window) play them.")
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
set(CPACK_DEBIAN_PACKAGE_SECTION sound)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS_PRIVATE_DIRS
    ${CMAKE_INSTALL_PREFIX}/${ZEM_INSTALL_LIBDIR} ${CMAKE_INSTALL_PREFIX}/${ZEM_INSTALL_PLUGINDIR})
set(CPACK_DEBIAN_PACKAGE_GENERATE_SHLIBS OFF)
# The synthesizer's default SoundFont is read by path, and FFmpeg's format
# library is opened by its versioned name for rare WAVE format tags.
find_package(PkgConfig REQUIRED)
pkg_check_modules(ZEM_PACKAGE_AVFORMAT QUIET libavformat)
string(REGEX MATCH "^[0-9]+" zem_avformat_major "${ZEM_PACKAGE_AVFORMAT_VERSION}")
set(CPACK_DEBIAN_PACKAGE_DEPENDS "timgm6mb-soundfont")
if(zem_avformat_major)
    string(APPEND CPACK_DEBIAN_PACKAGE_DEPENDS ", libavformat${zem_avformat_major}")
endif()
set(CPACK_PACKAGING_INSTALL_PREFIX ${CMAKE_INSTALL_PREFIX})
set(CPACK_STRIP_FILES ON)
set(CPACK_SOURCE_IGNORE_FILES "/build.*/;/\\\\.git/")
include(CPack)
