# SPDX-License-Identifier: GPL-2.0-or-later
# Helpers shared by the CMake files of the subsystems and the tests.

# trackmill_add_test(<name> SOURCES <files...> [LIBS <targets...>] [GUI] [LABELS <labels...>]
#                    [ENVIRONMENT <VAR=value>])
# One small executable per test unit, registered with CTest through
# gtest_discover_tests. GUI tests link the widget library and use the
# QApplication main, which sets the offscreen platform before Qt starts.
function(trackmill_add_test name)
  cmake_parse_arguments(T "GUI" "" "SOURCES;LIBS;LABELS;ENVIRONMENT" ${ARGN})
  add_executable(${name} ${T_SOURCES})
  set_target_properties(${name} PROPERTIES
    AUTOMOC ON
    RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/tests/bin)
  if(T_GUI)
    target_link_libraries(${name} PRIVATE trackmill_gui trackmill_test_gui_main)
  else()
    target_link_libraries(${name} PRIVATE trackmill_core trackmill_test_core_main)
  endif()
  target_link_libraries(${name} PRIVATE trackmill_test_support GTest::gmock ${T_LIBS})
  set(labels unit)
  if(T_LABELS)
    set(labels ${T_LABELS})
  endif()
  # One variable at most: the property list takes no second one. Window
  # tests set the offscreen platform in their main anyway.
  set(environment "QT_QPA_PLATFORM=offscreen")
  if(T_ENVIRONMENT)
    set(environment "${T_ENVIRONMENT}")
  endif()
  gtest_discover_tests(${name}
    DISCOVERY_TIMEOUT 60
    PROPERTIES LABELS "${labels}" ENVIRONMENT "${environment}")
endfunction()
