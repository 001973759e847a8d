# GoogleTest for the tests: Debian's package on a native build; for a cross
# build, where no GoogleTest is installed for the target, built from Debian's
# sources (package googletest) with the target's compiler.
if(CMAKE_CROSSCOMPILING)
  set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
  set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
  add_subdirectory(/usr/src/googletest ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
  # Its own warning flags only: our fatal warnings are for our code (GCC 12
  # reports a false -Wrestrict in it).
  set_property(TARGET gtest gtest_main PROPERTY COMPILE_OPTIONS "")
else()
  find_package(GTest REQUIRED)
endif()
