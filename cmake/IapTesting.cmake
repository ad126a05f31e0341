# iap_add_gtest(NAME SOURCES a.cpp b.cpp LIBS lib1 lib2 [TIMEOUT s] [LABELS l])
# One test executable per component; each GoogleTest case becomes a ctest test.
if(IAP_BUILD_TESTS)
  enable_testing()  # included from the top-level file, so ctest sees every test
  find_package(GTest REQUIRED)
  include(GoogleTest)
endif()

function(iap_add_gtest name)
  if(NOT IAP_BUILD_TESTS)
    return()
  endif()
  cmake_parse_arguments(T "" "TIMEOUT" "SOURCES;LIBS;LABELS" ${ARGN})
  if(NOT T_TIMEOUT)
    set(T_TIMEOUT 60)
  endif()
  add_executable(${name} ${T_SOURCES})
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests)
  target_compile_definitions(${name} PRIVATE
    IAP_BIN_DIR="${CMAKE_BINARY_DIR}/bin"
    IAP_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
  # An empty LABELS value would swallow the next property name.
  set(_props TIMEOUT ${T_TIMEOUT} ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
  if(T_LABELS)
    list(APPEND _props LABELS "${T_LABELS}")
  endif()
  gtest_discover_tests(${name} DISCOVERY_TIMEOUT 60 PROPERTIES ${_props})
endfunction()

# iap_add_gtest_dir(LIBS lib1 lib2 [TIMEOUT s] [LABELS l])
# Every *Test.cpp of the calling folder becomes its own executable, named
# test_<folder>_<Component>, so that suites of different owners stay apart.
function(iap_add_gtest_dir)
  cmake_parse_arguments(T "" "TIMEOUT" "LIBS;LABELS;EXTRA_SOURCES" ${ARGN})
  file(GLOB _tests CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*Test.cpp)
  file(RELATIVE_PATH _rel ${CMAKE_SOURCE_DIR}/tests ${CMAKE_CURRENT_SOURCE_DIR})
  string(REPLACE "/" "_" _prefix "${_rel}")
  foreach(_test ${_tests})
    get_filename_component(_name ${_test} NAME_WE)
    string(REGEX REPLACE "Test$" "" _name "${_name}")
    set(_args SOURCES ${_test} ${T_EXTRA_SOURCES} LIBS ${T_LIBS} LABELS ${T_LABELS})
    if(T_TIMEOUT)
      list(APPEND _args TIMEOUT ${T_TIMEOUT})
    endif()
    iap_add_gtest(test_${_prefix}_${_name} ${_args})
  endforeach()
endfunction()
