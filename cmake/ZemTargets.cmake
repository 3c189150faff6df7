# One-line helpers that give every library, test, benchmark and fuzz target
# the same shape.

# A shared library whose only exports are the ones marked ZEM_EXPORT.
function(zem_shared_library name)
    cmake_parse_arguments(ARG "MODULE" "OUTPUT_NAME" "SOURCES;LIBS;PUBLIC_LIBS" ${ARGN})
    if(ARG_MODULE)
        add_library(${name} MODULE ${ARG_SOURCES})
        set_target_properties(${name} PROPERTIES PREFIX "")
    else()
        add_library(${name} SHARED ${ARG_SOURCES})
    endif()
    set_target_properties(${name} PROPERTIES
        CXX_VISIBILITY_PRESET hidden
        C_VISIBILITY_PRESET hidden
        VISIBILITY_INLINES_HIDDEN ON)
    if(ARG_OUTPUT_NAME)
        set_target_properties(${name} PROPERTIES OUTPUT_NAME ${ARG_OUTPUT_NAME})
    endif()
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} PUBLIC ${ARG_PUBLIC_LIBS})
    if(CMAKE_CXX_COMPILER_ID MATCHES "Clang" AND (ZEM_SANITIZE OR ZEM_FUZZ))
        # clang keeps the sanitizer and fuzzer runtimes in the program: a
        # library's references to them stay open until the program loads it.
        target_link_options(${name} PRIVATE -Wl,-z,undefs)
    else()
        target_link_options(${name} PRIVATE -Wl,--no-undefined)
    endif()
endfunction()

# Where a test, benchmark or fuzz program lives (build/<folder>) and how it
# finds the libraries in build/bin, the built programs and the source tree.
function(zem_place_program name folder)
    target_compile_definitions(${name} PRIVATE
        ZEM_BIN_DIR="${ZEM_BIN_DIR}"
        ZEM_SOURCE_DIR="${PROJECT_SOURCE_DIR}")
    set_target_properties(${name} PROPERTIES
        RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/${folder}
        BUILD_RPATH "${ZEM_BIN_DIR}"
        INSTALL_RPATH "${ZEM_BIN_DIR}")
endfunction()

# A GoogleTest executable registered with CTest.  Tests see the folder of the
# built programs and the source tree through two definitions.  XVFB runs the
# test on a virtual X display of its own, for the windowed programs.
function(zem_add_test name)
    cmake_parse_arguments(ARG "XVFB" "TIMEOUT" "SOURCES;LIBS;DEPENDS;ENV" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main GTest::gmock)
    zem_place_program(${name} tests)
    if(ARG_DEPENDS)
        add_dependencies(${name} ${ARG_DEPENDS})
    endif()
    if(ARG_XVFB)
        add_test(NAME ${name} COMMAND xvfb-run -a -s "-screen 0 1024x768x24" $<TARGET_FILE:${name}>)
    else()
        add_test(NAME ${name} COMMAND ${name})
    endif()
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 300)
    endif()
    set_tests_properties(${name} PROPERTIES TIMEOUT ${ARG_TIMEOUT}
        ENVIRONMENT "SDL_AUDIODRIVER=dummy;QT_QPA_PLATFORM=offscreen;${ARG_ENV}")
endfunction()

# A Google Benchmark executable; `make bench` runs every one of them.
function(zem_add_bench name)
    if(NOT ZEM_BENCH)
        return()
    endif()
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;DEPENDS" ${ARGN})
    add_executable(${name} ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE ${ARG_LIBS} benchmark::benchmark benchmark::benchmark_main)
    zem_place_program(${name} bench)
    if(ARG_DEPENDS)
        add_dependencies(${name} ${ARG_DEPENDS})
    endif()
endfunction()

# A fuzz target: LLVMFuzzerTestOneInput in SOURCES, seeds in fuzz/corpus/<name>/.
# With ZEM_FUZZ (clang) it is a libFuzzer binary; otherwise it is a replay
# program that runs every seed once, registered as a regression test.
function(zem_add_fuzz name)
    cmake_parse_arguments(ARG "" "" "SOURCES;LIBS;DEPENDS" ${ARGN})
    set(seeds ${PROJECT_SOURCE_DIR}/fuzz/corpus/${name})
    if(ZEM_FUZZ)
        add_executable(${name} ${ARG_SOURCES})
        target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
        target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    else()
        add_executable(${name} ${ARG_SOURCES} ${PROJECT_SOURCE_DIR}/fuzz/replay_main.cpp)
        add_test(NAME ${name}_seeds COMMAND ${name} ${seeds})
        set_tests_properties(${name}_seeds PROPERTIES TIMEOUT 300
            ENVIRONMENT "SDL_AUDIODRIVER=dummy")
    endif()
    target_link_libraries(${name} PRIVATE ${ARG_LIBS})
    zem_place_program(${name} fuzz)
    if(ARG_DEPENDS)
        add_dependencies(${name} ${ARG_DEPENDS})
    endif()
endfunction()

# Adds every subfolder of the current folder that has a CMakeLists.txt, in
# name order: each is one area of its own.
function(zem_add_subfolders)
    file(GLOB children LIST_DIRECTORIES true RELATIVE ${CMAKE_CURRENT_SOURCE_DIR} ${CMAKE_CURRENT_SOURCE_DIR}/*)
    list(SORT children)
    foreach(child ${children})
        if(EXISTS ${CMAKE_CURRENT_SOURCE_DIR}/${child}/CMakeLists.txt)
            add_subdirectory(${child})
        endif()
    endforeach()
endfunction()
