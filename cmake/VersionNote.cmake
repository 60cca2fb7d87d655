# SPDX-License-Identifier: GPL-2.0-or-later
# trackmill_version_note(<target> FILE <name> VERSION <v> COMPANY <c>
#                        DESCRIPTION <d> COPYRIGHT <c> [COMMENTS <c>])
# Gives a library its version information as an ELF note section
# (.note.trackmill), made from cmake/versionnote.c.in. ProductName and
# ProductVersion are the program's; Date is the day of the build (UTC, or
# SOURCE_DATE_EPOCH when set, so builds can be reproduced).
# trackmill_header_version(<out> <header> <prefix>)
# "<major>.<minor>" from the header's #define <prefix>_VERSION_MAJOR and
# _MINOR lines, so a library's note and its C interface say the same.
function(trackmill_header_version out header prefix)
  file(STRINGS ${header} major REGEX "^#define ${prefix}_VERSION_MAJOR ")
  file(STRINGS ${header} minor REGEX "^#define ${prefix}_VERSION_MINOR ")
  string(REGEX REPLACE ".* " "" major "${major}")
  string(REGEX REPLACE ".* " "" minor "${minor}")
  set(${out} "${major}.${minor}" PARENT_SCOPE)
endfunction()

function(trackmill_version_note target)
  cmake_parse_arguments(N "" "FILE;VERSION;COMPANY;DESCRIPTION;COPYRIGHT;COMMENTS" "" ${ARGN})
  string(TIMESTAMP date "%Y-%m-%d" UTC)
  set(entries
    "CompanyName=${N_COMPANY}"
    "FileDescription=${N_DESCRIPTION}"
    "FileVersion=${N_VERSION}"
    "InternalName=${target}"
    "LegalCopyright=${N_COPYRIGHT}"
    "OriginalFilename=${N_FILE}"
    "ProductName=${PROJECT_NAME}"
    "ProductVersion=${PROJECT_VERSION}"
    "Comments=${N_COMMENTS}"
    "Date=${date}")
  set(NOTE_DESC "")
  foreach(entry IN LISTS entries)
    string(REPLACE "\\" "\\\\" entry "${entry}")
    string(REPLACE "\"" "\\\"" entry "${entry}")
    # Each entry its own literal, so a "\0" is never read together with a
    # digit of the next one.
    string(APPEND NOTE_DESC " \\\n    \"${entry}\" \"\\0\"")
  endforeach()
  set(NOTE_FILE ${N_FILE})
  set(out ${CMAKE_CURRENT_BINARY_DIR}/${target}_versionnote.c)
  configure_file(${PROJECT_SOURCE_DIR}/cmake/versionnote.c.in ${out} @ONLY)
  target_sources(${target} PRIVATE ${out})
endfunction()
