# kest_library(NAME SOURCES... [LINKS libraries...]): one folder's static
# library. Its public include root is the source tree, so headers are named
# by folder ("package/PackageReader.h"); it links only what LINKS names, so
# an include that runs against the layering fails to link.
function(kest_library name)
    cmake_parse_arguments(PARSE_ARGV 1 lib "" "" "SOURCES;LINKS")
    add_library(${name} STATIC ${lib_SOURCES})
    target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${lib_LINKS})
endfunction()

# kest_unit_tests(NAME SOURCES... LINKS libraries...): one unit-test program
# of a folder, discovered by CTest; label unit, or sanitize in the sanitizer
# build.
function(kest_unit_tests name)
    cmake_parse_arguments(PARSE_ARGV 1 test "" "" "SOURCES;LINKS")
    add_executable(${name} ${test_SOURCES})
    target_link_libraries(${name} PRIVATE ${test_LINKS} kest_test_support GTest::gtest_main)
    if(KEST_SANITIZE)
        set(label sanitize)
    else()
        set(label unit)
    endif()
    gtest_discover_tests(${name} PROPERTIES LABELS ${label} DISCOVERY_TIMEOUT 60)
endfunction()
