# GoogleTest: the installed package on the build machine, or Debian's sources built for the
# cross target (no prebuilt Windows libraries exist).
include(GoogleTest)

if(CMAKE_CROSSCOMPILING)
  set(ZENDALO_GOOGLETEST_SOURCE "/usr/src/googletest" CACHE PATH "GoogleTest sources for the cross build")
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(gtest_disable_pthreads OFF CACHE BOOL "" FORCE)
  add_subdirectory(${ZENDALO_GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL SYSTEM)
else()
  find_package(GTest REQUIRED)
endif()

# A test executable from `SOURCES`, its cases listed at test time (under Wine for the cross build).
# `PROPERTIES` are extra test properties for every case (RUN_SERIAL for tests that need the focus).
function(zendalo_add_test name)
  cmake_parse_arguments(PARSE_ARGV 1 arg "" "" "SOURCES;LIBRARIES;PROPERTIES")
  add_executable(${name} ${arg_SOURCES} ${PROJECT_SOURCE_DIR}/tests/test_main.cpp)
  target_link_libraries(${name} PRIVATE zendalo_options GTest::gtest ${arg_LIBRARIES})
  gtest_discover_tests(${name}
    TEST_PREFIX "${name}."
    DISCOVERY_MODE PRE_TEST
    DISCOVERY_TIMEOUT 180
    PROPERTIES TIMEOUT 300 ${arg_PROPERTIES})
endfunction()
