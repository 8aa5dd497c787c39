cmake_minimum_required(VERSION 3.25)
project(demo LANGUAGES CXX)

option(DEMO_TESTS "Build the tests" ON)
set(SOURCES src/main.cpp src/util.cpp)

add_executable(demo ${SOURCES})
target_include_directories(demo PRIVATE src)
target_link_libraries(demo PRIVATE m)

if(DEMO_TESTS)
  enable_testing()
  add_test(NAME demo_runs COMMAND demo --version)
elseif(WIN32)
  message(STATUS "no tests")
else()
  message(WARNING "tests off")
endif()

foreach(src IN LISTS SOURCES)
  message(STATUS "source: ${src}")
endforeach()

function(demo_helper name)
  set(${name}_FOUND TRUE PARENT_SCOPE)
endfunction()

install(TARGETS demo DESTINATION bin)
