# Helpers that let every folder add its pieces to the shared targets without
# editing the top-level list. The targets themselves are made in the top-level
# CMakeLists.txt (and tests/CMakeLists.txt) once every folder has been read.

# Appends source files, relative to the calling folder, to a global list.
function(kest_append_sources property)
    foreach(src IN LISTS ARGN)
        if(NOT IS_ABSOLUTE ${src})
            set(src ${CMAKE_CURRENT_SOURCE_DIR}/${src})
        endif()
        set_property(GLOBAL APPEND PROPERTY ${property} ${src})
    endforeach()
endfunction()

# Sources of kest_core, the library that the program, tests, benchmarks and
# fuzz targets all link.
function(kest_core_sources)
    kest_append_sources(KEST_CORE_SOURCES ${ARGN})
endfunction()

# Libraries kest_core links (imported targets or plain names).
function(kest_core_libraries)
    set_property(GLOBAL APPEND PROPERTY KEST_CORE_LIBRARIES ${ARGN})
endfunction()

# Sources of kest_gui: the GTK and WebKit backends and start-up, linked by the
# program and the gui tests.
function(kest_gui_sources)
    kest_append_sources(KEST_GUI_SOURCES ${ARGN})
endfunction()

function(kest_gui_libraries)
    set_property(GLOBAL APPEND PROPERTY KEST_GUI_LIBRARIES ${ARGN})
endfunction()

# Unit tests: no display, no network beyond loopback. They run in the normal
# build (label unit) and again under the sanitizers (label sanitize).
function(kest_unit_tests)
    kest_append_sources(KEST_UNIT_TEST_SOURCES ${ARGN})
endfunction()
