# SPDX-License-Identifier: GPL-2.0-or-later
# The core (trackmill_core, and everything that links only it) must not see
# Qt Gui or Qt Widgets. Qt's targets all put the root of Qt's headers on the
# include path, through which <QtWidgets/QWidget> is found by any target;
# so Qt Core, Qt D-Bus and the targets below them get a root of their own
# that holds only QtCore and QtDBus. The Gui and Widgets targets keep the
# real root: the windows find every Qt header as before.
get_target_property(_trackmill_qtcore_dirs Qt6::Core INTERFACE_INCLUDE_DIRECTORIES)
set(_trackmill_qt_root "")
foreach(_dir ${_trackmill_qtcore_dirs})
  if(EXISTS "${_dir}/QtCore/QString" AND EXISTS "${_dir}/QtWidgets")
    set(_trackmill_qt_root "${_dir}")
  endif()
endforeach()
if(NOT _trackmill_qt_root)
  message(FATAL_ERROR "Qt's header root not found among ${_trackmill_qtcore_dirs}")
endif()
set(TRACKMILL_QT_HEADER_ROOT "${_trackmill_qt_root}" CACHE INTERNAL "Root of Qt's headers")

set(TRACKMILL_CORE_QT_ROOT ${CMAKE_BINARY_DIR}/core-qt-include)
file(MAKE_DIRECTORY ${TRACKMILL_CORE_QT_ROOT})
foreach(_module QtCore QtDBus)
  file(CREATE_LINK "${_trackmill_qt_root}/${_module}" "${TRACKMILL_CORE_QT_ROOT}/${_module}" SYMBOLIC)
endforeach()

foreach(_target Qt6::Core Qt6::DBus Qt6::Platform Qt6::GlobalConfig)
  get_target_property(_dirs ${_target} INTERFACE_INCLUDE_DIRECTORIES)
  list(TRANSFORM _dirs REPLACE "^${_trackmill_qt_root}$" "${TRACKMILL_CORE_QT_ROOT}")
  set_property(TARGET ${_target} PROPERTY INTERFACE_INCLUDE_DIRECTORIES "${_dirs}")
endforeach()
