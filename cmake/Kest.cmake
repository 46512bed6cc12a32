# Helpers that let every folder add its pieces to the shared targets without
# editing the top-level list. The targets themselves are made in the top-level
# CMakeLists.txt once every folder has been read.

# Sources of kest_core, the library that the program, tests, benchmarks and
# fuzz targets all link.
function(kest_core_sources)
    foreach(src IN LISTS ARGN)
        set_property(GLOBAL APPEND PROPERTY KEST_CORE_SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/${src})
    endforeach()
endfunction()

# Libraries kest_core links (imported targets or plain names).
function(kest_core_libraries)
    set_property(GLOBAL APPEND PROPERTY KEST_CORE_LIBRARIES ${ARGN})
endfunction()

# Sources of kest_gui: the GTK and WebKit backends, linked by the program and
# the gui tests only (the sanitizer build leaves them out).
function(kest_gui_sources)
    foreach(src IN LISTS ARGN)
        set_property(GLOBAL APPEND PROPERTY KEST_GUI_SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/${src})
    endforeach()
endfunction()

function(kest_gui_libraries)
    set_property(GLOBAL APPEND PROPERTY KEST_GUI_LIBRARIES ${ARGN})
endfunction()

# Unit tests: no display, no network beyond loopback. They run in the normal
# build (label unit) and again under the sanitizers (label sanitize).
function(kest_unit_tests)
    foreach(src IN LISTS ARGN)
        set_property(GLOBAL APPEND PROPERTY KEST_UNIT_TEST_SOURCES ${CMAKE_CURRENT_SOURCE_DIR}/${src})
    endforeach()
endfunction()
