# SPDX-License-Identifier: GPL-2.0-or-later
# cmake -DSOURCE=<file> -DTARGET=<file> -P copyifmissing.cmake
# Copies SOURCE to TARGET unless TARGET exists (whatever its content).
if(NOT EXISTS "${TARGET}")
  get_filename_component(folder "${TARGET}" DIRECTORY)
  file(MAKE_DIRECTORY "${folder}")
  file(COPY_FILE "${SOURCE}" "${TARGET}")
endif()
